// Events and automation curves from a parsed score. Owns nothing beyond its return values;
// cannot fail on a score that ParseScore accepted.
#include "Arrangement.h"

#include <algorithm>
#include <cmath>

namespace Synth
{
    namespace
    {
        struct Span
        {
            int64_t start;
            int64_t end;
            const Part* part;
        };

        std::vector<Span> SpansOf(const Score& score, int instrument)
        {
            std::vector<Span> spans;
            for (const Section& section : score.sections)
                for (const Part& part : section.parts)
                    if (part.instrument == instrument)
                        spans.push_back({score.SampleAt(section.firstBar + part.firstBar),
                                         score.SampleAt(section.firstBar + part.endBar), &part});
            std::stable_sort(spans.begin(), spans.end(),
                             [](const Span& a, const Span& b) { return a.start < b.start; });
            return spans;
        }

        // Inside a part the curve follows the part's ramp, or the instrument's own value when the
        // part sets none; between parts and after the last it holds where it stopped, so that
        // release tails and the song's ending keep the level they faded to.
        std::vector<float> BuildCurve(const Score& score, int instrument, double normal, Ramp Part::*member,
                                      bool exponential)
        {
            std::vector<float> curve(static_cast<size_t>(score.TotalSamples()), static_cast<float>(normal));
            int64_t total = score.TotalSamples();
            int64_t cursor = 0;
            double last = normal;
            for (const Span& span : SpansOf(score, instrument))
            {
                for (int64_t n = cursor; n < span.start; ++n)
                    curve[n] = static_cast<float>(last);
                const Ramp& ramp = span.part->*member;
                double from = ramp.set ? ramp.from : normal;
                double to = ramp.set ? ramp.to : normal;
                int64_t length = std::max<int64_t>(1, span.end - span.start);
                for (int64_t n = span.start; n < span.end && n < total; ++n)
                {
                    double x = static_cast<double>(n - span.start) / length;
                    double value = exponential ? from * std::pow(to / from, x) : from + (to - from) * x;
                    curve[n] = static_cast<float>(value);
                }
                last = to;
                cursor = std::max(cursor, span.end);
            }
            for (int64_t n = cursor; n < total; ++n)
                curve[n] = static_cast<float>(last);
            return curve;
        }

        void PlacePart(const Score& score, const Section& section, const Part& part,
                       std::vector<Event>& events)
        {
            const Pattern& pattern = score.patterns[part.pattern];
            int steps = (part.endBar - part.firstBar) * pattern.stepsPerBar;
            double firstBar = section.firstBar + part.firstBar;
            int64_t spanEnd = score.SampleAt(section.firstBar + part.endBar);
            std::vector<size_t> sounding; // indices into events of the notes still held
            for (int i = 0; i < steps; ++i)
            {
                const Step& step = pattern.steps[i % pattern.steps.size()];
                if (step.type == Step::Hold)
                    continue;
                int64_t at = score.SampleAt(firstBar + static_cast<double>(i) / pattern.stepsPerBar);
                for (size_t index : sounding)
                    events[index].gateEnd = at;
                sounding.clear();
                if (step.type == Step::Rest)
                    continue;
                std::vector<int> notes = step.type == Step::Hit ? std::vector<int>{0} : step.notes;
                for (int midi : notes)
                {
                    Event event;
                    event.start = at;
                    event.gateEnd = spanEnd;
                    event.midi = midi;
                    event.velocity = step.velocity;
                    sounding.push_back(events.size());
                    events.push_back(event);
                }
            }
        }

        // One note at a time: each note silences the one before, and notes that touch glide.
        void MakeMono(const Instrument& instrument, std::vector<Event>& events)
        {
            bool glide = instrument.Get("glide") > 0.0;
            for (size_t i = 1; i < events.size(); ++i)
            {
                Event& before = events[i - 1];
                Event& now = events[i];
                before.cutAt = now.start;
                if (glide && before.gateEnd >= now.start && before.midi != now.midi)
                    now.glideFrom = before.midi;
                before.gateEnd = std::min(before.gateEnd, now.start);
            }
        }
    } // namespace

    std::vector<std::vector<Event>> ArrangeEvents(const Score& score)
    {
        std::vector<std::vector<Event>> events(score.instruments.size());
        for (const Section& section : score.sections)
            for (const Part& part : section.parts)
                PlacePart(score, section, part, events[part.instrument]);
        for (size_t i = 0; i < events.size(); ++i)
        {
            std::stable_sort(events[i].begin(), events[i].end(),
                             [](const Event& a, const Event& b) { return a.start < b.start; });
            const Instrument& instrument = score.instruments[i];
            if (instrument.kind == Kind::Synth && instrument.Get("mono") != 0.0)
                MakeMono(instrument, events[i]);
        }
        return events;
    }

    std::vector<float> GainCurve(const Score& score, int instrument)
    {
        return BuildCurve(score, instrument, 0.0, &Part::gain, false);
    }

    std::vector<float> CutoffCurve(const Score& score, int instrument)
    {
        const Instrument& which = score.instruments[instrument];
        return BuildCurve(score, instrument, which.Has("cutoff") ? which.Get("cutoff") : 1000.0,
                          &Part::cutoff, true);
    }
} // namespace Synth
