#pragma once
// Opening a WAVE file as a device's sound and saving a device's sound as a WAVE file.
#include "CTempFile.h"
#include "MciPort.h"
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>
#include <memory>
#include <string>

// Reads the file's header and holds the file open as the sound (CWaveFile): its samples are
// neither read nor copied, so the cost does not grow with its length. On failure the outputs
// are left untouched. A damaged file is MCIERR_INVALID_FILE; a sound one in a format we do not
// play is MCIERR_WAVE_SETOUTPUTUNSUITABLE ("cannot recognize the current file format").
class CWaveFile;

MCIERROR OpenWaveFile(const char* path, std::shared_ptr<CWaveFile>& sound, uint64_t& length,
                      wave::WaveFormat& format);

// Opens a take file an earlier Vorsel left (CTempFile::Adopt) as a device's sound, which the
// device then deletes as it does its own takes. The take's writer may have died before it
// wrote its sizes, or a second after it last wrote them: all the sound it holds is taken, and
// its header is brought up to date with it. The sound is 'length' bytes from 'offset' on.
// Errors and outputs as OpenWaveFile.
MCIERROR OpenTakeFile(const char* path, std::shared_ptr<CTempFile>& sound, uint64_t& offset, uint64_t& length,
                      wave::WaveFormat& format);

// The sound bytes a take file holds, from the layout ParseWave found and the file's size. The
// recorder only ever appends sound after its own header, so everything up to the end of the
// file is sound, whatever its header says yet; a file of another layout holds what it says.
uint64_t TakeSoundBytes(const wave::WaveLayout& layout, uint64_t fileSize);

// The full path a save writes to, or why there is none: no name, no path a file can have, or a
// file there that may not be replaced (read-only, or a folder).
MCIERROR SaveTarget(const char* path, std::string& full);

// Saves a take without copying it: its file is made exactly what a copying save writes (the
// header for 'length' bytes of sound at 'offset', the pad byte, nothing after), brought to the
// disk and moved onto the target in one step. False, with the target untouched and the take
// still the take, where it cannot be moved there (another volume, a target in use).
bool MoveTakeIntoPlace(CTempFile& take, uint64_t offset, uint64_t length, const wave::WaveFormat& format,
                       const std::string& target);

// Writes a canonical WAVE file in the format's own kind next to the target and moves it over
// the target only once it is complete, so a failed save never damages an existing file.
// The sound is 'length' bytes from 'offset' on in 'sound' (none when length is 0). 'held' is
// the user's file the sound is read from, if it is one: a save onto that very file reads from
// the saved file afterwards. The copy runs on a thread of its own while this one waits,
// calling yield (if any) with the share done; a yield that answers FALSE stops the copy, and
// the save fails leaving nothing behind.
MCIERROR SaveWaveFile(const std::string& target, const std::shared_ptr<wave::IWaveByteSource>& sound,
                      uint64_t offset, uint64_t length, const wave::WaveFormat& format, CWaveFile* held,
                      const MciYield& yield);
