// The score of kelvorandum-synth: tempo, instruments, patterns and sections, as parsed from text.
// A Score is plain data that owns nothing outside itself; parsing a bad score throws a
// Zemb::Exception whose file and line are the score's own.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Synth
{
    constexpr int sampleRate = 44100;

    enum class Kind
    {
        Kick,
        Snare,
        Clap,
        Hat,
        Noise,
        Synth
    };

    // Oscillator shapes of a synth instrument, stored in its "osc" setting.
    enum Shape
    {
        ShapeSaw = 0,
        ShapeSquare = 1,
        ShapeTriangle = 2,
        ShapeSine = 3
    };

    struct Instrument
    {
        std::string name;
        Kind kind = Kind::Synth;
        int line = 0;
        std::map<std::string, double> settings; // every setting of the kind, defaults filled in

        double Get(const std::string& key) const;
        bool Has(const std::string& key) const { return settings.count(key) != 0; }
    };

    struct Step
    {
        enum Type
        {
            Rest,
            Hold,
            Hit,
            Notes
        };
        Type type = Rest;
        double velocity = 0.0;
        std::vector<int> notes; // MIDI note numbers
        int line = 0;
    };

    struct Pattern
    {
        std::string name;
        int stepsPerBar = 16;
        std::vector<Step> steps;
        int line = 0;
    };

    // A setting that a part holds, or moves from one value to another, over its bars.
    struct Ramp
    {
        bool set = false;
        double from = 0.0;
        double to = 0.0;
    };

    // One line of a section: an instrument playing a pattern, repeated over some of the bars.
    struct Part
    {
        int instrument = 0;
        int pattern = 0;
        int firstBar = 0; // within the section, counted from 0
        int endBar = 0;   // one past the last bar played
        Ramp gain;        // dB added to the instrument's gain
        Ramp cutoff;      // Hz, in place of the instrument's cutoff
        int line = 0;
    };

    struct Section
    {
        std::string name;
        int bars = 0;
        int firstBar = 0; // within the song, counted from 0
        std::vector<Part> parts;
        int line = 0;
    };

    struct Master
    {
        double peak = -1.8; // dBFS ceiling of the rendered file
        double limit = 0.0; // dB by which the loudest peak is pushed into the limiter
        double highPass = 25.0;
    };

    struct Reverb
    {
        double size = 0.8;
        double damp = 0.4;
        double gain = 0.0; // dB on the wet return
        double preDelay = 0.02;
    };

    struct Score
    {
        std::string path;
        double tempo = 120.0;
        int beatsPerBar = 4;
        int stepsPerBar = 16;
        uint32_t seed = 1;
        double tailBars = 0.0;
        Master master;
        Reverb reverb;
        std::vector<Instrument> instruments;
        std::vector<Pattern> patterns;
        std::vector<Section> sections;

        double BarSeconds() const { return 60.0 * beatsPerBar / tempo; }
        double BeatSeconds() const { return 60.0 / tempo; }
        int SongBars() const; // bars of all sections, without the tail
        // First sample of a position given in bars from the start of the song.
        int64_t SampleAt(double bars) const;
        int64_t TotalSamples() const { return SampleAt(SongBars() + tailBars); }
    };

    // Parses score text; `path` names the score in error messages.
    Score ParseScore(const std::string& text, const std::string& path);
    // Reads and parses a score file; a missing or unreadable file is an error at line 0.
    Score LoadScore(const std::string& path);
} // namespace Synth
