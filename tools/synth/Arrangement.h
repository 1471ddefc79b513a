// Turns a score's sections into what the voices play: timed note events per instrument and,
// per instrument, the sample-by-sample course of its gain and cutoff. Plain values; the score
// was checked when parsed, so nothing here fails.
#pragma once

#include "Score.h"

#include <vector>

namespace Synth
{
    struct Event
    {
        int64_t start = 0;   // first sample
        int64_t gateEnd = 0; // sample where the key is let go
        int64_t cutAt = -1;  // a mono instrument's next note silences this one here; -1 never
        int midi = 0;        // 0 for drum hits
        int glideFrom = -1;  // MIDI note to slide from; -1 none
        double velocity = 0.0;
    };

    // Each instrument's events, sorted by start.
    std::vector<std::vector<Event>> ArrangeEvents(const Score& score);

    // dB added to the instrument's gain, per sample of the song.
    std::vector<float> GainCurve(const Score& score, int instrument);
    // Filter cutoff in Hz, per sample of the song; swept exponentially so a sweep sounds even.
    std::vector<float> CutoffCurve(const Score& score, int instrument);
} // namespace Synth
