// Buffer effects of kelvorandum-synth. Delay lines and filter states live for one call;
// nothing can fail beyond running out of memory.
#include "Effects.h"

#include <algorithm>
#include <deque>

namespace Synth
{
    void HighPass(Stereo& buffer, double cutoff)
    {
        Svf left, right;
        // Resonance whose Q is 0.707: flat pass band, no bump at the corner.
        left.Set(cutoff, 0.3081);
        right.Set(cutoff, 0.3081);
        for (size_t n = 0; n < buffer.Length(); ++n)
        {
            left.Process(buffer.left[n]);
            right.Process(buffer.right[n]);
            buffer.left[n] = static_cast<float>(left.high);
            buffer.right[n] = static_cast<float>(right.high);
        }
    }

    void PingPongDelay(Stereo& buffer, double send, double delaySeconds, double feedback)
    {
        size_t delay = std::max<size_t>(1, static_cast<size_t>(std::llround(delaySeconds * sampleRate)));
        std::vector<float> lineLeft(delay, 0.0f), lineRight(delay, 0.0f);
        // Each repeat loses some top, like tape, so the echoes sit behind the dry sound.
        OnePoleLowPass dampLeft(3500.0), dampRight(3500.0);
        size_t at = 0;
        for (size_t n = 0; n < buffer.Length(); ++n)
        {
            double outLeft = lineLeft[at];
            double outRight = lineRight[at];
            double input = 0.5 * (buffer.left[n] + buffer.right[n]) * send;
            lineLeft[at] = static_cast<float>(input + dampRight.Process(outRight) * feedback);
            lineRight[at] = static_cast<float>(dampLeft.Process(outLeft) * feedback);
            buffer.left[n] += static_cast<float>(outLeft);
            buffer.right[n] += static_cast<float>(outRight);
            at = at + 1 == delay ? 0 : at + 1;
        }
    }

    namespace
    {
        class Comb
        {
        public:
            Comb(size_t length, double feedback, double damp)
                : line(length, 0.0f), feedback(feedback), damp(damp)
            {
            }

            double Process(double input)
            {
                double output = line[at];
                store = output * (1.0 - damp) + store * damp;
                line[at] = static_cast<float>(input + store * feedback);
                at = at + 1 == line.size() ? 0 : at + 1;
                return output;
            }

        private:
            std::vector<float> line;
            double feedback;
            double damp;
            double store = 0.0;
            size_t at = 0;
        };

        class AllPass
        {
        public:
            explicit AllPass(size_t length) : line(length, 0.0f) {}

            double Process(double input)
            {
                double delayed = line[at];
                line[at] = static_cast<float>(input + delayed * 0.5);
                at = at + 1 == line.size() ? 0 : at + 1;
                return delayed - input;
            }

        private:
            std::vector<float> line;
            size_t at = 0;
        };

        // Mutually prime lengths at 44.1 kHz; the right side is offset so the two sides decorrelate.
        const size_t combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        const size_t allPassLengths[] = {556, 441, 341, 225};
        constexpr size_t stereoSpread = 23;

        double HallSide(std::vector<Comb>& combs, std::vector<AllPass>& allPasses, double input)
        {
            double sum = 0.0;
            for (Comb& comb : combs)
                sum += comb.Process(input);
            for (AllPass& allPass : allPasses)
                sum = allPass.Process(sum);
            return sum;
        }
    } // namespace

    void Hall(const Stereo& input, const Reverb& settings, Stereo& output)
    {
        double feedback = 0.7 + 0.28 * settings.size;
        double damp = 0.4 * settings.damp;
        std::vector<Comb> combsLeft, combsRight;
        std::vector<AllPass> allPassesLeft, allPassesRight;
        for (size_t length : combLengths)
        {
            combsLeft.emplace_back(length, feedback, damp);
            combsRight.emplace_back(length + stereoSpread, feedback, damp);
        }
        for (size_t length : allPassLengths)
        {
            allPassesLeft.emplace_back(length);
            allPassesRight.emplace_back(length + stereoSpread);
        }
        size_t preDelay = static_cast<size_t>(settings.preDelay * sampleRate) + 1;
        std::vector<float> preLine(preDelay, 0.0f);
        size_t at = 0;
        // The hall gets no lows: reverberant bass only muddies the kick and the bass line.
        Svf lowCut;
        lowCut.Set(280.0, 0.3081);
        double gain = DecibelsToGain(settings.gain) * 0.06;
        for (size_t n = 0; n < input.Length(); ++n)
        {
            lowCut.Process(0.5 * (input.left[n] + input.right[n]));
            double delayed = preLine[at];
            preLine[at] = static_cast<float>(lowCut.high);
            at = at + 1 == preDelay ? 0 : at + 1;
            output.left[n] += static_cast<float>(HallSide(combsLeft, allPassesLeft, delayed) * gain);
            output.right[n] += static_cast<float>(HallSide(combsRight, allPassesRight, delayed) * gain);
        }
    }

    double Peak(const Stereo& buffer)
    {
        double peak = 0.0;
        for (size_t n = 0; n < buffer.Length(); ++n)
            peak = std::max({peak, static_cast<double>(std::fabs(buffer.left[n])),
                             static_cast<double>(std::fabs(buffer.right[n]))});
        return peak;
    }

    void Master(Stereo& buffer, double ceilingDb, double pushDb)
    {
        double peak = Peak(buffer);
        if (peak <= 0.0)
            return;
        double ceiling = DecibelsToGain(ceilingDb);
        double scale = DecibelsToGain(ceilingDb + pushDb) / peak;
        size_t length = buffer.Length();
        constexpr size_t lookAhead = 132; // 3 ms: long enough to ease into a kick's attack
        double release = 1.0 - std::exp(-1.0 / (0.08 * sampleRate));

        // Gain each sample needs on its own.
        std::vector<float> needed(length);
        for (size_t n = 0; n < length; ++n)
        {
            double level = std::max(std::fabs(buffer.left[n]), std::fabs(buffer.right[n])) * scale;
            needed[n] = static_cast<float>(level > ceiling ? ceiling / level : 1.0);
        }
        // Smallest need over the look-ahead window, then a slow recovery. Averaging that over the
        // window behind each sample reaches any peak's need by the peak itself, without a step.
        std::vector<float> held(length);
        std::deque<size_t> window;
        size_t next = 0;
        double recovering = 1.0;
        for (size_t n = 0; n < length; ++n)
        {
            for (; next < length && next < n + lookAhead; ++next)
            {
                while (!window.empty() && needed[window.back()] >= needed[next])
                    window.pop_back();
                window.push_back(next);
            }
            while (window.front() < n)
                window.pop_front();
            recovering = std::min<double>(needed[window.front()], recovering + (1.0 - recovering) * release);
            held[n] = static_cast<float>(recovering);
        }
        double sum = 0.0;
        for (size_t n = 0; n < length; ++n)
        {
            sum += held[n];
            if (n >= lookAhead)
                sum -= held[n - lookAhead];
            double gain = sum / static_cast<double>(std::min(n + 1, lookAhead)) * scale;
            // The average can sit a rounding error above the need; the clamp makes the ceiling exact.
            buffer.left[n] = static_cast<float>(std::clamp(buffer.left[n] * gain, -ceiling, ceiling));
            buffer.right[n] = static_cast<float>(std::clamp(buffer.right[n] * gain, -ceiling, ceiling));
        }
    }
} // namespace Synth
