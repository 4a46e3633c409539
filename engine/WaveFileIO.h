#pragma once
// Opening a WAVE file as a device's sound and saving a device's sound as a WAVE file.
#include "IWaveSound.h"
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>
#include <memory>

// Reads the file's header and holds the file open as the sound (CWaveFile): its samples are
// neither read nor copied, so the cost does not grow with its length. On failure the outputs
// are left untouched. A damaged file is MCIERR_INVALID_FILE; a sound one in a format we do not
// play is MCIERR_WAVE_SETOUTPUTUNSUITABLE ("cannot recognize the current file format").
MCIERROR OpenWaveFile(const char* path, std::shared_ptr<IWaveSound>& sound, uint64_t& length,
                      wave::WaveFormat& format);

// Opens a take file an earlier Vorsel left (CTempFile::Adopt) as a device's sound, which the
// device then deletes as it does its own takes. The take's writer may have died before it
// wrote its sizes, or a second after it last wrote them: all the sound it holds is taken, and
// its header is brought up to date with it. The sound is 'length' bytes from 'offset' on.
// Errors and outputs as OpenWaveFile.
MCIERROR OpenTakeFile(const char* path, std::shared_ptr<IWaveSound>& sound, uint64_t& offset, uint64_t& length,
                      wave::WaveFormat& format);

// The sound bytes a take file holds, from the layout ParseWave found and the file's size. The
// recorder only ever appends sound after its own header, so everything up to the end of the
// file is sound, whatever its header says yet; a file of another layout holds what it says.
uint64_t TakeSoundBytes(const wave::WaveLayout& layout, uint64_t fileSize);

// Writes a canonical WAVE file in the format's own kind next to the target and moves it over
// the target only once it is complete, so a failed save never damages an existing file.
// The sound is 'length' bytes from 'offset' on in 'sound' (none when length is 0); a sound
// held open in the target itself reads from the saved file afterwards.
MCIERROR SaveWaveFile(const char* path, IWaveSound* sound, uint64_t offset, uint64_t length,
                      const wave::WaveFormat& format);
