#include "CWaveRecorder.h"
#include "WaveDriver.h"
#include <algorithm>
#include <utility>

CWaveRecorder::CWaveRecorder(const wave::PcmFormat& format, std::shared_ptr<CTempFile> take,
                             uint64_t limitBytes, std::shared_ptr<CMciNotice> notice)
    : m_format(format), m_take(std::move(take)), m_limit(limitBytes), m_notice(std::move(notice))
{
}

CWaveRecorder::~CWaveRecorder()
{
    Stop();
    CloseDevice(false);
}

MCIERROR CWaveRecorder::Start()
{
    if (waveInGetNumDevs() == 0)
        return MCIERR_WAVE_INPUTSUNSUITABLE;
    if (!UpdateHeader())
        return MCIERR_FILE_WRITE;
    m_event = MakeSharedEvent();
    if (!m_event)
        return MCIERR_OUT_OF_MEMORY;
    WAVEFORMATEX wfx = ToWaveFormat(m_format);
    MMRESULT result = OpenInput(&m_hIn, wfx, m_event, kOpenWaitMs);
    if (result != MMSYSERR_NOERROR) {
        m_hIn = nullptr;
        return InputError(result);
    }
    const DWORD bytes = BufferBytes(m_format, kBuffersPerSecond);
    m_buffers.assign(kBufferCount, std::vector<char>(bytes));
    m_headers.assign(kBufferCount, WAVEHDR{});
    for (unsigned i = 0; i < kBufferCount && result == MMSYSERR_NOERROR; ++i) {
        m_headers[i].lpData = m_buffers[i].data();
        m_headers[i].dwBufferLength = bytes;
        result = waveInPrepareHeader(m_hIn, &m_headers[i], sizeof(WAVEHDR));
        if (result == MMSYSERR_NOERROR)
            result = waveInAddBuffer(m_hIn, &m_headers[i], sizeof(WAVEHDR));
    }
    if (result == MMSYSERR_NOERROR)
        result = waveInStart(m_hIn);
    if (result != MMSYSERR_NOERROR) {
        CloseDevice(false);
        return InputError(result);
    }
    m_lastDoneTick = GetTickCount();
    m_worker = std::thread(&CWaveRecorder::Run, this);
    return 0;
}

void CWaveRecorder::Stop()
{
    m_stopRequested = true;
    if (m_event)
        SetEvent(m_event.get());
    if (m_worker.joinable())
        m_worker.join();
}

void CWaveRecorder::Pause()
{
    std::lock_guard<std::mutex> guard(m_deviceLock);
    const HWAVEIN device = m_hIn;
    if (device && !m_paused) {
        m_paused = true;
        // The partly filled buffer comes back and is kept. A driver that does not answer
        // leaves the take running, for the stall check to end.
        if (CallWithin([device] { return waveInStop(device); }, kStallMs) == kDriverNotAnswering)
            m_paused = false;
    }
}

void CWaveRecorder::Resume()
{
    std::lock_guard<std::mutex> guard(m_deviceLock);
    const HWAVEIN device = m_hIn;
    if (device && m_paused) {
        // The stall clock restarts before the worker may see the pause lifted, or a long
        // pause would be taken for a stalled device. A driver that does not answer the
        // restart is then taken for one.
        m_lastDoneTick = GetTickCount();
        m_paused = false;
        CallWithin([device] { return waveInStart(device); }, kStallMs);
    }
}

void CWaveRecorder::Run()
{
    while (!m_stopRequested) {
        WaitForSingleObject(m_event.get(), 100);
        Outcome outcome = CollectDone(true);
        if (outcome == Outcome::Running && !m_paused && GetTickCount() - m_lastDoneTick > kStallMs)
            outcome = Outcome::Failed;   // the device went away without a word
        if (outcome == Outcome::Running && GetTickCount() - m_headerTick >= kHeaderEveryMs && !UpdateHeader())
            outcome = Outcome::Failed;
        if (outcome != Outcome::Running) {
            Finish(outcome);
            return;
        }
    }
    Finish(Outcome::Running);
}

CWaveRecorder::Outcome CWaveRecorder::CollectDone(bool requeue)
{
    // Buffers come back in the order they were queued; take them in that order.
    for (unsigned seen = 0; seen < kBufferCount; ++seen) {
        WAVEHDR& header = m_headers[m_next];
        if (!(header.dwFlags & WHDR_DONE))
            break;
        header.dwFlags &= ~WHDR_DONE;
        m_next = (m_next + 1) % kBufferCount;
        m_lastDoneTick = GetTickCount();
        const Outcome kept = Keep(header);
        if (kept != Outcome::Running)
            return kept;
        if (requeue) {
            std::lock_guard<std::mutex> guard(m_deviceLock);
            if (waveInAddBuffer(m_hIn, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                return Outcome::Failed;
        }
    }
    return Outcome::Running;
}

CWaveRecorder::Outcome CWaveRecorder::Keep(const WAVEHDR& header)
{
    const uint64_t room = m_limit - m_recorded;
    DWORD bytes = static_cast<DWORD>(std::min<uint64_t>(header.dwBytesRecorded, room));
    bytes -= bytes % m_format.blockAlign;
    if (bytes && !m_take->Append(header.lpData, bytes))
        return Outcome::Failed;   // disk full or the temp file broke: keep what is written
    m_recorded += bytes;
    return m_recorded >= m_limit ? Outcome::LimitReached : Outcome::Running;
}

void CWaveRecorder::Finish(Outcome outcome)
{
    if (outcome != Outcome::Failed) {
        {
            std::lock_guard<std::mutex> guard(m_deviceLock);
            waveInReset(m_hIn);
        }
        // A stop keeps the partial buffers the reset hands back; at the limit there is no
        // room for them, and after a failure the take may no longer be writable.
        if (outcome == Outcome::Running)
            outcome = CollectDone(false);
    }
    CloseDevice(outcome == Outcome::Failed);
    // After a failure too: what did reach the take is made whole.
    if (!UpdateHeader())
        outcome = Outcome::Failed;
    if (m_stopRequested && outcome == Outcome::Running)
        return;   // the one who stopped us owns the notice
    m_ended = true;
    m_notice->Post(outcome == Outcome::Failed ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL);
}

bool CWaveRecorder::UpdateHeader()
{
    uint8_t header[wave::kPcmHeaderBytes];
    m_headerTick = GetTickCount();
    return wave::BuildPcmHeader(m_format, static_cast<uint32_t>(m_recorded), header) &&
           m_take->WriteAt(0, header, sizeof header) && m_take->Flush();
}

void CWaveRecorder::CloseDevice(bool failed)
{
    HWAVEIN device;
    {
        std::lock_guard<std::mutex> guard(m_deviceLock);
        if (!m_hIn)
            return;
        device = std::exchange(m_hIn, nullptr);
    }
    // A failed device may never let go: it is not waited for.
    CloseInput(device, std::move(m_headers), std::move(m_buffers), m_event, failed ? 0 : kCloseWaitMs);
}
