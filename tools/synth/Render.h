// Renders a whole score to a stereo buffer: every instrument's voices, its own effects and
// sends, the hall, and the master limiter. The buffer is the caller's; rendering cannot fail
// on a score that ParseScore accepted.
#pragma once

#include "Effects.h"

#include <string>
#include <vector>

namespace Synth
{
    // How loud an instrument came out in the mix, before the master stage: for balancing a score.
    struct Level
    {
        std::string name;
        double peakDb;
        double rmsDb; // over the bars where it sounds
    };

    // `levels`, when given, receives one entry per instrument and a last one, "master", for the mix
    // before it is scaled and limited.
    Stereo Render(const Score& score, std::vector<Level>* levels = nullptr);
} // namespace Synth
