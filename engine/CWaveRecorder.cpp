#include "CWaveRecorder.h"
#include <algorithm>
#include <utility>

CWaveRecorder::CWaveRecorder(const wave::PcmFormat& format, std::shared_ptr<CTempFile> take,
                             uint64_t limitBytes, std::shared_ptr<CMciNotice> notice)
    : CWaveStream(format, std::move(notice)), m_take(std::move(take)), m_limit(limitBytes)
{
}

CWaveRecorder::CWaveRecorder(const wave::PcmFormat& format, DWORD warmMs)
    : CWaveStream(format, nullptr), m_limit(0), m_warmUntil(GetTickCount() + warmMs)
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
    // The first flush comes with the first second of sound: here it would delay the take.
    if (m_take && !UpdateHeader(false))
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

bool CWaveRecorder::Adopt(std::shared_ptr<CTempFile> take, uint64_t limitBytes, std::shared_ptr<CMciNotice> notice)
{
    std::lock_guard<std::mutex> guard(m_takeLock);
    if (m_cold || m_take || HasEnded())
        return false;
    // What the input has heard by now, handed back or not, stays out of the take.
    MMTIME heard = {};
    heard.wType = TIME_BYTES;
    uint64_t from = m_heard;
    {
        std::lock_guard<std::mutex> device(m_deviceLock);
        if (m_hIn && waveInGetPosition(m_hIn, &heard, sizeof heard) == MMSYSERR_NOERROR &&
            heard.wType == TIME_BYTES)
            from = std::max<uint64_t>(from, heard.u.cb);
    }
    m_keepFrom = from - from % m_format.blockAlign;
    m_take = std::move(take);
    m_limit = limitBytes;
    if (!UpdateHeader(false))
        return false;
    SetNotice(std::move(notice));
    SawBuffer();   // the stall clock starts with the take
    return true;
}

CWaveStream::Outcome CWaveRecorder::CollectDone()
{
    Outcome outcome = Collect(true);
    std::lock_guard<std::mutex> guard(m_takeLock);
    if (!m_take) {
        if (outcome == Outcome::Running && static_cast<LONG>(GetTickCount() - m_warmUntil) >= 0)
            outcome = Outcome::Done;   // no take came: the input goes
        m_cold = outcome != Outcome::Running;
        return outcome;
    }
    if (outcome == Outcome::Running && GetTickCount() - m_headerTick >= kHeaderEveryMs && !UpdateHeader(true))
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
    std::lock_guard<std::mutex> guard(m_takeLock);
    const uint64_t at = m_heard;
    m_heard += header.dwBytesRecorded;
    if (!m_take)
        return Outcome::Running;   // warm: nobody records yet
    const DWORD skip = static_cast<DWORD>(std::min<uint64_t>(m_keepFrom > at ? m_keepFrom - at : 0,
                                                             header.dwBytesRecorded));
    const uint64_t room = m_limit - m_recorded;
    DWORD bytes = static_cast<DWORD>(std::min<uint64_t>(header.dwBytesRecorded - skip, room));
    bytes -= bytes % m_format.blockAlign;
    if (bytes && !m_take->Append(header.lpData + skip, bytes))
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
    std::lock_guard<std::mutex> guard(m_takeLock);
    if (m_take && !UpdateHeader(true))
        outcome = Outcome::Failed;
    m_cold = true;
    return outcome;
}

bool CWaveRecorder::UpdateHeader(bool flush)
{
    uint8_t header[wave::kPcmHeaderBytes];
    m_headerTick = GetTickCount();
    return wave::BuildPcmHeader(m_format, static_cast<uint32_t>(m_recorded), header) &&
           m_take->WriteAt(0, header, sizeof header) && (!flush || m_take->Flush());
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
