// kelvorandum-synth: renders a text score to a 44.1 kHz 16-bit stereo WAV, the same bytes on
// every run. Holds the whole song in memory and writes it only when it is complete: a bad score
// exits with 2 and a "file:line: message" on stderr, a failed write with 1; neither leaves a file.
#include "Render.h"
#include "Score.h"
#include "Wav.h"

#include "Zemb/Exception.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
    const char* const usage =
        "Usage: kelvorandum-synth [--levels] SCORE OUT.wav\n"
        "       kelvorandum-synth --check SCORE\n"
        "       kelvorandum-synth --help\n"
        "\n"
        "Renders SCORE, a text score (tempo, instruments, patterns, sections), to OUT.wav:\n"
        "44.1 kHz, 16-bit, stereo. Everything is synthesised; the output depends only on the\n"
        "score, so every run writes the same bytes. Prints the sections with their bars and times.\n"
        "\n"
        "  --check   parse and check SCORE, print its sections, write nothing\n"
        "  --levels  also print each instrument's peak and RMS in the mix, before the master stage\n"
        "  --help    show this text\n"
        "\n"
        "Exit status: 0 done, 1 OUT.wav could not be written, 2 bad arguments or a bad score\n"
        "(reported as SCORE:LINE: message). On an error no output file is left.\n";

    void PrintSections(const Synth::Score& score)
    {
        std::printf("%s: %.6g BPM, %d/4, %.3f s\n", score.path.c_str(), score.tempo, score.beatsPerBar,
                    static_cast<double>(score.TotalSamples()) / Synth::sampleRate);
        for (const Synth::Section& section : score.sections)
        {
            double start = static_cast<double>(score.SampleAt(section.firstBar)) / Synth::sampleRate;
            double end =
                static_cast<double>(score.SampleAt(section.firstBar + section.bars)) / Synth::sampleRate;
            std::printf("  %-12s bars %3d-%-3d %8.3f s - %8.3f s\n", section.name.c_str(),
                        section.firstBar + 1, section.firstBar + section.bars, start, end);
        }
    }

    // Score errors read "SCORE:LINE: message"; one about the whole file has no line.
    void PrintError(const Zemb::Exception& error)
    {
        if (error.GetLine() > 0)
            std::fprintf(stderr, "kelvorandum-synth: %s:%d: %s\n", error.GetFile().CStr(), error.GetLine(),
                         error.GetMessage().CStr());
        else
            std::fprintf(stderr, "kelvorandum-synth: %s: %s\n", error.GetFile().CStr(),
                         error.GetMessage().CStr());
    }
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    {
        std::fputs(usage, stdout);
        return 0;
    }
    bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    bool levels = argc == 4 && std::strcmp(argv[1], "--levels") == 0;
    int first = check || levels ? 2 : 1;
    if (argc - first != (check ? 1 : 2) || argv[first][0] == '-' || (!check && argv[first + 1][0] == '-'))
    {
        std::fputs(usage, stderr);
        return 2;
    }

    Synth::Score score;
    try
    {
        score = Synth::LoadScore(argv[first]);
    }
    catch (const Zemb::Exception& error)
    {
        PrintError(error);
        return 2;
    }
    PrintSections(score);
    if (check)
        return 0;

    const char* out = argv[first + 1];
    std::vector<Synth::Level> measured;
    Synth::Stereo song = Synth::Render(score, levels ? &measured : nullptr);
    for (const Synth::Level& level : measured)
        std::printf("  %-12s peak %7.2f dB  rms %7.2f dB\n", level.name.c_str(), level.peakDb, level.rmsDb);
    try
    {
        Synth::WriteWav(out, song);
    }
    catch (const Zemb::Exception& error)
    {
        std::fprintf(stderr, "kelvorandum-synth: %s\n", error.GetMessage().CStr());
        return 1;
    }
    double peak = Synth::Peak(song);
    std::printf("wrote %s: peak %.2f dBFS\n", out, peak > 0.0 ? 20.0 * std::log10(peak) : -200.0);
    return 0;
}
