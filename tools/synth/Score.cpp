// Parser of the kelvorandum-synth score text into a Score. Holds nothing after it returns;
// every mistake in the text throws a Zemb::Exception carrying the score's path and line.
#include "Score.h"

#include "Zemb/Exception.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace Synth
{
    namespace
    {
        struct Line
        {
            int number;
            std::vector<std::string> tokens;
        };

        struct SettingSpec
        {
            const char* name;
            double value; // default
            double min;
            double max;
        };

        // Every instrument has these: level, place and sends.
        const SettingSpec commonSettings[] = {
            {"gain", 0.0, -96.0, 24.0},     // dB
            {"pan", 0.0, -1.0, 1.0},        // -1 left, 1 right
            {"duck", 0.0, 0.0, 1.0},        // depth of the dip after each kick
            {"delay", 0.0, 0.0, 1.0},       // send to its own ping-pong echo
            {"delaytime", 0.75, 0.05, 4.0}, // beats
            {"feedback", 0.35, 0.0, 0.9},   // share of each echo fed back
            {"reverb", 0.0, 0.0, 1.0},      // send to the shared hall
            {"hp", 0.0, 0.0, 2000.0},       // high-pass on the instrument's output, Hz; 0 is off
        };

        const SettingSpec kickSettings[] = {
            {"tune", 48.0, 30.0, 120.0},   // Hz where the pitch settles
            {"punch", 170.0, 60.0, 400.0}, // Hz where the pitch starts
            {"decay", 0.45, 0.05, 2.0},    // seconds
            {"click", 0.4, 0.0, 1.0},      // noise at the attack
            {"drive", 1.5, 1.0, 8.0},      // soft clipping
        };

        const SettingSpec snareSettings[] = {
            {"tone", 185.0, 80.0, 400.0},       // Hz of the drum head
            {"decay", 0.16, 0.02, 2.0},         // seconds of the noise
            {"noise", 0.7, 0.0, 1.0},           // noise against tone
            {"cutoff", 1500.0, 200.0, 12000.0}, // high-pass on the noise
        };

        const SettingSpec clapSettings[] = {
            {"decay", 0.18, 0.02, 2.0},        // seconds of the tail
            {"cutoff", 1200.0, 200.0, 8000.0}, // band-pass centre
        };

        const SettingSpec hatSettings[] = {
            {"decay", 0.05, 0.01, 4.0},          // seconds: short closed, long open or crash
            {"cutoff", 7500.0, 1000.0, 16000.0}, // high-pass
            {"metal", 0.3, 0.0, 1.0},            // square-wave partials against noise
        };

        const SettingSpec noiseSettings[] = {
            {"cutoff", 2000.0, 20.0, 18000.0}, // low-pass
            {"reso", 0.2, 0.0, 1.0},           // resonance
            {"attack", 0.01, 0.001, 16.0},     // seconds
            {"decay", 0.3, 0.001, 16.0},       // seconds
            {"sustain", 1.0, 0.0, 1.0},        // level
            {"release", 0.2, 0.003, 8.0},      // seconds
        };

        const SettingSpec synthSettings[] = {
            {"osc", ShapeSaw, ShapeSaw, ShapeSine}, // saw, square, triangle or sine
            {"unison", 1.0, 1.0, 9.0},              // oscillators per note
            {"detune", 0.0, 0.0, 100.0},            // cents between the outermost unison voices
            {"width", 0.5, 0.0, 1.0},               // stereo spread of the unison voices
            {"sub", 0.0, 0.0, 1.0},                 // sine an octave below
            {"cutoff", 2000.0, 20.0, 18000.0},      // low-pass, Hz
            {"reso", 0.2, 0.0, 1.0},                // resonance
            {"envmod", 0.0, 0.0, 12000.0},          // Hz the filter opens at the start of a note
            {"fdecay", 0.2, 0.005, 8.0},            // seconds for the filter to close again
            {"attack", 0.005, 0.001, 8.0},          // seconds
            {"decay", 0.3, 0.001, 8.0},             // seconds
            {"sustain", 0.7, 0.0, 1.0},             // level
            {"release", 0.1, 0.003, 8.0},           // seconds
            {"vibrato", 0.0, 0.0, 100.0},           // cents
            {"mono", 0.0, 0.0, 1.0},                // 1: one note at a time
            {"glide", 0.0, 0.0, 1.0},               // seconds between notes that touch, mono only
        };

        struct KindSpec
        {
            const char* name;
            Kind kind;
            const SettingSpec* settings;
            size_t count;
        };

        template <size_t count>
        constexpr KindSpec MakeKind(const char* name, Kind kind, const SettingSpec (&settings)[count])
        {
            return {name, kind, settings, count};
        }

        const KindSpec kinds[] = {
            MakeKind("kick", Kind::Kick, kickSettings),    MakeKind("snare", Kind::Snare, snareSettings),
            MakeKind("clap", Kind::Clap, clapSettings),    MakeKind("hat", Kind::Hat, hatSettings),
            MakeKind("noise", Kind::Noise, noiseSettings), MakeKind("synth", Kind::Synth, synthSettings),
        };

        const char* const shapeNames[] = {"saw", "square", "triangle", "sine"};

        const KindSpec* FindKind(const std::string& name)
        {
            for (const KindSpec& kind : kinds)
                if (name == kind.name)
                    return &kind;
            return nullptr;
        }

        const KindSpec& SpecOf(Kind kind)
        {
            for (const KindSpec& spec : kinds)
                if (spec.kind == kind)
                    return spec;
            return kinds[0];
        }

        std::string Quote(const std::string& text)
        {
            return "'" + text + "'";
        }

        std::string FormatNumber(double value)
        {
            std::ostringstream text;
            text << value;
            return text.str();
        }

        class Parser
        {
        public:
            Parser(const std::string& text, const std::string& path) : path(path)
            {
                score.path = path;
                Split(text);
            }

            Score Parse()
            {
                size_t index = 0;
                while (index < lines.size())
                    index = Statement(index);
                if (score.sections.empty())
                    Fail(lines.empty() ? 1 : lines.back().number,
                         "the score has no section, so nothing plays");
                int bar = 0;
                for (Section& section : score.sections)
                {
                    section.firstBar = bar;
                    bar += section.bars;
                }
                if (score.TotalSamples() > 600LL * sampleRate)
                    Fail(score.sections.back().line, "the song is longer than 600 seconds");
                return score;
            }

        private:
            [[noreturn]] void Fail(int line, const std::string& message) const
            {
                throw Zemb::Exception(Zemb::String(message.c_str()), Zemb::String(path.c_str()), line);
            }

            void Split(const std::string& text)
            {
                std::istringstream stream(text);
                std::string raw;
                int number = 0;
                while (std::getline(stream, raw))
                {
                    ++number;
                    Line line{number, {}};
                    std::istringstream words(raw);
                    std::string word;
                    // A comment starts at a word that begins with '#', so sharps like c#4 stay notes.
                    while (words >> word && word[0] != '#')
                        line.tokens.push_back(word);
                    if (!line.tokens.empty())
                        lines.push_back(line);
                }
            }

            size_t Statement(size_t index)
            {
                const Line& line = lines[index];
                const std::string& word = line.tokens[0];
                if (word == "tempo")
                    score.tempo = Number(line, 1, 40.0, 300.0);
                else if (word == "beats")
                    score.beatsPerBar = Integer(line, 1, 1, 16);
                else if (word == "steps")
                    score.stepsPerBar = Integer(line, 1, 1, 64);
                else if (word == "seed")
                {
                    double seed = Number(line, 1, 0.0, 4294967295.0);
                    if (seed != std::floor(seed))
                        Fail(line.number, "'seed' needs a whole number");
                    score.seed = static_cast<uint32_t>(seed);
                }
                else if (word == "tail")
                    score.tailBars = Number(line, 1, 0.0, 16.0);
                else if (word == "master")
                    MasterSettings(line);
                else if (word == "reverb")
                    ReverbSettings(line);
                else if (word == "chord")
                    Chord(line);
                else if (word == "instrument")
                    return InstrumentBlock(index);
                else if (word == "pattern")
                    return PatternBlock(index);
                else if (word == "section")
                    return SectionBlock(index);
                else if (word == "end")
                    Fail(line.number, "'end' without a block to close");
                else
                    Fail(line.number,
                         "unknown statement " + Quote(word) +
                             " (expected tempo, beats, steps, seed, tail, master, reverb, chord, "
                             "instrument, pattern or section)");
                if (word != "master" && word != "reverb" && word != "chord" && line.tokens.size() != 2)
                    Fail(line.number, Quote(word) + " takes exactly one value");
                return index + 1;
            }

            double ParseNumber(int line, const std::string& text) const
            {
                const char* begin = text.c_str();
                char* end = nullptr;
                double value = std::strtod(begin, &end);
                if (text.empty() || end != begin + text.size() || !std::isfinite(value))
                    Fail(line, Quote(text) + " is not a number");
                return value;
            }

            double CheckRange(int line, const std::string& name, double value, double min, double max) const
            {
                if (value < min || value > max)
                    Fail(line, name + "=" + FormatNumber(value) + " is out of range (" + FormatNumber(min) +
                                   " to " + FormatNumber(max) + ")");
                return value;
            }

            double Number(const Line& line, size_t at, double min, double max) const
            {
                const std::string& name = line.tokens[0];
                if (line.tokens.size() <= at)
                    Fail(line.number, Quote(name) + " needs a value");
                return CheckRange(line.number, name, ParseNumber(line.number, line.tokens[at]), min, max);
            }

            int Integer(const Line& line, size_t at, int min, int max) const
            {
                double value = Number(line, at, min, max);
                if (value != std::floor(value))
                    Fail(line.number, Quote(line.tokens[0]) + " needs a whole number");
                return static_cast<int>(value);
            }

            // Splits "key=value"; both sides must be present.
            void KeyValue(int line, const std::string& token, std::string& key, std::string& value) const
            {
                size_t equals = token.find('=');
                if (equals == std::string::npos || equals == 0 || equals + 1 == token.size())
                    Fail(line, "expected setting=value, found " + Quote(token));
                key = token.substr(0, equals);
                value = token.substr(equals + 1);
            }

            void MasterSettings(const Line& line)
            {
                for (size_t i = 1; i < line.tokens.size(); ++i)
                {
                    std::string key, value;
                    KeyValue(line.number, line.tokens[i], key, value);
                    double number = ParseNumber(line.number, value);
                    if (key == "peak")
                        score.master.peak = CheckRange(line.number, key, number, -24.0, -0.1);
                    else if (key == "limit")
                        score.master.limit = CheckRange(line.number, key, number, 0.0, 12.0);
                    else if (key == "hp")
                        score.master.highPass = CheckRange(line.number, key, number, 0.0, 200.0);
                    else
                        Fail(line.number, "unknown master setting " + Quote(key) + " (peak, limit, hp)");
                }
            }

            void ReverbSettings(const Line& line)
            {
                for (size_t i = 1; i < line.tokens.size(); ++i)
                {
                    std::string key, value;
                    KeyValue(line.number, line.tokens[i], key, value);
                    double number = ParseNumber(line.number, value);
                    if (key == "size")
                        score.reverb.size = CheckRange(line.number, key, number, 0.0, 1.0);
                    else if (key == "damp")
                        score.reverb.damp = CheckRange(line.number, key, number, 0.0, 1.0);
                    else if (key == "gain")
                        score.reverb.gain = CheckRange(line.number, key, number, -96.0, 24.0);
                    else if (key == "predelay")
                        score.reverb.preDelay = CheckRange(line.number, key, number, 0.0, 0.5);
                    else
                        Fail(line.number,
                             "unknown reverb setting " + Quote(key) + " (size, damp, gain, predelay)");
                }
            }

            void CheckNewName(int line, const std::string& name, const char* what) const
            {
                if (!std::isalpha(static_cast<unsigned char>(name[0])))
                    Fail(line, std::string(what) + " name " + Quote(name) + " must start with a letter");
                for (char c : name)
                    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
                        Fail(line, std::string(what) + " name " + Quote(name) +
                                       " may hold only letters, digits, '_' and '-'");
            }

            // Note names: a letter a-g, an optional '#' or 'b', an octave 0-8 (a4 is 440 Hz).
            bool ParseNote(const std::string& text, int& midi) const
            {
                static const int semitones[] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
                if (text.size() < 2 || text.size() > 3 || text[0] < 'a' || text[0] > 'g')
                    return false;
                int note = semitones[text[0] - 'a'];
                size_t at = 1;
                if (text.size() == 3)
                {
                    if (text[1] == '#')
                        ++note;
                    else if (text[1] == 'b')
                        --note;
                    else
                        return false;
                    at = 2;
                }
                if (text[at] < '0' || text[at] > '8')
                    return false;
                midi = (text[at] - '0' + 1) * 12 + note;
                return true;
            }

            void Chord(const Line& line)
            {
                if (line.tokens.size() < 3)
                    Fail(line.number, "'chord' needs a name and at least one note");
                const std::string& name = line.tokens[1];
                CheckNewName(line.number, name, "chord");
                if (!std::isupper(static_cast<unsigned char>(name[0])))
                    Fail(line.number, "chord name " + Quote(name) + " must start with a capital letter");
                if (chords.count(name))
                    Fail(line.number, "chord " + Quote(name) + " is already defined");
                std::vector<int> notes;
                for (size_t i = 2; i < line.tokens.size(); ++i)
                {
                    int midi = 0;
                    if (!ParseNote(line.tokens[i], midi))
                        Fail(line.number, Quote(line.tokens[i]) + " is not a note (like a4, c#3, bb2)");
                    notes.push_back(midi);
                }
                chords[name] = notes;
            }

            // Lines of a block up to its 'end'; returns the index of the 'end' line.
            size_t BlockEnd(size_t header) const
            {
                for (size_t i = header + 1; i < lines.size(); ++i)
                {
                    const std::string& word = lines[i].tokens[0];
                    if (word == "end")
                    {
                        if (lines[i].tokens.size() != 1)
                            Fail(lines[i].number, "'end' stands alone on its line");
                        return i;
                    }
                    if (word == "instrument" || word == "pattern" || word == "section")
                        Fail(lines[header].number, Quote(lines[header].tokens[0]) +
                                                       " block has no 'end' before line " +
                                                       std::to_string(lines[i].number));
                }
                Fail(lines[header].number,
                     Quote(lines[header].tokens[0]) + " block has no 'end' line after it");
            }

            int FindInstrument(const std::string& name) const
            {
                for (size_t i = 0; i < score.instruments.size(); ++i)
                    if (score.instruments[i].name == name)
                        return static_cast<int>(i);
                return -1;
            }

            int FindPattern(const std::string& name) const
            {
                for (size_t i = 0; i < score.patterns.size(); ++i)
                    if (score.patterns[i].name == name)
                        return static_cast<int>(i);
                return -1;
            }

            void InstrumentSetting(Instrument& instrument, int line, const std::string& token) const
            {
                std::string key, value;
                KeyValue(line, token, key, value);
                const KindSpec& kind = SpecOf(instrument.kind);
                if (!instrument.Has(key))
                {
                    std::string known;
                    for (const SettingSpec& spec : commonSettings)
                        known += std::string(known.empty() ? "" : ", ") + spec.name;
                    for (size_t i = 0; i < kind.count; ++i)
                        known += std::string(", ") + kind.settings[i].name;
                    Fail(line, "a " + std::string(kind.name) + " has no setting " + Quote(key) + " (" +
                                   known + ")");
                }
                if (key == "osc")
                {
                    for (int shape = ShapeSaw; shape <= ShapeSine; ++shape)
                        if (value == shapeNames[shape])
                        {
                            instrument.settings[key] = shape;
                            return;
                        }
                    Fail(line, "osc=" + value + " is not a shape (saw, square, triangle, sine)");
                }
                double number = ParseNumber(line, value);
                for (const SettingSpec& spec : commonSettings)
                    if (key == spec.name)
                        number = CheckRange(line, key, number, spec.min, spec.max);
                for (size_t i = 0; i < kind.count; ++i)
                    if (key == kind.settings[i].name)
                        number = CheckRange(line, key, number, kind.settings[i].min, kind.settings[i].max);
                if ((key == "unison" || key == "mono") && number != std::floor(number))
                    Fail(line, Quote(key) + " needs a whole number");
                instrument.settings[key] = number;
            }

            size_t InstrumentBlock(size_t index)
            {
                const Line& header = lines[index];
                if (header.tokens.size() < 3)
                    Fail(header.number,
                         "'instrument' needs a name and a kind (kick, snare, clap, hat, noise, synth)");
                Instrument instrument;
                instrument.name = header.tokens[1];
                instrument.line = header.number;
                CheckNewName(header.number, instrument.name, "instrument");
                if (FindInstrument(instrument.name) >= 0)
                    Fail(header.number, "instrument " + Quote(instrument.name) + " is already defined");
                const KindSpec* kind = FindKind(header.tokens[2]);
                if (kind == nullptr)
                    Fail(header.number, "unknown instrument kind " + Quote(header.tokens[2]) +
                                            " (kick, snare, clap, hat, noise, synth)");
                instrument.kind = kind->kind;
                for (const SettingSpec& spec : commonSettings)
                    instrument.settings[spec.name] = spec.value;
                for (size_t i = 0; i < kind->count; ++i)
                    instrument.settings[kind->settings[i].name] = kind->settings[i].value;
                size_t end = BlockEnd(index);
                for (size_t t = 3; t < header.tokens.size(); ++t)
                    InstrumentSetting(instrument, header.number, header.tokens[t]);
                for (size_t i = index + 1; i < end; ++i)
                    for (const std::string& token : lines[i].tokens)
                        InstrumentSetting(instrument, lines[i].number, token);
                score.instruments.push_back(instrument);
                return end + 1;
            }

            Step ParseStep(int line, const std::string& token) const
            {
                Step step;
                step.line = line;
                if (token == ".")
                    return step;
                if (token == "-")
                {
                    step.type = Step::Hold;
                    return step;
                }
                if (token == "x" || token == "X" || token == "o")
                {
                    step.type = Step::Hit;
                    step.velocity = token == "X" ? 1.0 : token == "x" ? 0.8 : 0.5;
                    return step;
                }
                std::string body = token;
                step.type = Step::Notes;
                step.velocity = 0.8;
                if (body.back() == '!')
                {
                    step.velocity = 1.0;
                    body.pop_back();
                }
                size_t start = 0;
                while (start <= body.size())
                {
                    size_t plus = body.find('+', start);
                    std::string part =
                        body.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
                    int midi = 0;
                    auto chord = chords.find(part);
                    if (chord != chords.end())
                        step.notes.insert(step.notes.end(), chord->second.begin(), chord->second.end());
                    else if (ParseNote(part, midi))
                        step.notes.push_back(midi);
                    else
                        Fail(line, Quote(token) +
                                       " is not a step (. rest, - hold, x X o hits, a note like c#4, "
                                       "a chord name, notes joined with +, ! for an accent)");
                    if (plus == std::string::npos)
                        break;
                    start = plus + 1;
                }
                return step;
            }

            size_t PatternBlock(size_t index)
            {
                const Line& header = lines[index];
                if (header.tokens.size() < 2)
                    Fail(header.number, "'pattern' needs a name");
                Pattern pattern;
                pattern.name = header.tokens[1];
                pattern.line = header.number;
                pattern.stepsPerBar = score.stepsPerBar;
                CheckNewName(header.number, pattern.name, "pattern");
                if (FindPattern(pattern.name) >= 0)
                    Fail(header.number, "pattern " + Quote(pattern.name) + " is already defined");
                for (size_t t = 2; t < header.tokens.size(); ++t)
                {
                    std::string key, value;
                    KeyValue(header.number, header.tokens[t], key, value);
                    if (key != "steps")
                        Fail(header.number, "a pattern has one setting, steps=N (steps per bar)");
                    double steps = CheckRange(header.number, key, ParseNumber(header.number, value), 1, 64);
                    if (steps != std::floor(steps))
                        Fail(header.number, "'steps' needs a whole number");
                    pattern.stepsPerBar = static_cast<int>(steps);
                }
                size_t end = BlockEnd(index);
                for (size_t i = index + 1; i < end; ++i)
                    for (const std::string& token : lines[i].tokens)
                        if (token != "|") // bar lines are only for the reader
                            pattern.steps.push_back(ParseStep(lines[i].number, token));
                if (pattern.steps.empty())
                    Fail(header.number, "pattern " + Quote(pattern.name) + " has no steps");
                score.patterns.push_back(pattern);
                return end + 1;
            }

            Ramp ParseRamp(int line, const std::string& key, const std::string& value, double min,
                           double max) const
            {
                Ramp ramp;
                ramp.set = true;
                size_t dots = value.find("..");
                if (dots == std::string::npos)
                {
                    ramp.from = ramp.to = CheckRange(line, key, ParseNumber(line, value), min, max);
                    return ramp;
                }
                ramp.from = CheckRange(line, key, ParseNumber(line, value.substr(0, dots)), min, max);
                ramp.to = CheckRange(line, key, ParseNumber(line, value.substr(dots + 2)), min, max);
                return ramp;
            }

            Part ParsePart(const Line& line, const Section& section) const
            {
                Part part;
                part.line = line.number;
                if (line.tokens.size() < 2)
                    Fail(line.number,
                         "a section line is: instrument pattern [bars=A-B] [gain=dB..dB] [cutoff=Hz..Hz]");
                part.instrument = FindInstrument(line.tokens[0]);
                if (part.instrument < 0)
                    Fail(line.number, "unknown instrument " + Quote(line.tokens[0]));
                part.pattern = FindPattern(line.tokens[1]);
                if (part.pattern < 0)
                    Fail(line.number, "unknown pattern " + Quote(line.tokens[1]));
                part.firstBar = 0;
                part.endBar = section.bars;
                const Instrument& instrument = score.instruments[part.instrument];
                for (size_t t = 2; t < line.tokens.size(); ++t)
                {
                    std::string key, value;
                    KeyValue(line.number, line.tokens[t], key, value);
                    if (key == "bars")
                    {
                        size_t dash = value.find('-', 1);
                        double first = ParseNumber(line.number, value.substr(0, dash));
                        double last = dash == std::string::npos
                                          ? first
                                          : ParseNumber(line.number, value.substr(dash + 1));
                        if (first != std::floor(first) || last != std::floor(last) || first < 1 ||
                            last < first || last > section.bars)
                            Fail(line.number, "bars=" + value + " is not a range of bars 1 to " +
                                                  std::to_string(section.bars) + " of the section");
                        part.firstBar = static_cast<int>(first) - 1;
                        part.endBar = static_cast<int>(last);
                    }
                    else if (key == "gain")
                        part.gain = ParseRamp(line.number, key, value, -96.0, 24.0);
                    else if (key == "cutoff")
                    {
                        if (!instrument.Has("cutoff"))
                            Fail(line.number,
                                 "instrument " + Quote(instrument.name) + " has no cutoff to move");
                        part.cutoff = ParseRamp(line.number, key, value, 20.0, 18000.0);
                    }
                    else
                        Fail(line.number, "unknown section setting " + Quote(key) + " (bars, gain, cutoff)");
                }
                CheckSteps(line.number, instrument, score.patterns[part.pattern]);
                return part;
            }

            // Drums and noise take hits; synths take notes: a mismatch is caught where they meet.
            void CheckSteps(int line, const Instrument& instrument, const Pattern& pattern) const
            {
                bool wantsNotes = instrument.kind == Kind::Synth;
                bool mono = wantsNotes && instrument.Get("mono") != 0.0;
                for (const Step& step : pattern.steps)
                {
                    if (step.type == Step::Hit && wantsNotes)
                        Fail(line, "instrument " + Quote(instrument.name) + " plays notes, but pattern " +
                                       Quote(pattern.name) + " has a hit on line " +
                                       std::to_string(step.line));
                    if (step.type == Step::Notes && !wantsNotes)
                        Fail(line, "instrument " + Quote(instrument.name) +
                                       " plays hits (x X o), but pattern " + Quote(pattern.name) +
                                       " has notes on line " + std::to_string(step.line));
                    if (step.type == Step::Notes && mono && step.notes.size() > 1)
                        Fail(line, "instrument " + Quote(instrument.name) + " is mono, but pattern " +
                                       Quote(pattern.name) + " has a chord on line " +
                                       std::to_string(step.line));
                }
            }

            size_t SectionBlock(size_t index)
            {
                const Line& header = lines[index];
                if (header.tokens.size() != 3)
                    Fail(header.number, "a section header is: section NAME BARS");
                Section section;
                section.name = header.tokens[1];
                section.line = header.number;
                CheckNewName(header.number, section.name, "section");
                double bars = ParseNumber(header.number, header.tokens[2]);
                if (bars != std::floor(bars) || bars < 1 || bars > 512)
                    Fail(header.number, "a section lasts a whole number of bars, 1 to 512");
                section.bars = static_cast<int>(bars);
                size_t end = BlockEnd(index);
                for (size_t i = index + 1; i < end; ++i)
                    section.parts.push_back(ParsePart(lines[i], section));
                score.sections.push_back(section);
                return end + 1;
            }

            std::string path;
            std::vector<Line> lines;
            std::map<std::string, std::vector<int>> chords;
            Score score;
        };
    } // namespace

    double Instrument::Get(const std::string& key) const
    {
        auto found = settings.find(key);
        return found == settings.end() ? 0.0 : found->second;
    }

    int Score::SongBars() const
    {
        int bars = 0;
        for (const Section& section : sections)
            bars += section.bars;
        return bars;
    }

    int64_t Score::SampleAt(double bars) const
    {
        return static_cast<int64_t>(std::llround(bars * BarSeconds() * sampleRate));
    }

    Score ParseScore(const std::string& text, const std::string& path)
    {
        Parser parser(text, path);
        return parser.Parse();
    }

    Score LoadScore(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            throw Zemb::Exception(Zemb::String("cannot open the score"), Zemb::String(path.c_str()), 0);
        std::ostringstream text;
        text << file.rdbuf();
        if (file.bad())
            throw Zemb::Exception(Zemb::String("cannot read the score"), Zemb::String(path.c_str()), 0);
        return ParseScore(text.str(), path);
    }
} // namespace Synth
