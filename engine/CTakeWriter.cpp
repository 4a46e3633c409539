#include "CTakeWriter.h"
#include <algorithm>
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
    if (m_queue.size() + n > kMaxQueuedBytes) {
        m_full = true;
        return false;
    }
    m_queue.insert(m_queue.end(), data, data + n);
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
    using std::chrono::milliseconds;
    using std::chrono::steady_clock;
    auto headerDue = steady_clock::now() + milliseconds(kHeaderEveryMs);
    std::vector<char> batch;
    for (bool last = false; !last;) {
        batch.clear();
        {
            std::unique_lock<std::mutex> guard(m_lock);
            const auto writeDue = std::min(headerDue, steady_clock::now() + milliseconds(kWriteEveryMs));
            m_wake.wait_until(guard, writeDue, [this] { return m_finishing; });
            batch.swap(m_queue);
            last = m_finishing;
        }
        // After a failed write nothing more is written: the take keeps what reached it whole.
        // What the header cannot count is not written: a take ends at the format's limit.
        if (!batch.empty() && !m_failed) {
            const uint64_t room = wave::MaxDataBytes(m_format) - m_written;
            const DWORD n = static_cast<DWORD>(std::min<uint64_t>(batch.size(), room));
            const bool wrote = n == 0 || m_take->Append(batch.data(), n);
            if (wrote)
                m_written += n;
            if (!wrote || n < batch.size())
                m_failed = true;
        }
        if (last || steady_clock::now() >= headerDue) {
            if (!UpdateHeader(true))
                m_failed = true;
            headerDue = steady_clock::now() + milliseconds(kHeaderEveryMs);
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
