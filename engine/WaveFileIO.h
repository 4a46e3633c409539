#pragma once
// Loading a WAVE file into a device's content and saving content as a WAVE file.
#include "CTempFile.h"
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>
#include <memory>

// Copies the file's samples, byte for byte, into a new scratch file and closes the file again,
// so the device never keeps the user's file open. On failure the outputs are left untouched.
// A damaged file is MCIERR_INVALID_FILE; a sound one in a format we do not play is
// MCIERR_WAVE_SETOUTPUTUNSUITABLE ("cannot recognize the current file format").
MCIERROR LoadWaveFile(const char* path, std::shared_ptr<CTempFile>& sound, uint64_t& length,
                      wave::WaveFormat& format);

// Writes a canonical WAVE file in the format's own kind next to the target and moves it over
// the target only once it is complete, so a failed save never damages an existing file.
// The sound is 'length' bytes from 'offset' on in 'sound' (none when length is 0).
MCIERROR SaveWaveFile(const char* path, CTempFile* sound, uint64_t offset, uint64_t length,
                      const wave::WaveFormat& format);
