#include "CWaveRecorder.h"
#include <algorithm>
#include <utility>

CWaveRecorder::CWaveRecorder(const wave::PcmFormat& format, std::shared_ptr<CTempFile> take,
                             uint64_t limitBytes, std::shared_ptr<CMciNotice> notice)
    : CWaveStream(format, std::move(notice)), m_take(std::move(take)), m_limit(limitBytes)
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
    MMRESULT result = OpenInput(&m_hIn, wfx, m_event);
    if (result != MMSYSERR_NOERROR) {
        m_hIn = nullptr;
        return InputError(result);
    }
    AllocateBuffers(kBufferCount, kBuffersPerSecond);
    for (unsigned i = 0; i < kBufferCount && result == MMSYSERR_NOERROR; ++i) {
        m_headers[i].lpData = m_buffers[i].data();
        m_headers[i].dwBufferLength = static_cast<DWORD>(m_buffers[i].size());
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
    StartWorker();
    return 0;
}

CWaveStream::Outcome CWaveRecorder::CollectDone()
{
    Outcome outcome = Collect(true);
    if (outcome == Outcome::Running && GetTickCount() - m_headerTick >= kHeaderEveryMs && !UpdateHeader())
        outcome = Outcome::Failed;
    return outcome;
}

CWaveStream::Outcome CWaveRecorder::Collect(bool requeue)
{
    for (unsigned seen = 0; seen < kBufferCount; ++seen) {
        WAVEHDR& header = m_headers[m_next];
        if (!(header.dwFlags & WHDR_DONE))
            break;
        header.dwFlags &= ~WHDR_DONE;
        m_next = (m_next + 1) % kBufferCount;
        SawBuffer();
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

CWaveStream::Outcome CWaveRecorder::Keep(const WAVEHDR& header)
{
    const uint64_t room = m_limit - m_recorded;
    DWORD bytes = static_cast<DWORD>(std::min<uint64_t>(header.dwBytesRecorded, room));
    bytes -= bytes % m_format.blockAlign;
    if (bytes && !m_take->Append(header.lpData, bytes))
        return Outcome::Failed;   // disk full or the take broke: keep what is written
    m_recorded += bytes;
    return m_recorded >= m_limit ? Outcome::Done : Outcome::Running;
}

CWaveStream::Outcome CWaveRecorder::EndDevice(Outcome outcome)
{
    if (outcome != Outcome::Failed) {
        {
            std::lock_guard<std::mutex> guard(m_deviceLock);
            waveInReset(m_hIn);
        }
        // A stop keeps the partial buffers the reset hands back; at the limit there is no
        // room for them, and after a failure the take may no longer be writable.
        if (outcome == Outcome::Running)
            outcome = Collect(false);
    }
    CloseDevice(outcome == Outcome::Failed);
    // After a failure too: what did reach the take is made whole.
    if (!UpdateHeader())
        outcome = Outcome::Failed;
    return outcome;
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
    CloseInput(device, std::move(m_headers), std::move(m_buffers), m_event, failed ? 0 : kDriverLimitMs);
}
