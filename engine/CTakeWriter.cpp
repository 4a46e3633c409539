#include "CTakeWriter.h"
#include <chrono>
#include <utility>

CTakeWriter::CTakeWriter(const wave::WaveFormat& format, std::shared_ptr<CTempFile> take)
    : m_format(format), m_take(std::move(take))
{
}

CTakeWriter::~CTakeWriter()
{
    Finish();
}

bool CTakeWriter::Start()
{
    // The first flush comes with the first second of sound: here it would delay the take.
    if (!UpdateHeader(false))
        return false;
    m_thread = std::thread(&CTakeWriter::Run, this);
    return true;
}

bool CTakeWriter::Write(const char* data, DWORD n)
{
    if (Failed())
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_queued + n > kMaxQueuedBytes) {
        m_full = true;
        return false;
    }
    m_queue.emplace_back(data, data + n);
    m_queued += n;
    m_wake.notify_one();
    return true;
}

bool CTakeWriter::Finish()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_finishing = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    return !Failed();
}

void CTakeWriter::Run()
{
    auto headerDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHeaderEveryMs);
    for (bool last = false; !last;) {
        std::deque<std::vector<char>> batch;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            m_wake.wait_until(guard, headerDue, [this] { return !m_queue.empty() || m_finishing; });
            batch.swap(m_queue);
            m_queued = 0;
            last = m_finishing;
        }
        // After a failed write nothing more is written: the take keeps what reached it whole.
        for (const std::vector<char>& bytes : batch) {
            if (m_failed)
                break;
            const DWORD n = static_cast<DWORD>(bytes.size());
            if (m_written + uint64_t(n) > wave::MaxDataBytes(m_format) || !m_take->Append(bytes.data(), n))
                m_failed = true;
            else
                m_written += n;
        }
        if (last || std::chrono::steady_clock::now() >= headerDue) {
            if (!UpdateHeader(true))
                m_failed = true;
            headerDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHeaderEveryMs);
        }
    }
}

bool CTakeWriter::UpdateHeader(bool flush)
{
    std::vector<uint8_t> header;
    return wave::BuildWaveHeader(m_format, m_written, header) &&
           m_take->WriteAt(0, header.data(), static_cast<DWORD>(header.size())) &&
           (!flush || m_take->Flush());
}
