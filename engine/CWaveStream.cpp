#include "CWaveStream.h"
#include <utility>

CWaveStream::CWaveStream(const wave::WaveFormat& format, std::shared_ptr<CMciNotice> notice,
                         const DriverCalls& driver)
    : m_format(format), m_notice(std::move(notice)), m_driver(driver)
{
}

MMRESULT CWaveStream::OpenDevice(const WAVEFORMATEX& format, unsigned count, unsigned perSecond)
{
    if (!m_event)
        m_event = MakeSharedEvent();
    if (!m_event)
        return MMSYSERR_NOMEM;
    HANDLE device = nullptr;
    const MMRESULT result = m_driver.Open(m_driverThread, &device, format, m_event);
    if (result != MMSYSERR_NOERROR)
        return result;
    std::lock_guard<std::mutex> guard(m_deviceLock);
    m_device = device;
    m_buffers.assign(count, std::vector<char>(BufferBytes(m_format, perSecond)));
    m_headers.assign(count, WAVEHDR{});
    return MMSYSERR_NOERROR;
}

void CWaveStream::CloseDevice(bool failed)
{
    HANDLE device;
    {
        std::lock_guard<std::mutex> guard(m_deviceLock);
        if (!m_device)
            return;
        if (!failed)
            Closing();
        device = std::exchange(m_device, nullptr);
    }
    m_driver.Close(m_driverThread, device, std::move(m_headers), std::move(m_buffers), m_event, failed ? 0 : kDriverLimitMs);
}

void CWaveStream::StartWorker()
{
    m_lastDoneTick = GetTickCount();
    m_worker = std::thread(&CWaveStream::Run, this);
}

void CWaveStream::EndAtOnce()
{
    m_ended = true;
    Post(MCI_NOTIFY_SUCCESSFUL);
}

uint32_t CWaveStream::LevelBefore(uint64_t end) const
{
    const uint64_t window = static_cast<uint64_t>(m_format.avgBytesPerSec) * kLevelWindowMs / 1000;
    return m_levels.Peak(end > window ? end - window : 0, end);
}

void CWaveStream::Post(WPARAM code)
{
    if (m_notice)
        m_notice->Post(code);
}

void CWaveStream::Stop()
{
    m_stopRequested = true;
    if (m_event)
        SetEvent(m_event.get());
    if (m_worker.joinable())
        m_worker.join();
}

void CWaveStream::Run()
{
    Outcome outcome = BeginDevice();
    SawBuffer();   // the stall clock starts once the device runs
    while (outcome == Outcome::Running) {
        WaitForSingleObject(m_event.get(), 100);
        if (m_stopRequested)
            break;
        outcome = CollectDone();
        if (outcome == Outcome::Running && !m_paused && GetTickCount() - m_lastDoneTick > kDriverLimitMs)
            outcome = Outcome::Failed;   // the device went away without a word
    }
    outcome = EndDevice(outcome);
    if (m_stopRequested && outcome == Outcome::Running)
        return;   // the one who stopped us owns the notice
    m_ended = true;
    Post(outcome == Outcome::Failed ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL);
}
