#include "WaveFileIO.h"
#include "CFileByteSource.h"
#include "CTempFile.h"
#include "CWaveFile.h"
#include "FileAt.h"
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

const DWORD kCopyChunk = 1024 * 1024;   // far fewer trips through the system: 3x faster under Wine

MCIERROR OpenError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
        return MCIERR_FILE_NOT_FOUND;
    default:
        return MCIERR_FILE_READ;
    }
}

HANDLE OpenForReading(const char* path, MCIERROR& error)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = OpenError(GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = MCIERR_INVALID_FILE;
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CWaveFile::Hold(path);
    if (file == INVALID_HANDLE_VALUE)
        error = OpenError(GetLastError());
    return file;
}

// A refusal told truthfully. "The file may be corrupt" only for a file that breaks the rules;
// a sound file in a format we do not play gets "cannot recognize the current file format".
MCIERROR ParseError(wave::WaveError error)
{
    switch (wave::KindOf(error)) {
    case wave::WaveErrorKind::None: return 0;
    case wave::WaveErrorKind::ReadFailed: return MCIERR_FILE_READ;
    case wave::WaveErrorKind::Unsupported: return MCIERR_WAVE_SETOUTPUTUNSUITABLE;
    default: return MCIERR_INVALID_FILE;
    }
}

// Why a save could not begin. A folder that is not there is the user's to correct, so it is
// told as such; anything else is the system refusing to write there.
MCIERROR SaveError(DWORD error)
{
    const bool noSuchPlace = OpenError(error) == MCIERR_FILE_NOT_FOUND || error == ERROR_DIRECTORY ||
                             error == ERROR_FILENAME_EXCED_RANGE;
    return noSuchPlace ? MCIERR_FILE_NOT_FOUND : MCIERR_FILE_NOT_SAVED;
}

// Where the finished file goes; false for a path too long or without a name in it.
bool FullPath(const char* path, std::string& full)
{
    char buffer[MAX_PATH];
    char* name = nullptr;
    const DWORD n = GetFullPathNameA(path, MAX_PATH, buffer, &name);
    if (n == 0 || n >= MAX_PATH || !name || !*name)
        return false;
    full = buffer;
    return true;
}

bool TargetReplaceable(const std::string& full)
{
    const DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;   // a new file
    // Checked up front: a rename may replace a read-only file where the system allows it.
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

bool WriteAll(HANDLE file, const void* data, DWORD n)
{
    DWORD done = 0;
    return WriteFile(file, data, n, &done, nullptr) && done == n;
}

// How far a copying save has come, and whether it is to stop; shared with the thread that copies.
struct CopyProgress {
    std::atomic<uint64_t> done{0};
    std::atomic<bool> stop{false};
};

MCIERROR WriteWave(HANDLE file, wave::IWaveByteSource* sound, uint64_t offset, uint64_t length, const wave::WaveFormat& format,
                   CopyProgress& progress)
{
    std::vector<uint8_t> header;
    if (length > wave::MaxDataBytes(format) || !wave::BuildWaveHeader(format, static_cast<uint32_t>(length), header))
        return MCIERR_FILE_NOT_SAVED;
    if (!WriteAll(file, header.data(), static_cast<DWORD>(header.size())))
        return MCIERR_FILE_WRITE;
    std::vector<char> buffer(kCopyChunk);
    for (uint64_t done = 0; done < length;) {
        if (progress.stop)
            return MCIERR_FILE_NOT_SAVED;
        const DWORD n = static_cast<DWORD>(std::min<uint64_t>(kCopyChunk, length - done));
        if (!sound->ReadAt(offset + done, buffer.data(), n))
            return MCIERR_FILE_READ;
        if (!WriteAll(file, buffer.data(), n))
            return MCIERR_FILE_WRITE;
        done += n;
        progress.done = done;
    }
    const char pad = 0;
    if (wave::PadBytes(static_cast<uint32_t>(length)) && !WriteAll(file, &pad, 1))
        return MCIERR_FILE_WRITE;
    return FlushFileBuffers(file) ? 0 : MCIERR_FILE_WRITE;
}

// The whole copying save: the new file beside the target, then the replace.
MCIERROR CopyIntoPlace(const std::string& full, wave::IWaveByteSource* sound, uint64_t offset, uint64_t length,
                       const wave::WaveFormat& format, CWaveFile* held, CopyProgress& progress)
{
    const std::string folder = full.substr(0, full.find_last_of('\\') + 1);
    char temp[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), "vsv", 0, temp) == 0)
        return SaveError(GetLastError());   // missing folder, or no right to write in it
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    MCIERROR error = file == INVALID_HANDLE_VALUE ? MCIERR_FILE_NOT_SAVED
                                                  : WriteWave(file, sound, offset, length, format, progress);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!error) {
        const uint64_t dataOffset = wave::WaveHeaderBytes(format);
        const bool moved = held ? held->MoveOver(temp, full.c_str(), dataOffset) : MoveIntoPlace(temp, full.c_str());
        if (!moved)
            error = MCIERR_FILE_NOT_SAVED;
    }
    if (error)
        DeleteFileA(temp);
    return error;
}

bool IsRecorderLayout(const wave::WaveLayout& layout)
{
    return layout.dataOffset == wave::kPcmHeaderBytes && wave::IsRecordingFormat(layout.format);
}

// What the take's writer would have done next: the header for all of its sound, and no part
// of a block after it. A failure leaves the file as it was, which opens all the same.
void BringUpToDate(CTempFile& take, const wave::WaveFormat& format, uint64_t length)
{
    std::vector<uint8_t> header;
    if (!wave::BuildWaveHeader(format, static_cast<uint32_t>(length), header) ||
        !take.WriteAt(0, header.data(), static_cast<DWORD>(header.size())))
        return;
    take.Truncate(wave::kPcmHeaderBytes + length);
    take.Flush();
}

} // namespace

uint64_t TakeSoundBytes(const wave::WaveLayout& layout, uint64_t fileSize)
{
    if (!IsRecorderLayout(layout) || fileSize < wave::kPcmHeaderBytes)
        return layout.dataBytes;
    const uint64_t bytes = std::min<uint64_t>(fileSize - wave::kPcmHeaderBytes, wave::MaxDataBytes(layout.format));
    return bytes - bytes % layout.format.blockAlign;
}

MCIERROR OpenTakeFile(const char* path, std::shared_ptr<CTempFile>& sound, uint64_t& offset, uint64_t& length,
                      wave::WaveFormat& format)
{
    auto take = std::make_shared<CTempFile>();
    if (!take->Adopt(path))
        return OpenError(GetLastError());
    wave::WaveLayout layout;
    if (const MCIERROR error = ParseError(wave::ParseWave(*take, layout))) {
        take->Disown();   // not a take we can open: it stays as it was
        return error;
    }
    const uint64_t bytes = TakeSoundBytes(layout, take->Size());
    if (IsRecorderLayout(layout))
        BringUpToDate(*take, layout.format, bytes);
    sound = take;
    offset = layout.dataOffset;
    length = bytes;
    format = layout.format;
    return 0;
}

MCIERROR OpenWaveFile(const char* path, std::shared_ptr<CWaveFile>& sound, uint64_t& length,
                      wave::WaveFormat& format)
{
    MCIERROR error = 0;
    HANDLE file = OpenForReading(path, error);
    if (file == INVALID_HANDLE_VALUE)
        return error;
    CFileByteSource source(file);
    wave::WaveLayout layout;
    error = source.SizeKnown() ? ParseError(wave::ParseWave(source, layout)) : MCIERR_FILE_READ;
    if (error) {
        CloseHandle(file);
        return error;
    }
    sound = std::make_shared<CWaveFile>(file, layout.dataOffset, layout.dataBytes);
    length = layout.dataBytes;
    format = layout.format;
    return 0;
}

MCIERROR SaveTarget(const char* path, std::string& full)
{
    if (!path || !*path)
        return MCIERR_FILENAME_REQUIRED;
    if (!FullPath(path, full))
        return MCIERR_FILE_NOT_FOUND;   // no path a file can have: too long, or no name in it
    return TargetReplaceable(full) ? 0 : MCIERR_FILE_NOT_SAVED;
}

bool MoveTakeIntoPlace(CTempFile& take, uint64_t offset, uint64_t length, const wave::WaveFormat& format,
                       const std::string& target)
{
    std::vector<uint8_t> header;
    if (length > wave::MaxDataBytes(format) || !wave::BuildWaveHeader(format, static_cast<uint32_t>(length), header) ||
        header.size() != offset || take.Size() < offset + length)
        return false;
    const char pad = 0;
    const bool padded = wave::PadBytes(static_cast<uint32_t>(length)) != 0;
    return take.WriteAt(0, header.data(), static_cast<DWORD>(header.size())) &&
           (!padded || take.WriteAt(offset + length, &pad, 1)) && take.Truncate(offset + length + padded) &&
           take.Flush() && take.MoveTo(target.c_str());
}

MCIERROR SaveWaveFile(const std::string& full, const std::shared_ptr<wave::IWaveByteSource>& sound, uint64_t offset,
                      uint64_t length, const wave::WaveFormat& format, CWaveFile* held, const MciYield& yield)
{
    CopyProgress progress;
    MCIERROR result = 0;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread copier;
    if (done) {
        try {
            copier = std::thread([&] {
                result = CopyIntoPlace(full, sound.get(), offset, length, format, held, progress);
                SetEvent(done);
            });
        } catch (const std::system_error&) {
        }
    }
    if (!copier.joinable()) {
        // No thread or event to spare: the copy runs here, and the caller waits without a word.
        result = CopyIntoPlace(full, sound.get(), offset, length, format, held, progress);
    } else {
        for (;;) {
            const DWORD woke = yield ? MsgWaitForMultipleObjects(1, &done, FALSE, 50, QS_ALLINPUT)
                                     : WaitForSingleObject(done, INFINITE);
            if (woke == WAIT_OBJECT_0)
                break;
            const DWORD percent = length ? static_cast<DWORD>(progress.done * 100 / length) : 100;
            if (!progress.stop && !yield(percent))
                progress.stop = true;
        }
        copier.join();
    }
    if (done)
        CloseHandle(done);
    return result;
}
