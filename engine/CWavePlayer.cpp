#include "CWavePlayer.h"
#include "WaveLevel.h"
#include <algorithm>
#include <utility>

CWavePlayer::CWavePlayer(const wave::WaveFormat& format, std::shared_ptr<wave::IWaveByteSource> sound, uint64_t offset,
                         uint64_t from, uint64_t to, std::shared_ptr<CMciNotice> notice)
    : CWaveStream(format, std::move(notice), kOutputCalls), m_sound(std::move(sound)), m_offset(offset),
      m_from(from), m_to(to), m_nextRead(from)
{
}

CWavePlayer::~CWavePlayer()
{
    Stop();
    CloseDevice(false);
}

MCIERROR CWavePlayer::Start()
{
    if (m_from >= m_to) {
        EndAtOnce();   // nothing to play is a play that has reached its end
        return 0;
    }
    // A sound that cannot be read is told so before the output is opened: no open and close,
    // each waited for up to its limit, for a play that could not begin.
    char first[4096];
    if (!m_sound->ReadAt(m_offset + m_from, first, static_cast<size_t>(std::min<uint64_t>(sizeof first, m_to - m_from))))
        return MCIERR_FILE_READ;
    if (waveOutGetNumDevs() == 0)
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    WAVEFORMATEXTENSIBLE device;
    if (!ToDeviceFormat(m_format, device))
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;   // a take at a rate no file may have
    if (const MMRESULT result = OpenDevice(device.Format, kBufferCount, kBuffersPerSecond))
        return OutputError(result);
    for (unsigned i = 0; i < kBufferCount && m_nextRead < m_to; ++i) {
        if (!Queue(m_headers[i])) {
            CloseDevice(false);
            return MCIERR_FILE_READ;
        }
    }
    StartWorker();
    return 0;
}

bool CWavePlayer::Queue(WAVEHDR& header)
{
    const size_t index = &header - m_headers.data();
    const DWORD n = static_cast<DWORD>(std::min<uint64_t>(m_buffers[index].size(), m_to - m_nextRead));
    if (header.dwFlags & WHDR_PREPARED)
        waveOutUnprepareHeader(Output(), &header, sizeof(WAVEHDR));
    header = WAVEHDR{};
    header.lpData = m_buffers[index].data();
    header.dwBufferLength = n;
    if (!m_sound->ReadAt(m_offset + m_nextRead, header.lpData, n))
        return false;
    const uint32_t level = wave::PeakLevel(m_format, header.lpData, n);
    std::lock_guard<std::mutex> guard(m_deviceLock);
    if (waveOutPrepareHeader(Output(), &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveOutWrite(Output(), &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return false;
    m_levels.Add(m_nextRead - m_from, n, level);
    m_nextRead += n;
    ++m_inFlight;
    return true;
}

void CWavePlayer::Pause()
{
    std::unique_lock<std::mutex> guard(m_deviceLock);
    const HWAVEOUT device = Output();
    if (!device || m_paused)
        return;
    // Handed over under the lock, so that no close comes between; waited for without it. A
    // driver that does not answer leaves the play running, for the stall check to end.
    if (m_driverThread.Call([device] { return waveOutPause(device); }, kDriverLimitMs, &guard) == kDriverNotAnswering)
        return;
    guard.lock();
    DevicePosition();   // the last answer is what a paused player reports
    m_paused = true;
}

uint64_t CWavePlayer::PlayedBytes() const
{
    if (m_paused)
        return m_reported;
    std::lock_guard<std::mutex> guard(m_deviceLock);
    return DevicePosition();
}

uint64_t CWavePlayer::DevicePosition() const
{
    uint64_t position = m_played;
    MMTIME time = {};
    time.wType = TIME_BYTES;
    // Until the output hands back its first buffer the stream is still starting, and its
    // clock creeps a few milliseconds then leaps; it is only believed once sound flows.
    // Whole blocks only: a stop keeps this position, and a play from within a block (24-bit
    // mono's is 3 bytes) would take every sample after it from the wrong bytes.
    if (Output() && position > 0 && waveOutGetPosition(Output(), &time, sizeof time) == MMSYSERR_NOERROR &&
        time.wType == TIME_BYTES) {
        const uint64_t heard = time.u.cb - time.u.cb % m_format.blockAlign;
        position = std::max<uint64_t>(position, std::min<uint64_t>(heard, m_nextRead - m_from));
    }
    position = std::max(position, m_reported.load());
    m_reported = position;
    return position;
}

void CWavePlayer::Resume()
{
    std::unique_lock<std::mutex> guard(m_deviceLock);
    const HWAVEOUT device = Output();
    if (device && m_paused) {
        // The stall clock restarts before the worker may see the pause lifted, or a long
        // pause would be taken for a stalled device. A driver that does not answer the
        // restart is then taken for one.
        m_lastDoneTick = GetTickCount();
        m_paused = false;
        m_driverThread.Call([device] { return waveOutRestart(device); }, kDriverLimitMs, &guard);
    }
}

CWaveStream::Outcome CWavePlayer::CollectDone()
{
    for (unsigned seen = 0; seen < kBufferCount && m_inFlight; ++seen) {
        WAVEHDR& header = m_headers[m_next];
        if (!(header.dwFlags & WHDR_DONE))
            break;
        m_next = (m_next + 1) % kBufferCount;
        --m_inFlight;
        SawBuffer();
        m_played += header.dwBufferLength;
        if (m_nextRead < m_to && !Queue(header))
            return Outcome::Failed;
    }
    return m_inFlight == 0 ? Outcome::Done : Outcome::Running;
}

CWaveStream::Outcome CWavePlayer::EndDevice(Outcome outcome)
{
    CloseDevice(outcome == Outcome::Failed);
    return outcome;
}

void CWavePlayer::Closing()
{
    // Where a stop leaves it: the position resets with the device. A failed device keeps the
    // last position it gave, and is neither asked nor waited for: it may never answer.
    DevicePosition();
}
