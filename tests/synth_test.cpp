// Tests of kelvorandum-synth: the score parser's errors and where it puts them, the timing of
// what a pattern plays, the master ceiling, the program run as the music script runs it, and the
// committed score and MP3 that the demo plays. Program runs work in a temporary directory.
#include "Arrangement.h"
#include "Effects.h"
#include "Render.h"
#include "RunProgram.h"
#include "ScratchFolder.h"
#include "Score.h"

#include "Zemb/Exception.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
    const std::string synth = KELVO_SYNTH;

    // 120 BPM: a bar is 2 s, a 16th is 5512.5 samples, a quarter 22050.
    const std::string tinyHead =
        "tempo 120\n"
        "instrument kick kick\n"
        "end\n"
        "instrument tone synth osc=sine attack=0.001 sustain=1 release=0.01 cutoff=18000\n"
        "end\n";

    std::string ErrorAt(const std::string& text, int& line)
    {
        try
        {
            Synth::ParseScore(text, "test.score");
        }
        catch (const Zemb::Exception& error)
        {
            EXPECT_STREQ(error.GetFile().CStr(), "test.score");
            line = error.GetLine();
            return error.GetMessage().CStr();
        }
        line = -1;
        return "";
    }

    struct BadScore
    {
        const char* what;
        std::string text;
        int line;
        const char* message; // a part of the message
    };

    TEST(SynthScore, MistakesAreReportedAtTheirLine)
    {
        const BadScore cases[] = {
            {"unknown statement", "tempo 140\ntemp 120\n", 2, "unknown statement 'temp'"},
            {"tempo out of range", "tempo 900\n", 1, "out of range"},
            {"not a number", "tempo fast\n", 1, "'fast' is not a number"},
            {"unknown kind", "instrument a bell\nend\n", 1, "unknown instrument kind 'bell'"},
            {"unknown setting", "instrument b synth\n  gain=-3\n  cutof=300\nend\n", 3, "no setting 'cutof'"},
            {"setting out of range", "instrument b synth\n  reso=2\nend\n", 2, "reso=2 is out of range"},
            {"bad shape", "instrument b synth osc=piano\nend\n", 1, "not a shape"},
            {"block without end", "tempo 140\npattern p\n  x . . .\n", 2, "no 'end'"},
            {"block closed too late", "pattern p\n  x . . .\npattern q\n  x\nend\n", 1,
             "no 'end' before line 3"},
            {"bad step", "pattern p\n  x . h4 .\nend\n", 2, "'h4' is not a step"},
            {"unknown chord", "pattern p\n  Am - - -\nend\n", 2, "'Am' is not a step"},
            {"unknown pattern", tinyHead + "section s 1\n  kick nothing\nend\n", 7,
             "unknown pattern 'nothing'"},
            {"notes on a drum", tinyHead + "pattern p\n  a4 . . .\nend\nsection s 1\n  kick p\nend\n", 10,
             "plays hits"},
            {"hits on a synth", tinyHead + "pattern p\n  x . . .\nend\nsection s 1\n  tone p\nend\n", 10,
             "has a hit on line 7"},
            {"chord on a mono synth",
             "instrument m synth mono=1\nend\npattern p\n  a3+c4 . . .\nend\nsection s 1\n  m p\nend\n", 7,
             "mono"},
            {"bars outside the section",
             tinyHead + "pattern p\n  x . . .\nend\nsection s 2\n  kick p bars=2-3\nend\n", 10, "bars=2-3"},
            {"cutoff on a kick",
             tinyHead + "pattern p\n  x . . .\nend\nsection s 1\n  kick p cutoff=100..200\nend\n", 10,
             "no cutoff"},
            {"nothing to play", tinyHead, 5, "no section"},
            {"duplicate instrument", tinyHead + "instrument kick hat\nend\n", 6, "already defined"},
        };
        for (const BadScore& bad : cases)
        {
            int line = 0;
            std::string message = ErrorAt(bad.text, line);
            EXPECT_EQ(line, bad.line) << bad.what << ": " << message;
            EXPECT_NE(message.find(bad.message), std::string::npos) << bad.what << ": " << message;
        }
    }

    // Holds lengthen a note, rests end it, a new note ends the one before; drums get one event per hit.
    TEST(SynthScore, PatternsBecomeTimedEvents)
    {
        Synth::Score score = Synth::ParseScore(tinyHead + "pattern p\n"
                                                          "  a4 - . c5 | e5 - - . | . . . . | a3 - - -\n"
                                                          "end\n"
                                                          "pattern beat steps=4\n"
                                                          "  X . o .\n"
                                                          "end\n"
                                                          "section s 2\n"
                                                          "  tone p bars=2\n"
                                                          "  kick beat\n"
                                                          "end\n",
                                               "test.score");
        std::vector<std::vector<Synth::Event>> events = Synth::ArrangeEvents(score);
        const int64_t bar = 88200, step = 5512; // a 16th is 5512.5 samples: positions round to nearest

        ASSERT_EQ(events[1].size(), 4u);
        const int expectedNotes[] = {69, 72, 76, 57};
        const int64_t starts[] = {bar, bar + 3 * step + 2, bar + 4 * bar / 16, bar + 12 * bar / 16};
        const int64_t ends[] = {bar + 2 * bar / 16, bar + 4 * bar / 16, bar + 7 * step + 4, 2 * bar};
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ(events[1][i].midi, expectedNotes[i]);
            EXPECT_NEAR(events[1][i].start, starts[i], 1) << "note " << i;
            EXPECT_NEAR(events[1][i].gateEnd, ends[i], 1) << "note " << i;
        }

        ASSERT_EQ(events[0].size(), 4u); // X and o in each of the two bars
        EXPECT_EQ(events[0][1].start, bar / 2);
        EXPECT_DOUBLE_EQ(events[0][0].velocity, 1.0);
        EXPECT_DOUBLE_EQ(events[0][1].velocity, 0.5);
        EXPECT_EQ(score.TotalSamples(), 2 * bar);
    }

    // A fade set on a part keeps its last value after the part, so a final chord rings out faded.
    TEST(SynthScore, GainRampHoldsAfterItsPart)
    {
        Synth::Score score = Synth::ParseScore(tinyHead + "tail 1\n"
                                                          "pattern p steps=1\n"
                                                          "  a4\n"
                                                          "end\n"
                                                          "section s 2\n"
                                                          "  tone p bars=2 gain=0..-20\n"
                                                          "end\n",
                                               "test.score");
        std::vector<float> gain = Synth::GainCurve(score, 1);
        ASSERT_EQ(gain.size(), 3u * 88200u);
        EXPECT_FLOAT_EQ(gain[0], 0.0f);
        EXPECT_FLOAT_EQ(gain[88200], 0.0f);
        EXPECT_NEAR(gain[88200 + 44100], -10.0f, 0.01f);
        EXPECT_NEAR(gain[2 * 88200 + 1000], -20.0f, 0.01f);
        EXPECT_NEAR(gain.back(), -20.0f, 0.01f);
    }

    // Silence up to the first hit, sound right at it, a sine note at its pitch, nothing above the ceiling.
    TEST(SynthRender, SoundsWhereTheScorePutsIt)
    {
        Synth::Score score = Synth::ParseScore(tinyHead + "master peak=-3\n"
                                                          "pattern hit steps=4\n"
                                                          "  . x . .\n"
                                                          "end\n"
                                                          "pattern note steps=1\n"
                                                          "  a4\n"
                                                          "end\n"
                                                          "section s 1\n"
                                                          "  kick hit\n"
                                                          "end\n"
                                                          "section t 1\n"
                                                          "  tone note\n"
                                                          "end\n",
                                               "test.score");
        Synth::Stereo song = Synth::Render(score);
        ASSERT_EQ(song.Length(), 2u * 88200u);
        for (size_t n = 0; n < 22050; ++n)
            ASSERT_EQ(song.left[n], 0.0f) << "sample " << n;
        float attack = 0.0f;
        for (size_t n = 22050; n < 22050 + 441; ++n)
            attack = std::max(attack, std::fabs(song.left[n]));
        EXPECT_GT(attack, 0.3f);
        EXPECT_LE(Synth::Peak(song), std::pow(10.0, -3.0 / 20.0) + 1e-6);

        // Upward zero crossings over one second of the held a4, well after its attack.
        int crossings = 0;
        for (size_t n = 88200 + 22050; n < 88200 + 22050 + 44100; ++n)
            if (song.left[n - 1] < 0.0f && song.left[n] >= 0.0f)
                ++crossings;
        EXPECT_NEAR(crossings, 440, 1);
    }

    TEST(SynthRender, MasterHoldsPeaksAtTheCeiling)
    {
        Synth::Stereo buffer(44100);
        for (size_t n = 0; n < buffer.Length(); ++n)
        {
            buffer.left[n] = static_cast<float>(0.3 * std::sin(n * 0.05));
            buffer.right[n] = buffer.left[n];
        }
        buffer.left[10000] = 5.0f; // spikes far above everything else
        buffer.right[30000] = -4.0f;
        Synth::Master(buffer, -1.5, 6.0);
        double ceiling = std::pow(10.0, -1.5 / 20.0);
        EXPECT_LE(Synth::Peak(buffer), ceiling + 1e-6);
        EXPECT_NEAR(std::fabs(buffer.left[10000]), ceiling, 1e-4);
        EXPECT_NEAR(std::fabs(buffer.right[30000]), ceiling, 1e-4);
        // Once the limiter has recovered, the music is only scaled: the loudest peak was meant
        // to reach ceiling + 6 dB.
        double scale = std::pow(10.0, 4.5 / 20.0) / 5.0;
        EXPECT_NEAR(buffer.left[25000] / std::sin(25000 * 0.05), 0.3 * scale, 0.3 * scale * 0.02);
    }

    class SynthProgram : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_FALSE(dir.empty()); }

        void WriteText(const std::string& name, const std::string& text)
        {
            std::ofstream out(dir / name, std::ios::binary);
            out << text;
        }

        ProgramRun Run(const std::string& arguments)
        {
            return RunProgram("'" + synth + "' " + arguments, dir.string());
        }

        ScratchFolder scratch{"synth_test"};
        const fs::path& dir = scratch.Path();
    };

    uint32_t Read32(const std::string& bytes, size_t at)
    {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        return value;
    }

    TEST_F(SynthProgram, RendersTheSameWavEveryTime)
    {
        WriteText("tiny.score", tinyHead + "seed 7\n"
                                           "instrument air noise cutoff=3000\nend\n"
                                           "pattern beat\n  x . . . x . . . x . . . x . . .\nend\n"
                                           "pattern wash steps=1\n  x\nend\n"
                                           "section s 1\n  kick beat\n  air wash\nend\n");
        ProgramRun first = Run("tiny.score one.wav");
        ASSERT_EQ(first.exitCode, 0) << first.err;
        ProgramRun second = Run("tiny.score two.wav");
        ASSERT_EQ(second.exitCode, 0) << second.err;
        std::string one = ReadWholeFile((dir / "one.wav").string());
        std::string two = ReadWholeFile((dir / "two.wav").string());
        ASSERT_EQ(one.size(), 44u + 88200u * 4u);
        EXPECT_TRUE(one == two);
        EXPECT_EQ(one.substr(0, 4), "RIFF");
        EXPECT_EQ(one.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(Read32(one, 22) & 0xffff, 2u); // channels
        EXPECT_EQ(Read32(one, 24), 44100u);      // rate
        EXPECT_EQ(Read32(one, 32) >> 16, 16u);   // bits per sample
        EXPECT_EQ(Read32(one, 40), 88200u * 4u); // data bytes
        EXPECT_FALSE(fs::exists(dir / "one.wav.part"));
    }

    TEST_F(SynthProgram, BadScoreOrPathWritesNothing)
    {
        WriteText("bad.score", tinyHead + "pattern p\n  x . y .\nend\n");
        ProgramRun bad = Run("bad.score out.wav");
        EXPECT_EQ(bad.exitCode, 2);
        EXPECT_NE(bad.err.find("bad.score:7: 'y' is not a step"), std::string::npos) << bad.err;

        ProgramRun missing = Run("none.score out.wav");
        EXPECT_EQ(missing.exitCode, 2);
        EXPECT_NE(missing.err.find("none.score"), std::string::npos) << missing.err;

        ProgramRun usage = Run("bad.score");
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_NE(usage.err.find("Usage"), std::string::npos);

        WriteText("good.score", tinyHead + "pattern p\n  x\nend\nsection s 1\n  kick p\nend\n");
        ProgramRun unwritable = Run("good.score no/such/dir/out.wav");
        EXPECT_EQ(unwritable.exitCode, 1);
        EXPECT_NE(unwritable.err.find("no/such/dir/out.wav"), std::string::npos) << unwritable.err;

        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2); // the two scores
    }

    // Another part of the production is timed to these sections: moving them is a change to both.
    TEST(SynthMusic, CommittedScoreKeepsItsSections)
    {
        Synth::Score score = Synth::LoadScore(KELVO_SOURCE_DIR "/tools/music/pell00r-wirlow.score");
        EXPECT_EQ(score.tempo, 140.0);
        EXPECT_EQ(score.beatsPerBar, 4);
        struct Expected
        {
            const char* name;
            int firstBar;
            int bars;
        };
        const Expected sections[] = {{"intro", 0, 8},      {"build", 8, 8},   {"drop", 16, 8},
                                     {"breakdown", 24, 4}, {"climax", 28, 8}, {"ending", 36, 2}};
        ASSERT_EQ(score.sections.size(), 6u);
        for (size_t i = 0; i < 6; ++i)
        {
            EXPECT_EQ(score.sections[i].name, sections[i].name);
            EXPECT_EQ(score.sections[i].firstBar, sections[i].firstBar);
            EXPECT_EQ(score.sections[i].bars, sections[i].bars);
        }
        EXPECT_GE(score.TotalSamples(), 66 * 44100);
    }

    TEST(SynthMusic, CommittedMp3DecodesLongEnoughAndBelowTheCeiling)
    {
        ASSERT_EQ(mpg123_init(), MPG123_OK);
        int error = 0;
        mpg123_handle* decoder = mpg123_new(nullptr, &error);
        ASSERT_NE(decoder, nullptr);
        ASSERT_EQ(mpg123_open(decoder, KELVO_SOURCE_DIR "/Data/pell00r-wirlow.mp3"), MPG123_OK);
        long rate = 0;
        int channels = 0, encoding = 0;
        ASSERT_EQ(mpg123_getformat(decoder, &rate, &channels, &encoding), MPG123_OK);
        EXPECT_EQ(rate, 44100);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(encoding, MPG123_ENC_SIGNED_16);

        std::vector<unsigned char> block(1 << 16);
        size_t frames = 0;
        int peak = 0;
        size_t done = 0;
        int result = MPG123_OK;
        for (;;)
        {
            result = mpg123_read(decoder, block.data(), block.size(), &done);
            const int16_t* samples = reinterpret_cast<const int16_t*>(block.data());
            for (size_t i = 0; i < done / 2; ++i)
                peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
            frames += done / 4;
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
                break;
        }
        EXPECT_EQ(result, MPG123_DONE);
        mpg123_close(decoder);
        mpg123_delete(decoder);

        EXPECT_GE(frames, 66u * 44100u);
        EXPECT_LT(frames, 67u * 44100u);
        EXPECT_LE(20.0 * std::log10(peak / 32768.0), -1.0);
    }
} // namespace
