#include "CWaveRecorder.h"
#include "WaveLevel.h"
#include <algorithm>
#include <utility>

CWaveRecorder::CWaveRecorder(const wave::WaveFormat& format, std::shared_ptr<CTempFile> take,
                             uint64_t limitBytes, std::shared_ptr<CMciNotice> notice,
                             std::function<bool()> soundSystemReady)
    : CWaveStream(format, std::move(notice), kInputCalls), m_soundSystemReady(std::move(soundSystemReady)),
      m_writer(format, std::move(take)), m_limit(limitBytes)
{
}

CWaveRecorder::~CWaveRecorder()
{
    Stop();
    CloseDevice(false);
}

MCIERROR CWaveRecorder::Start()
{
    if (!m_writer.Start())
        return MCIERR_FILE_WRITE;
    // The worker waits on the event from the start: a Stop may come before the input opens.
    m_event = MakeSharedEvent();
    if (!m_event)
        return MCIERR_OUT_OF_MEMORY;
    StartWorker();
    return 0;
}

CWaveStream::Outcome CWaveRecorder::BeginDevice()
{
    if (!m_soundSystemReady() || waveInGetNumDevs() == 0)
        return Outcome::Failed;
    if (m_stopRequested)
        return Outcome::Running;   // stopped before it began: an empty take, nothing opened
    MMRESULT result = OpenDevice(ToWaveFormat(m_format), kBufferCount, kBuffersPerSecond);
    for (unsigned i = 0; i < m_headers.size() && result == MMSYSERR_NOERROR; ++i) {
        m_headers[i].lpData = m_buffers[i].data();
        m_headers[i].dwBufferLength = static_cast<DWORD>(m_buffers[i].size());
        result = waveInPrepareHeader(Input(), &m_headers[i], sizeof(WAVEHDR));
        if (result == MMSYSERR_NOERROR)
            result = waveInAddBuffer(Input(), &m_headers[i], sizeof(WAVEHDR));
    }
    if (result == MMSYSERR_NOERROR)
        result = waveInStart(Input());
    return result == MMSYSERR_NOERROR ? Outcome::Running : Outcome::Failed;
}

CWaveStream::Outcome CWaveRecorder::CollectDone()
{
    const Outcome outcome = Collect(true);
    return outcome == Outcome::Running && m_writer.Failed() ? Outcome::Failed : outcome;
}

CWaveStream::Outcome CWaveRecorder::Collect(bool requeue)
{
    for (unsigned seen = 0; seen < m_headers.size(); ++seen) {
        WAVEHDR& header = m_headers[m_next];
        if (!(header.dwFlags & WHDR_DONE))
            break;
        header.dwFlags &= ~WHDR_DONE;
        m_next = (m_next + 1) % m_headers.size();
        SawBuffer();
        const Outcome kept = Keep(header);
        if (kept != Outcome::Running)
            return kept;
        if (requeue && waveInAddBuffer(Input(), &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
            return Outcome::Failed;
    }
    return Outcome::Running;
}

CWaveStream::Outcome CWaveRecorder::Keep(const WAVEHDR& header)
{
    DWORD bytes = static_cast<DWORD>(std::min<uint64_t>(header.dwBytesRecorded, m_limit - m_recorded));
    bytes -= bytes % m_format.blockAlign;
    if (bytes && !m_writer.Write(header.lpData, bytes))
        return Outcome::Failed;   // the disk failed or fell too far behind: the take keeps what it was handed
    m_levels.Add(m_recorded, bytes, wave::PeakLevel(m_format, header.lpData, bytes));
    m_recorded += bytes;
    return m_recorded >= m_limit ? Outcome::Done : Outcome::Running;
}

CWaveStream::Outcome CWaveRecorder::EndDevice(Outcome outcome)
{
    if (outcome != Outcome::Failed) {
        if (m_device)
            waveInReset(Input());
        // A stop keeps the partial buffers the reset hands back; at the limit there is no
        // room for them.
        if (outcome == Outcome::Running)
            outcome = Collect(false);
    }
    CloseDevice(outcome == Outcome::Failed);
    // After a failure too: what did reach the take is made whole.
    if (!m_writer.Finish())
        outcome = Outcome::Failed;
    return outcome;
}
