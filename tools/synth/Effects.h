// Effects on whole stereo buffers: high-pass, ping-pong echo, the shared hall reverb and the
// master limiter. Each works in place or into a caller's buffer, holds its state only during
// the call, and cannot fail.
#pragma once

#include "Voices.h"

namespace Synth
{
    // Two-pole Butterworth high-pass on both channels.
    void HighPass(Stereo& buffer, double cutoff);

    // Feeds `send` of the buffer into an echo that bounces between left and right, and adds the echoes.
    void PingPongDelay(Stereo& buffer, double send, double delaySeconds, double feedback);

    // A Schroeder-Moorer hall (eight damped combs and four all-passes per side); adds its wet output
    // of `input` to `output`.
    void Hall(const Stereo& input, const Reverb& settings, Stereo& output);

    // Scales the buffer so its loudest peak would reach ceilingDb + pushDb, then holds every peak at
    // ceilingDb with a look-ahead limiter. The result never exceeds the ceiling.
    void Master(Stereo& buffer, double ceilingDb, double pushDb);

    // Largest absolute sample of either channel.
    double Peak(const Stereo& buffer);
} // namespace Synth
