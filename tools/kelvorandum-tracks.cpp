// kelvorandum-tracks: compiles one choreography source (all sync tracks of the demo, on the musical
// beat grid) into the binary track files the demo reads, and dumps a track file back as text.
// Bad input is reported as FILE:LINE and writes nothing; output files appear only after a clean parse.
//
// Source format
//   The music runs at 140 BPM; a beat is 8 rows and a bar is 4 beats (32 rows), so one second is
//   56/3 rows. Everything after '#' on a line is a comment; blank lines and indentation are free.
//
//   track "NAME"            starts a track. NAME is the exact track name the demo asks for: case
//                           counts and spaces are kept ("Rotation Time"); write \" and \\ for a quote
//                           or a backslash. Each track is written to OUT/_NAME.track.
//   POSITION VALUE INTERP   one key of the current track, rows strictly increasing within the track.
//     POSITION  a row number (0, 276, -8), or BAR:BEAT counted from 1 as a sequencer counts them:
//               1:1 is row 0, 12:2 is row 360 (bar 12, beat 2). BEAT may hold eighths of a beat,
//               12:2.5 is row 364 and 3:4.875 is row 95; BEAT runs from 1 up to 4.875.
//     VALUE     a decimal number: 1, -0.25, 2.5e-3.
//     INTERP    how the value moves on to the next key: step (hold), linear, smooth (eased at both
//               ends), ramp (eased in, quadratic). The last key's INTERP has no effect.
//
//   Example:
//     track "Part"
//         1:1     0     step
//         17:1    1     step      # second scene part from bar 17
//     track "Rotation Time"
//         1:1     0.0   linear
//         9:3.5   2.5   smooth
//         320     4.0   step      # a plain row number
//
// File format written: little-endian, packed, no header: int32 key count, then per key int32 row,
// float32 value, int8 interpolation (step 0, linear 1, smooth 2, ramp 3).
#include "SyncDevice.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace
{
    const char usageText[] =
        "Usage: kelvorandum-tracks [--out DIR] [--check] SOURCE\n"
        "       kelvorandum-tracks --dump FILE.track...\n"
        "       kelvorandum-tracks --help\n"
        "\n"
        "Compiles the choreography SOURCE into one binary track file per track, DIR/_NAME.track\n"
        "(DIR is Data by default and is created if missing). Nothing is written unless the whole\n"
        "source is correct; every error is reported as SOURCE:LINE.\n"
        "\n"
        "  --out DIR   write the track files into DIR\n"
        "  --check     parse and report only; write nothing\n"
        "  --dump      print track files as source text (rows and bar:beat shown)\n"
        "  --help      show this text\n"
        "\n"
        "Source format. The music runs at 140 BPM: a beat is 8 rows, a bar is 4 beats (32 rows),\n"
        "a second is 56/3 rows. '#' starts a comment; blank lines and indentation are free.\n"
        "\n"
        "  track \"NAME\"            starts a track; NAME is the exact name the demo asks for (case\n"
        "                          and spaces count; write \\\" and \\\\ for a quote or a backslash)\n"
        "  POSITION VALUE INTERP   a key of the current track; rows strictly increase in a track\n"
        "    POSITION  a row number (0, 276, -8) or BAR:BEAT counted from 1: 1:1 is row 0,\n"
        "              12:2 is row 360; BEAT may hold eighths: 12:2.5 is row 364, 3:4.875 row 95\n"
        "    VALUE     a decimal number: 1, -0.25, 2.5e-3\n"
        "    INTERP    how the value moves on to the next key: step (hold), linear,\n"
        "              smooth (eased at both ends), ramp (eased in); the last key's has no effect\n"
        "\n"
        "Example:\n"
        "  track \"Part\"\n"
        "      1:1     0     step\n"
        "      17:1    1     step      # second scene part from bar 17\n"
        "  track \"Rotation Time\"\n"
        "      1:1     0.0   linear\n"
        "      9:3.5   2.5   smooth\n"
        "      320     4.0   step      # a plain row number\n"
        "\n"
        "Exit status: 0 done, 1 a file could not be read or written, 2 bad options or bad source.\n";

    enum ExitCode
    {
        ExitDone = 0,
        ExitFileError = 1,
        ExitBadInput = 2
    };

    const int rowsPerBeat = 8;
    const int beatsPerBar = 4;
    const int rowsPerBar = rowsPerBeat * beatsPerBar;

    // The demo composes "Data/_NAME.track" in a buffer of 260 characters, terminator included.
    const std::size_t playerPathLimit = 260;
    const std::size_t longestName = playerPathLimit - 1 - std::strlen("Data/_.track");

    struct Interpolation
    {
        const char* word;
        KeyType type;
    };
    const Interpolation interpolations[] = {
        {"step", KeyType::Step}, {"linear", KeyType::Linear}, {"smooth", KeyType::Smooth}, {"ramp", KeyType::Ramp}};

    struct SourceKey
    {
        std::int32_t row;
        float value;
        KeyType type;
        int line;
    };

    struct SourceTrack
    {
        std::string name;
        int line;
        std::vector<SourceKey> keys;
    };

    struct Token
    {
        std::string text;
        bool quoted;
    };

    // "12:2.5" for row 364; rows before the first bar have no bar:beat.
    std::string BarBeat(std::int32_t row)
    {
        static const char* const eighths[rowsPerBeat] = {"", ".125", ".25", ".375", ".5", ".625", ".75", ".875"};
        return std::to_string(row / rowsPerBar + 1) + ":" + std::to_string(row % rowsPerBar / rowsPerBeat + 1) +
               eighths[row % rowsPerBeat];
    }

    std::string Describe(std::int32_t row)
    {
        return "row " + std::to_string(row) + (row >= 0 ? " (" + BarBeat(row) + ")" : "");
    }

    // Splits a line into words and quoted texts, up to a comment. False with a reason on a bad quote.
    bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& why)
    {
        std::size_t at = 0;
        while (at < line.size())
        {
            char c = line[at];
            if (c == ' ' || c == '\t' || c == '\r')
            {
                ++at;
                continue;
            }
            if (c == '#')
                break;
            Token token{"", c == '"'};
            if (token.quoted)
            {
                ++at;
                bool closed = false;
                while (at < line.size() && !closed)
                {
                    char q = line[at++];
                    if (q == '"')
                        closed = true;
                    else if (q == '\\' && at < line.size() && (line[at] == '"' || line[at] == '\\'))
                        token.text += line[at++];
                    else if (q == '\\')
                    {
                        why = "unknown escape in quoted text (only \\\" and \\\\ are known)";
                        return false;
                    }
                    else
                        token.text += q;
                }
                if (!closed)
                {
                    why = "quoted text is not closed";
                    return false;
                }
            }
            else
            {
                while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r' &&
                       line[at] != '#' && line[at] != '"')
                    token.text += line[at++];
            }
            tokens.push_back(token);
        }
        return true;
    }

    // A whole decimal integer with an optional sign, within 64 bits.
    bool ParseInteger(const std::string& text, std::int64_t& out)
    {
        std::size_t at = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
        if (at == text.size() || text.size() - at > 12)
            return false;
        std::int64_t value = 0;
        for (std::size_t i = at; i < text.size(); ++i)
        {
            if (text[i] < '0' || text[i] > '9')
                return false;
            value = value * 10 + (text[i] - '0');
        }
        out = text[0] == '-' ? -value : value;
        return true;
    }

    bool ParsePosition(const std::string& text, std::int32_t& row, std::string& why)
    {
        std::size_t colon = text.find(':');
        std::int64_t rows;
        if (colon == std::string::npos)
        {
            if (!ParseInteger(text, rows))
            {
                why = "bad position '" + text + "' (a row number, or BAR:BEAT such as 12:2.5)";
                return false;
            }
        }
        else
        {
            std::string barText = text.substr(0, colon);
            std::string beatText = text.substr(colon + 1);
            std::size_t point = beatText.find('.');
            std::string wholeBeat = beatText.substr(0, point);
            std::string fraction = point == std::string::npos ? "" : beatText.substr(point + 1);
            std::int64_t bar, beat, fractionValue = 0;
            bool numbers = !barText.empty() && barText.find_first_not_of("0123456789") == std::string::npos &&
                           ParseInteger(barText, bar) && !wholeBeat.empty() &&
                           wholeBeat.find_first_not_of("0123456789") == std::string::npos &&
                           ParseInteger(wholeBeat, beat) && (point == std::string::npos || !fraction.empty()) &&
                           fraction.size() <= 9 && fraction.find_first_not_of("0123456789") == std::string::npos &&
                           (fraction.empty() || ParseInteger(fraction, fractionValue));
            if (!numbers)
            {
                why = "bad position '" + text + "' (BAR:BEAT such as 12:2 or 12:2.5)";
                return false;
            }
            if (bar < 1)
            {
                why = "bad position '" + text + "': bars count from 1";
                return false;
            }
            if (beat < 1 || beat > beatsPerBar)
            {
                why = "bad position '" + text + "': beats run from 1 to " + std::to_string(beatsPerBar);
                return false;
            }
            // The fraction in eighths of a beat, exactly: fraction / 10^digits * 8 must be whole.
            std::int64_t scale = 1;
            for (std::size_t i = 0; i < fraction.size(); ++i)
                scale *= 10;
            if (fractionValue * rowsPerBeat % scale != 0)
            {
                why = "position '" + text + "' falls between rows (beats split into eighths: .125, .25, .5 ...)";
                return false;
            }
            rows = (bar - 1) * rowsPerBar + (beat - 1) * rowsPerBeat + fractionValue * rowsPerBeat / scale;
        }
        if (rows < std::numeric_limits<std::int32_t>::min() || rows > std::numeric_limits<std::int32_t>::max())
        {
            why = "position '" + text + "' lies beyond the rows a track can hold";
            return false;
        }
        row = std::int32_t(rows);
        return true;
    }

    bool ParseValue(const std::string& text, float& value, std::string& why)
    {
        const char* begin = text.c_str();
        char* end = nullptr;
        errno = 0;
        double parsed = std::strtod(begin, &end);
        bool decimal = text.find_first_not_of("0123456789+-.eE") == std::string::npos;
        if (text.empty() || !decimal || end != begin + text.size() || !std::isfinite(parsed) ||
            std::fabs(parsed) > std::numeric_limits<float>::max())
        {
            why = "bad number '" + text + "' (a decimal value such as 1, -0.25 or 2.5e-3)";
            return false;
        }
        value = float(parsed);
        return true;
    }

    bool ParseInterpolation(const std::string& text, KeyType& type, std::string& why)
    {
        for (const Interpolation& known : interpolations)
            if (text == known.word)
            {
                type = known.type;
                return true;
            }
        why = "unknown interpolation '" + text + "' (step, linear, smooth or ramp)";
        return false;
    }

    bool CheckName(const std::string& name, std::string& why)
    {
        if (name.empty())
            why = "empty track name";
        else if (name.find('/') != std::string::npos)
            why = "track name \"" + name + "\" holds a '/', which cannot be part of a file name";
        else if (name.size() > longestName)
            why = "track name is " + std::to_string(name.size()) + " characters long; the demo's path to it " +
                  "allows " + std::to_string(longestName);
        else
        {
            for (unsigned char c : name)
                if (c < 0x20 || c == 0x7F)
                {
                    why = "track name \"" + name + "\" holds a control character";
                    return false;
                }
            return true;
        }
        return false;
    }

    // Reads a source into tracks, reporting every error as FILE:LINE on stderr. False on any error.
    class SourceParser
    {
    public:
        explicit SourceParser(const std::string& fileName) : fileName(fileName) {}

        bool Parse(const std::string& text, std::vector<SourceTrack>& tracks)
        {
            int line = 0;
            std::size_t start = 0;
            while (start <= text.size())
            {
                std::size_t end = text.find('\n', start);
                if (end == std::string::npos)
                    end = text.size();
                ++line;
                ParseLine(text.substr(start, end - start), line, tracks);
                start = end + 1;
            }
            return errors == 0;
        }

    private:
        void Error(int line, const std::string& message)
        {
            std::fprintf(stderr, "%s:%d: error: %s\n", fileName.c_str(), line, message.c_str());
            ++errors;
        }

        void ParseLine(const std::string& text, int line, std::vector<SourceTrack>& tracks)
        {
            std::vector<Token> tokens;
            std::string why;
            if (text.find('\0') != std::string::npos)
                return Error(line, "line holds a zero byte");
            if (!Tokenize(text, tokens, why))
                return Error(line, why);
            if (tokens.empty())
                return;
            const Token& first = tokens[0];
            if (first.quoted)
                return Error(line, "unexpected quoted text at the start of a line (a track starts with: track \"NAME\")");
            if (first.text == "track")
                return ParseTrack(tokens, line, tracks);
            unsigned char lead = static_cast<unsigned char>(first.text[0]);
            if (std::isalpha(lead) || lead == '_' || lead >= 0x80)
                return Error(line, "unknown keyword '" + first.text + "' (expected 'track' or a key line)");
            if (current == nullptr)
            {
                Error(line, "key before any track (start one with: track \"NAME\")");
                current = &discarded;
            }
            ParseKey(tokens, line, *current);
        }

        void ParseTrack(const std::vector<Token>& tokens, int line, std::vector<SourceTrack>& tracks)
        {
            // Keys under a bad track line are still checked, but into a track that is never written.
            discarded = SourceTrack{"", line, {}};
            current = &discarded;
            std::string why;
            if (tokens.size() < 2 || !tokens[1].quoted)
                return Error(line, "track needs its name in double quotes: track \"NAME\"");
            if (tokens.size() > 2)
                return Error(line, "unexpected '" + tokens[2].text + "' after the track name");
            const std::string& name = tokens[1].text;
            if (!CheckName(name, why))
                return Error(line, why);
            for (const SourceTrack& track : tracks)
                if (track.name == name)
                    return Error(line, "duplicate track \"" + name + "\" (first at " + fileName + ":" +
                                           std::to_string(track.line) + ")");
            tracks.push_back(SourceTrack{name, line, {}});
            current = &tracks.back();
        }

        void ParseKey(const std::vector<Token>& tokens, int line, SourceTrack& track)
        {
            std::string why;
            for (const Token& token : tokens)
                if (token.quoted)
                    return Error(line, "unexpected quoted text \"" + token.text + "\" in a key");
            if (tokens.size() < 3)
                return Error(line, "key needs POSITION VALUE INTERP, e.g. 12:2.5 1.0 linear");
            if (tokens.size() > 3)
                return Error(line, "unexpected '" + tokens[3].text + "' after the interpolation");
            SourceKey key{0, 0.0f, KeyType::Step, line};
            if (!ParsePosition(tokens[0].text, key.row, why) || !ParseValue(tokens[1].text, key.value, why) ||
                !ParseInterpolation(tokens[2].text, key.type, why))
                return Error(line, why);
            if (!track.keys.empty() && key.row <= track.keys.back().row)
            {
                const SourceKey& last = track.keys.back();
                return Error(line, (key.row == last.row ? "duplicate " : "decreasing ") + Describe(key.row) +
                                       ": the key at line " + std::to_string(last.line) + " is at " +
                                       Describe(last.row) + "; rows must increase within a track");
            }
            track.keys.push_back(key);
        }

        std::string fileName;
        int errors = 0;
        SourceTrack* current = nullptr;  // where key lines go: the last track, or the discarded one
        SourceTrack discarded;
    };

    bool ReadWholeFile(const char* path, std::string& text)
    {
        std::FILE* file = std::fopen(path, "rb");
        if (file == nullptr)
            return false;
        char buffer[65536];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        bool ok = !std::ferror(file);
        std::fclose(file);
        return ok;
    }

    void PutInt32(std::string& bytes, std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes += char(value >> shift & 0xFF);
    }

    std::string TrackBytes(const SourceTrack& track)
    {
        std::string bytes;
        PutInt32(bytes, std::uint32_t(track.keys.size()));
        for (const SourceKey& key : track.keys)
        {
            std::uint32_t bits;
            std::memcpy(&bits, &key.value, sizeof bits);
            PutInt32(bytes, std::uint32_t(key.row));
            PutInt32(bytes, bits);
            bytes += char(std::int8_t(key.type));
        }
        return bytes;
    }

    bool WriteWholeFile(const std::string& path, const std::string& bytes)
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fclose(file) == 0 && ok;
        return ok;
    }

    // Writes every track beside its final name first, then renames them all, so a failure part-way
    // leaves the old files in place. Reports and returns false on the first failure.
    bool WriteTracks(const std::vector<SourceTrack>& tracks, const std::string& outDir)
    {
        struct stat info;
        if (stat(outDir.c_str(), &info) != 0 && mkdir(outDir.c_str(), 0777) != 0)
        {
            std::fprintf(stderr, "error: cannot create the output directory \"%s\": %s\n", outDir.c_str(),
                         std::strerror(errno));
            return false;
        }
        std::vector<std::string> written;
        auto discard = [&written]() {
            for (const std::string& path : written)
                std::remove(path.c_str());
        };
        for (const SourceTrack& track : tracks)
        {
            std::string temporary = outDir + "/_" + track.name + ".tmp";
            if (!WriteWholeFile(temporary, TrackBytes(track)))
            {
                std::fprintf(stderr, "error: cannot write \"%s\": %s\n", temporary.c_str(), std::strerror(errno));
                std::remove(temporary.c_str());
                discard();
                return false;
            }
            written.push_back(temporary);
        }
        for (std::size_t i = 0; i < tracks.size(); ++i)
        {
            std::string final = outDir + "/_" + tracks[i].name + ".track";
            if (std::rename(written[i].c_str(), final.c_str()) != 0)
            {
                std::fprintf(stderr, "error: cannot replace \"%s\": %s\n", final.c_str(), std::strerror(errno));
                written.erase(written.begin(), written.begin() + long(i));
                discard();
                return false;
            }
        }
        return true;
    }

    int Compile(const char* sourcePath, const std::string& outDir, bool checkOnly)
    {
        std::string text;
        if (!ReadWholeFile(sourcePath, text))
        {
            std::fprintf(stderr, "error: cannot read \"%s\": %s\n", sourcePath, std::strerror(errno));
            return ExitFileError;
        }
        std::vector<SourceTrack> tracks;
        if (!SourceParser(sourcePath).Parse(text, tracks))
            return ExitBadInput;
        std::size_t keys = 0;
        for (const SourceTrack& track : tracks)
            keys += track.keys.size();
        if (checkOnly)
        {
            std::printf("%s: %zu tracks, %zu keys\n", sourcePath, tracks.size(), keys);
            return ExitDone;
        }
        if (!WriteTracks(tracks, outDir))
            return ExitFileError;
        std::printf("%s: wrote %zu tracks, %zu keys to %s\n", sourcePath, tracks.size(), keys, outDir.c_str());
        return ExitDone;
    }

    // The track name a file stands for: its file name without the leading '_' and the ".track".
    std::string NameOfFile(const std::string& path)
    {
        std::size_t slash = path.find_last_of('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        const std::string suffix = ".track";
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            name.erase(name.size() - suffix.size());
        if (!name.empty() && name[0] == '_')
            name.erase(0, 1);
        return name;
    }

    std::string Quote(const std::string& text)
    {
        std::string quoted = "\"";
        for (char c : text)
        {
            if (c == '"' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        return quoted + "\"";
    }

    std::string PositionText(std::int32_t row)
    {
        return row < 0 ? std::to_string(row) : BarBeat(row);
    }

    // The shortest decimal text that reads back as the same float.
    std::string ValueText(float value)
    {
        char text[32];
        for (int digits = 1; digits <= 9; ++digits)
        {
            std::snprintf(text, sizeof text, "%.*g", digits, double(value));
            if (std::strtof(text, nullptr) == value)
                break;
        }
        return text;
    }

    // Prints one track file as source text, as the demo's player reads it, with notes on damage.
    int Dump(const char* path)
    {
        SyncTrack track{};
        if (track.Load(path) != 0)
        {
            std::fprintf(stderr, "error: cannot read \"%s\": %s\n", path, std::strerror(errno));
            return ExitFileError;
        }
        std::string bytes;
        ReadWholeFile(path, bytes);
        std::printf("# %s: %d keys\n", path, track.keyCount);
        if (bytes.size() != 4 + 9 * std::size_t(track.keyCount) || bytes.size() < 4)
            std::printf("# damaged: %zu bytes; the demo reads the %d complete keys below\n", bytes.size(),
                        track.keyCount);
        std::printf("track %s\n", Quote(NameOfFile(path)).c_str());
        for (std::int32_t k = 0; k < track.keyCount; ++k)
        {
            const TrackKey& key = track.keys[k];
            int type = int(key.type);
            std::string interp = "?" + std::to_string(type);
            for (const Interpolation& known : interpolations)
                if (known.type == key.type)
                    interp = known.word;
            std::printf("    %-10s %-14s %-7s # row %d%s\n", PositionText(key.row).c_str(), ValueText(key.value).c_str(),
                        interp.c_str(), key.row,
                        k > 0 && key.row <= track.keys[k - 1].row ? ", out of order" : "");
        }
        std::free(track.keys);
        return ExitDone;
    }

    int Usage(const char* problem)
    {
        std::fprintf(stderr, "kelvorandum-tracks: %s\nTry 'kelvorandum-tracks --help'.\n", problem);
        return ExitBadInput;
    }
}

int main(int argc, char** argv)
{
    std::string outDir = "Data";
    bool checkOnly = false;
    bool dump = false;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
        {
            std::fputs(usageText, stdout);
            return ExitDone;
        }
        else if (arg == "--out")
        {
            if (i + 1 >= argc)
                return Usage("--out needs a directory");
            outDir = argv[++i];
        }
        else if (arg.compare(0, 6, "--out=") == 0)
            outDir = arg.substr(6);
        else if (arg == "--check")
            checkOnly = true;
        else if (arg == "--dump")
            dump = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return Usage(("unknown option '" + arg + "'").c_str());
        else
            files.push_back(argv[i]);
    }
    if (outDir.empty())
        return Usage("--out needs a directory");

    if (dump)
    {
        if (files.empty())
            return Usage("--dump needs at least one track file");
        int result = ExitDone;
        for (const char* file : files)
            if (Dump(file) != ExitDone)
                result = ExitFileError;
        return result;
    }
    if (files.size() != 1)
        return Usage(files.empty() ? "no source file given" : "give exactly one source file");
    return Compile(files[0], outDir, checkOnly);
}
