// Mixes a score instrument by instrument, so only one instrument's bus and curves are held at
// a time beside the mix and the hall send. Deterministic: each instrument's noise comes from its
// own generator seeded from the score's seed and the instrument's place in the score.
#include "Render.h"

#include "Arrangement.h"

#include <algorithm>
#include <cmath>

namespace Synth
{
    namespace
    {
        // Gain after each kick: a quick dip that swells back over 0.6 beat, the pumping of
        // side-chain compression without the compressor.
        std::vector<float> DuckCurve(const Score& score, const std::vector<std::vector<Event>>& events)
        {
            std::vector<float> curve(static_cast<size_t>(score.TotalSamples()), 1.0f);
            int64_t recovery = static_cast<int64_t>(0.6 * score.BeatSeconds() * sampleRate);
            int64_t attack = static_cast<int64_t>(0.003 * sampleRate);
            for (size_t i = 0; i < score.instruments.size(); ++i)
            {
                if (score.instruments[i].kind != Kind::Kick)
                    continue;
                for (const Event& kick : events[i])
                    for (int64_t t = 0; t < recovery && kick.start + t < static_cast<int64_t>(curve.size());
                         ++t)
                    {
                        double rest = 1.0 - static_cast<double>(t) / recovery;
                        double dip =
                            rest * rest * kick.velocity * std::min(1.0, static_cast<double>(t + 1) / attack);
                        float& value = curve[kick.start + t];
                        value = std::min(value, static_cast<float>(1.0 - dip));
                    }
            }
            return curve;
        }

        Level Measure(const std::string& name, const Stereo& bus)
        {
            double peak = 0.0, sum = 0.0;
            size_t sounding = 0;
            // Loudness where it plays: blocks of 50 ms quieter than -70 dB are left out.
            constexpr size_t block = sampleRate / 20;
            for (size_t start = 0; start < bus.Length(); start += block)
            {
                double blockSum = 0.0;
                size_t end = std::min(bus.Length(), start + block);
                for (size_t n = start; n < end; ++n)
                {
                    double left = bus.left[n], right = bus.right[n];
                    peak = std::max({peak, std::fabs(left), std::fabs(right)});
                    blockSum += 0.5 * (left * left + right * right);
                }
                if (blockSum / (end - start) > 1e-7)
                {
                    sum += blockSum;
                    sounding += end - start;
                }
            }
            auto decibels = [](double value) { return value > 0.0 ? 20.0 * std::log10(value) : -200.0; };
            return {name, decibels(peak), decibels(sounding ? std::sqrt(sum / sounding) : 0.0)};
        }

        void MixInstrument(const Score& score, int index, const std::vector<Event>& events,
                           const std::vector<float>& duck, Stereo& mix, Stereo& hallSend,
                           std::vector<Level>* levels)
        {
            const Instrument& instrument = score.instruments[index];
            size_t length = mix.Length();
            Stereo bus(length);
            std::vector<float> cutoff = CutoffCurve(score, index);
            Rng rng(static_cast<uint64_t>(score.seed) * 0x100000001B3ULL + static_cast<uint64_t>(index) + 1);
            for (const Event& event : events)
                RenderVoice(instrument, event, cutoff, rng, bus);
            cutoff = std::vector<float>();

            if (instrument.Get("hp") > 0.0)
                HighPass(bus, instrument.Get("hp"));
            std::vector<float> gain = GainCurve(score, index);
            double level = DecibelsToGain(instrument.Get("gain"));
            double depth = instrument.Get("duck");
            double place = (instrument.Get("pan") + 1.0) * pi / 4.0;
            double panLeft = std::cos(place) * std::sqrt(2.0);
            double panRight = std::sin(place) * std::sqrt(2.0);
            float lastDb = std::nanf(""); // unequal to every value, so the first sample computes its gain
            double lastGain = 0.0;
            for (size_t n = 0; n < length; ++n)
            {
                if (gain[n] != lastDb)
                {
                    lastDb = gain[n];
                    lastGain = level * DecibelsToGain(lastDb);
                }
                double g = lastGain * (1.0 - depth * (1.0 - duck[n]));
                bus.left[n] = static_cast<float>(bus.left[n] * g * panLeft);
                bus.right[n] = static_cast<float>(bus.right[n] * g * panRight);
            }
            if (instrument.Get("delay") > 0.0)
                PingPongDelay(bus, instrument.Get("delay"), instrument.Get("delaytime") * score.BeatSeconds(),
                              instrument.Get("feedback"));
            if (levels)
                levels->push_back(Measure(instrument.name, bus));
            double send = instrument.Get("reverb");
            for (size_t n = 0; n < length; ++n)
            {
                mix.left[n] += bus.left[n];
                mix.right[n] += bus.right[n];
                hallSend.left[n] += static_cast<float>(bus.left[n] * send);
                hallSend.right[n] += static_cast<float>(bus.right[n] * send);
            }
        }
    } // namespace

    Stereo Render(const Score& score, std::vector<Level>* levels)
    {
        size_t length = static_cast<size_t>(score.TotalSamples());
        std::vector<std::vector<Event>> events = ArrangeEvents(score);
        std::vector<float> duck = DuckCurve(score, events);
        Stereo mix(length);
        Stereo hallSend(length);
        for (size_t i = 0; i < score.instruments.size(); ++i)
            MixInstrument(score, static_cast<int>(i), events[i], duck, mix, hallSend, levels);
        Hall(hallSend, score.reverb, mix);
        if (score.master.highPass > 0.0)
            HighPass(mix, score.master.highPass);
        if (levels)
            levels->push_back(Measure("master", mix));
        Master(mix, score.master.peak, score.master.limit);
        // Whatever still rings when the file ends is faded over 20 ms, so the end never clicks.
        size_t fade = std::min<size_t>(length, static_cast<size_t>(0.02 * sampleRate));
        for (size_t n = length - fade; n < length; ++n)
        {
            float gain = static_cast<float>(length - n) / static_cast<float>(fade + 1);
            mix.left[n] *= gain;
            mix.right[n] *= gain;
        }
        return mix;
    }
} // namespace Synth
