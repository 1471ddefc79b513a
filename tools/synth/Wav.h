// Writes a stereo buffer as a 16-bit PCM WAV file at 44.1 kHz. The file appears whole or not at
// all: it is written beside the target and renamed; a failure throws Zemb::Exception naming the
// path and leaves no file behind.
#pragma once

#include "Voices.h"

#include <string>

namespace Synth
{
    void WriteWav(const std::string& path, const Stereo& buffer);
}
