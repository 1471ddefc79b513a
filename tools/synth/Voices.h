// The sound of one event of each instrument kind, added into the instrument's stereo bus.
// A voice owns only its running state while it renders; it cannot fail, and it stops at
// the end of the bus.
#pragma once

#include "Arrangement.h"
#include "Dsp.h"

#include <vector>

namespace Synth
{
    struct Stereo
    {
        explicit Stereo(size_t length) : left(length, 0.0f), right(length, 0.0f) {}
        size_t Length() const { return left.size(); }

        std::vector<float> left;
        std::vector<float> right;
    };

    // `cutoff` is the instrument's cutoff per sample (see CutoffCurve); `rng` is the instrument's own.
    void RenderVoice(const Instrument& instrument, const Event& event, const std::vector<float>& cutoff,
                     Rng& rng, Stereo& bus);
} // namespace Synth
