// Voices of the six instrument kinds. Each renders one event from its start until it has died
// away (or the bus ends) and adds it to the bus; nothing is kept between events but the
// instrument's random stream.
#include "Voices.h"

#include <algorithm>

namespace Synth
{
    namespace
    {
        constexpr double rate = sampleRate;

        int64_t Remaining(const Event& event, const Stereo& bus, double seconds)
        {
            int64_t wanted = static_cast<int64_t>(seconds * rate);
            return std::max<int64_t>(
                0, std::min<int64_t>(wanted, static_cast<int64_t>(bus.Length()) - event.start));
        }

        void Add(Stereo& bus, int64_t at, double left, double right)
        {
            bus.left[at] += static_cast<float>(left);
            bus.right[at] += static_cast<float>(right);
        }

        // A sine whose pitch falls from `punch` to `tune`, a short noise click on top, then soft clipping
        // that rounds the peak and adds weight.
        void Kick(const Instrument& instrument, const Event& event, Rng& rng, Stereo& bus)
        {
            double tune = instrument.Get("tune");
            double punch = instrument.Get("punch");
            double decay = instrument.Get("decay");
            double click = instrument.Get("click");
            double drive = instrument.Get("drive");
            double norm = 1.0 / std::tanh(drive);
            double sweep = 1.0;
            double sweepFall = std::exp(-1.0 / (0.028 * rate));
            double amp = 1.0;
            double ampFall = std::exp(-4.0 / (decay * rate));
            double clickEnv = 1.0;
            double clickFall = std::exp(-1.0 / (0.0015 * rate));
            double phase = 0.0;
            double previousNoise = 0.0;
            int64_t length = Remaining(event, bus, decay * 2.0);
            for (int64_t t = 0; t < length; ++t)
            {
                double frequency = tune + (punch - tune) * sweep;
                double noise = rng.Signed();
                double body = std::sin(2.0 * pi * phase) * amp;
                double x = body + click * 0.5 * (noise - previousNoise) * clickEnv;
                double y = std::tanh(drive * x) * norm * event.velocity;
                Add(bus, event.start + t, y, y);
                previousNoise = noise;
                phase += frequency / rate;
                phase -= std::floor(phase);
                sweep *= sweepFall;
                amp *= ampFall;
                clickEnv *= clickFall;
            }
        }

        void Snare(const Instrument& instrument, const Event& event, const std::vector<float>& cutoff,
                   Rng& rng, Stereo& bus)
        {
            double tone = instrument.Get("tone");
            double decay = instrument.Get("decay");
            double mix = instrument.Get("noise");
            Svf filter;
            filter.Set(cutoff[event.start], 0.1);
            double phase = 0.0;
            double toneAmp = 1.0, toneFall = std::exp(-1.0 / (0.045 * rate));
            double bend = 1.0, bendFall = std::exp(-1.0 / (0.012 * rate));
            double noiseAmp = 1.0, noiseFall = std::exp(-3.0 / (decay * rate));
            int64_t length = Remaining(event, bus, std::max(decay * 2.5, 0.25));
            for (int64_t t = 0; t < length; ++t)
            {
                filter.Process(rng.Signed());
                double body = std::sin(2.0 * pi * phase) * toneAmp;
                double y = ((1.0 - mix) * body + mix * filter.high * noiseAmp) * event.velocity;
                Add(bus, event.start + t, y, y);
                phase += tone * (1.0 + 0.5 * bend) / rate;
                phase -= std::floor(phase);
                toneAmp *= toneFall;
                bend *= bendFall;
                noiseAmp *= noiseFall;
            }
        }

        // Band-passed noise in three quick bursts, the way several hands never clap quite together,
        // then a tail.
        void Clap(const Instrument& instrument, const Event& event, const std::vector<float>& cutoff,
                  Rng& rng, Stereo& bus)
        {
            static const double bursts[] = {0.0, 0.011, 0.023}; // the last one rings on as the tail
            double decay = instrument.Get("decay");
            Svf filter;
            filter.Set(cutoff[event.start], 0.45);
            int64_t length = Remaining(event, bus, bursts[2] + decay * 2.5);
            for (int64_t t = 0; t < length; ++t)
            {
                double seconds = t / rate;
                double env;
                if (seconds >= bursts[2])
                    env = std::exp(-3.0 * (seconds - bursts[2]) / decay);
                else
                    env = std::exp(-(seconds - (seconds >= bursts[1] ? bursts[1] : bursts[0])) / 0.0045);
                filter.Process(rng.Signed());
                double y = filter.band * 1.6 * env * event.velocity;
                Add(bus, event.start + t, y, y);
            }
        }

        // High-passed noise mixed with six detuned square waves, the classic metallic hat recipe.
        void Hat(const Instrument& instrument, const Event& event, const std::vector<float>& cutoff, Rng& rng,
                 Stereo& bus)
        {
            static const double partials[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
            double decay = instrument.Get("decay");
            double metal = instrument.Get("metal");
            Svf first, second;
            first.Set(cutoff[event.start], 0.25);
            second.Set(cutoff[event.start], 0.25);
            double phases[6];
            for (double& phase : phases)
                phase = rng.Unit();
            double amp = 1.0, fall = std::exp(-3.0 / (decay * rate));
            int64_t attack = static_cast<int64_t>(0.0007 * rate);
            int64_t length = Remaining(event, bus, decay * 2.5);
            for (int64_t t = 0; t < length; ++t)
            {
                double squares = 0.0;
                for (int i = 0; i < 6; ++i)
                {
                    squares += phases[i] < 0.5 ? 1.0 : -1.0;
                    phases[i] += partials[i] * 4.0 / rate;
                    phases[i] -= std::floor(phases[i]);
                }
                first.Process((1.0 - metal) * rng.Signed() + metal * squares / 3.0);
                second.Process(first.high);
                double rise = t < attack ? static_cast<double>(t) / attack : 1.0;
                double y = second.high * amp * rise * event.velocity;
                Add(bus, event.start + t, y, y);
                amp *= fall;
            }
        }

        // Wide filtered noise held like a note: risers, sweeps and washes.
        void Noise(const Instrument& instrument, const Event& event, const std::vector<float>& cutoff,
                   Rng& rng, Stereo& bus)
        {
            double reso = instrument.Get("reso");
            Envelope envelope(instrument.Get("attack"), instrument.Get("decay"), instrument.Get("sustain"),
                              instrument.Get("release"));
            Svf left, right;
            int64_t gate = event.gateEnd - event.start;
            for (int64_t t = 0; event.start + t < static_cast<int64_t>(bus.Length()); ++t)
            {
                if (t == gate)
                    envelope.Release();
                double env = envelope.Next();
                if (envelope.Finished())
                    break;
                double frequency = cutoff[event.start + t];
                left.Set(frequency, reso);
                right.Set(frequency, reso);
                left.Process(rng.Signed());
                right.Process(rng.Signed());
                double gain = env * event.velocity;
                Add(bus, event.start + t, left.low * gain, right.low * gain);
            }
        }

        // Subtractive synth voice: unison oscillators spread across the stereo field, a sub sine,
        // a low-pass filter opened by its own envelope, an amplitude envelope, optional glide and vibrato.
        class SynthVoice
        {
        public:
            SynthVoice(const Instrument& instrument, const Event& event, Rng& rng)
                : instrument(instrument), event(event),
                  envelope(instrument.Get("attack"), instrument.Get("decay"), instrument.Get("sustain"),
                           instrument.Get("release")),
                  shape(static_cast<int>(instrument.Get("osc"))),
                  unison(static_cast<int>(instrument.Get("unison")))
            {
                double detune = instrument.Get("detune");
                double width = instrument.Get("width");
                for (int k = 0; k < unison; ++k)
                {
                    double spread = unison == 1 ? 0.0 : 2.0 * k / (unison - 1) - 1.0;
                    ratio[k] = std::pow(2.0, spread * detune * 0.5 / 1200.0);
                    double place = (spread * width + 1.0) * pi / 4.0;
                    leftGain[k] = std::cos(place);
                    rightGain[k] = std::sin(place);
                    // Free-running phases, as in an analogue synth, keep unison from starting as one loud
                    // spike.
                    phase[k] = unison == 1 ? 0.0 : rng.Unit();
                }
                level = std::sqrt(2.0 / unison);
            }

            void Render(const std::vector<float>& cutoff, Stereo& bus)
            {
                double sub = instrument.Get("sub");
                double reso = instrument.Get("reso");
                double envmod = instrument.Get("envmod") * event.velocity;
                double filterEnv = 1.0, filterFall = std::exp(-3.0 / (instrument.Get("fdecay") * rate));
                double vibrato = instrument.Get("vibrato") / 100.0;
                double glide = event.glideFrom >= 0 ? static_cast<double>(event.glideFrom - event.midi) : 0.0;
                double glideFall = std::exp(-3.0 / (std::max(instrument.Get("glide"), 0.001) * rate));
                double subPhase = 0.0;
                int64_t gate = event.gateEnd - event.start;
                int64_t cut = event.cutAt < 0 ? -1 : event.cutAt - event.start;
                int64_t cutFade = static_cast<int64_t>(0.004 * rate);
                double baseFrequency = MidiToHz(event.midi);
                for (int64_t t = 0; event.start + t < static_cast<int64_t>(bus.Length()); ++t)
                {
                    if (t == gate)
                        envelope.Release();
                    double amp = envelope.Next();
                    if (envelope.Finished() || (cut >= 0 && t >= cut + cutFade))
                        break;
                    if (cut >= 0 && t >= cut)
                        amp *= 1.0 - static_cast<double>(t - cut) / cutFade;
                    double frequency = baseFrequency;
                    if (glide != 0.0 || vibrato != 0.0)
                    {
                        // Vibrato fades in over the first 0.4 s so short notes stay steady.
                        double depth = vibrato * std::min(1.0, t / (0.4 * rate));
                        double wobble = depth * std::sin(2.0 * pi * 5.2 * t / rate);
                        frequency = MidiToHz(event.midi + glide + wobble);
                        glide *= glideFall;
                    }
                    double left = 0.0, right = 0.0;
                    double increment = frequency / rate;
                    for (int k = 0; k < unison; ++k)
                    {
                        double step = increment * ratio[k];
                        double wave = Oscillator(shape, phase[k], step);
                        left += wave * leftGain[k];
                        right += wave * rightGain[k];
                        phase[k] += step;
                        phase[k] -= std::floor(phase[k]);
                    }
                    double subWave = sub * std::sin(2.0 * pi * subPhase);
                    subPhase += increment * 0.5;
                    subPhase -= std::floor(subPhase);
                    double frequencyCut = cutoff[event.start + t] + envmod * filterEnv;
                    filterEnv *= filterFall;
                    filterLeft.Set(frequencyCut, reso);
                    filterRight.Set(frequencyCut, reso);
                    filterLeft.Process(left * level);
                    filterRight.Process(right * level);
                    double gain = amp * event.velocity;
                    // The sub bypasses the filter so the low end stays steady while the filter moves.
                    Add(bus, event.start + t, (filterLeft.low + subWave) * gain,
                        (filterRight.low + subWave) * gain);
                }
            }

        private:
            static constexpr int maxUnison = 9;
            const Instrument& instrument;
            const Event& event;
            Envelope envelope;
            Svf filterLeft, filterRight;
            int shape;
            int unison;
            double ratio[maxUnison];
            double leftGain[maxUnison];
            double rightGain[maxUnison];
            double phase[maxUnison];
            double level;
        };
    } // namespace

    void RenderVoice(const Instrument& instrument, const Event& event, const std::vector<float>& cutoff,
                     Rng& rng, Stereo& bus)
    {
        switch (instrument.kind)
        {
        case Kind::Kick:
            Kick(instrument, event, rng, bus);
            break;
        case Kind::Snare:
            Snare(instrument, event, cutoff, rng, bus);
            break;
        case Kind::Clap:
            Clap(instrument, event, cutoff, rng, bus);
            break;
        case Kind::Hat:
            Hat(instrument, event, cutoff, rng, bus);
            break;
        case Kind::Noise:
            Noise(instrument, event, cutoff, rng, bus);
            break;
        case Kind::Synth:
        {
            SynthVoice voice(instrument, event, rng);
            voice.Render(cutoff, bus);
            break;
        }
        }
    }
} // namespace Synth
