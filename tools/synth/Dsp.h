// Small signal-processing parts of kelvorandum-synth: noise, oscillators, filters, envelope.
// Plain values with no resources; they cannot fail. Every random number comes from Rng,
// so a render depends only on the score and its seed.
#pragma once

#include <cmath>
#include <cstdint>

namespace Synth
{
    constexpr double pi = 3.14159265358979323846;

    // SplitMix64: small, fast and the same on every platform.
    class Rng
    {
    public:
        explicit Rng(uint64_t seed) : state(seed) {}

        uint64_t Next()
        {
            uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            return z ^ (z >> 31);
        }

        double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); } // [0, 1)
        double Signed() { return Unit() * 2.0 - 1.0; }                                           // [-1, 1)

    private:
        uint64_t state;
    };

    // Smooths the step of a naive saw or square at its discontinuity (polynomial band-limited step),
    // which keeps high notes from folding back as harsh aliases.
    inline double PolyBlep(double phase, double increment)
    {
        if (phase < increment)
        {
            double t = phase / increment;
            return t + t - t * t - 1.0;
        }
        if (phase > 1.0 - increment)
        {
            double t = (phase - 1.0) / increment;
            return t * t + t + t + 1.0;
        }
        return 0.0;
    }

    // One sample of a shape (see Shape) at phase [0, 1) advancing by `increment` per sample.
    inline double Oscillator(int shape, double phase, double increment)
    {
        switch (shape)
        {
        case 0: // saw
            return 2.0 * phase - 1.0 - PolyBlep(phase, increment);
        case 1: // square
        {
            double half = phase + 0.5 >= 1.0 ? phase - 0.5 : phase + 0.5;
            return (phase < 0.5 ? 1.0 : -1.0) + PolyBlep(phase, increment) - PolyBlep(half, increment);
        }
        case 2: // triangle: its harmonics fall fast enough to do without correction
            return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        default:
            return std::sin(2.0 * pi * phase);
        }
    }

    // State-variable filter in topology-preserving form: stays stable while its cutoff moves every sample.
    class Svf
    {
    public:
        // resonance 0 (Q 0.5) to 1 (Q about 10)
        void Set(double cutoff, double resonance)
        {
            double limited = std::fmin(std::fmax(cutoff, 10.0), 0.45 * 44100.0);
            g = std::tan(pi * limited / 44100.0);
            k = 2.0 - 1.9 * resonance;
            a1 = 1.0 / (1.0 + g * (g + k));
            a2 = g * a1;
            a3 = g * a2;
        }

        void Process(double input)
        {
            double v3 = input - ic2;
            double v1 = a1 * ic1 + a2 * v3;
            double v2 = ic2 + a2 * ic1 + a3 * v3;
            ic1 = 2.0 * v1 - ic1;
            ic2 = 2.0 * v2 - ic2;
            low = v2;
            band = v1;
            high = input - k * v1 - v2;
        }

        double low = 0.0;
        double band = 0.0;
        double high = 0.0;

    private:
        double g = 0.0, k = 2.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
        double ic1 = 0.0, ic2 = 0.0;
    };

    class OnePoleLowPass
    {
    public:
        explicit OnePoleLowPass(double cutoff) : coefficient(1.0 - std::exp(-2.0 * pi * cutoff / 44100.0)) {}
        double Process(double input) { return state += coefficient * (input - state); }

    private:
        double coefficient;
        double state = 0.0;
    };

    // Attack rises in a straight line; decay and release fall exponentially, reaching about 5 % of
    // the way to their target after their time.
    class Envelope
    {
    public:
        Envelope(double attack, double decay, double sustain, double release)
            : attackStep(1.0 / (attack * 44100.0)), decayCoefficient(std::exp(-3.0 / (decay * 44100.0))),
              releaseCoefficient(std::exp(-3.0 / (release * 44100.0))), sustain(sustain)
        {
        }

        void Release() { stage = ReleaseStage; }
        // A release has died away, or a decay to no sustain has.
        bool Finished() const
        {
            return stage != AttackStage && level < 1e-4 && (stage == ReleaseStage || sustain < 1e-4);
        }

        double Next()
        {
            switch (stage)
            {
            case AttackStage:
                level += attackStep;
                if (level >= 1.0)
                {
                    level = 1.0;
                    stage = DecayStage;
                }
                break;
            case DecayStage:
                level = sustain + (level - sustain) * decayCoefficient;
                break;
            case ReleaseStage:
                level *= releaseCoefficient;
                break;
            }
            return level;
        }

    private:
        enum Stage
        {
            AttackStage,
            DecayStage,
            ReleaseStage
        };
        double attackStep;
        double decayCoefficient;
        double releaseCoefficient;
        double sustain;
        double level = 0.0;
        Stage stage = AttackStage;
    };

    inline double DecibelsToGain(double decibels)
    {
        return std::pow(10.0, decibels / 20.0);
    }
    inline double MidiToHz(double midi)
    {
        return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
    }
} // namespace Synth
