#pragma once
// Loading a WAVE file into a device's content and saving content as a WAVE file.
#include "CPcmContent.h"
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>

// Copies the file's samples into a new temp file and closes the file again, so the device
// never keeps the user's file open. On failure content and format are left untouched.
MCIERROR LoadWaveFile(const char* path, CPcmContent& content, wave::PcmFormat& format);

// Writes a canonical PCM WAVE file next to the target and moves it over the target only
// once it is complete, so a failed save never damages an existing file.
MCIERROR SaveWaveFile(const char* path, const CPcmContent& content, const wave::PcmFormat& format);
