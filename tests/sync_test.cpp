// Tests of the sync-track player: evaluation rules, key search, track files (whole and damaged) and
// the device's lazy, name-exact track loading. Fixture files live in a fresh temporary directory per
// test, removed afterwards; no window or sound device is needed.
#include "ScratchFolder.h"
#include "SyncDevice.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
    using Bytes = std::vector<unsigned char>;

    void PutInt32(Bytes& bytes, std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(value >> shift));
    }

    struct RawKey
    {
        std::int32_t row;
        float value;
        int type;  // written as one byte
    };

    // A track file as the authoring tools write it; count defaults to the number of keys.
    Bytes TrackFile(const std::vector<RawKey>& keys, std::int64_t count = -1)
    {
        Bytes bytes;
        PutInt32(bytes, std::uint32_t(count < 0 ? std::int64_t(keys.size()) : count));
        for (const RawKey& key : keys)
        {
            std::uint32_t bits;
            std::memcpy(&bits, &key.value, sizeof bits);
            PutInt32(bytes, std::uint32_t(key.row));
            PutInt32(bytes, bits);
            bytes.push_back(static_cast<unsigned char>(key.type));
        }
        return bytes;
    }

    void WriteFile(const fs::path& path, const Bytes& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        ASSERT_TRUE(out.good()) << path;
    }

    // Keys held by the test, not by the track: the track only borrows them.
    struct Track
    {
        explicit Track(std::vector<TrackKey> list) : keys(std::move(list))
        {
            track.keys = keys.empty() ? nullptr : keys.data();
            track.keyCount = std::int32_t(keys.size());
        }
        std::vector<TrackKey> keys;
        SyncTrack track{};
    };

    TrackKey Key(std::int32_t row, float value, int type)
    {
        return TrackKey{row, value, KeyType(type)};
    }

    const int step = int(KeyType::Step), linear = int(KeyType::Linear), smooth = int(KeyType::Smooth),
              ramp = int(KeyType::Ramp);

    // Releases a loaded track's keys after a test.
    struct LoadedTrack
    {
        SyncTrack track{};
        ~LoadedTrack() { std::free(track.keys); }
    };

    std::size_t HeapInUse()
    {
        struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd;
    }
}

// The two-key example: row 0 value 0, row 8 value 1, with the first key's type varied.
TEST(SyncTrackValue, WorkedValuesOfTheTwoKeyExample)
{
    struct Case
    {
        int firstType;
        double row;
        float expected;
    } cases[] = {
        {linear, 4.0, 0.5f},     {linear, 7.9, 0.9875f}, {linear, 8.0, 1.0f},  {linear, 1000.0, 1.0f},
        {linear, -1.0, 0.0f},    {linear, 0.0, 0.0f},    {smooth, 2.0, 0.15625f}, {ramp, 2.0, 0.0625f},
        {step, 2.0, 0.0f},       {step, 7.999, 0.0f},    {step, 8.0, 1.0f},    {smooth, 8.0, 1.0f},
        {ramp, 8.0, 1.0f},
    };
    for (const Case& c : cases)
    {
        Track t({Key(0, 0.0f, c.firstType), Key(8, 1.0f, step)});
        EXPECT_EQ(t.track.GetValueAt(c.row), c.expected) << "type " << c.firstType << " row " << c.row;
    }
}

TEST(SyncTrackValue, EdgesOfEvaluation)
{
    struct Case
    {
        const char* what;
        std::vector<TrackKey> keys;
        double row;
        float expected;
    } cases[] = {
        {"no keys", {}, 5.0, 0.0f},
        {"no keys, negative row", {}, -3.5, 0.0f},
        {"single key before it", {Key(10, 3.0f, linear)}, -100.0, 3.0f},
        {"single key at it", {Key(10, 3.0f, linear)}, 10.0, 3.0f},
        {"single key after it", {Key(10, 3.0f, linear)}, 1e6, 3.0f},
        {"before first key, step", {Key(4, 2.0f, step), Key(8, 6.0f, step)}, 1.0, 2.0f},
        {"before first key, unknown type", {Key(4, 2.0f, 4), Key(8, 6.0f, step)}, 3.99, 2.0f},
        {"at a linear key", {Key(4, 2.0f, linear), Key(8, 6.0f, step)}, 4.0, 2.0f},
        {"at a smooth key", {Key(4, 2.0f, smooth), Key(8, 6.0f, step)}, 4.0, 2.0f},
        {"at a ramp key", {Key(4, 2.0f, ramp), Key(8, 6.0f, step)}, 4.0, 2.0f},
        {"at the middle key", {Key(0, 1.0f, linear), Key(4, 2.0f, linear), Key(8, 6.0f, step)}, 4.0, 2.0f},
        {"between later keys", {Key(0, 1.0f, linear), Key(4, 2.0f, linear), Key(8, 6.0f, step)}, 6.0, 4.0f},
        {"step just before the next key", {Key(0, 1.0f, step), Key(8, 6.0f, step)}, 7.999999, 1.0f},
        {"type 4 between keys", {Key(0, 1.0f, 4), Key(8, 6.0f, step)}, 4.0, 0.0f},
        {"type 4 at its own row", {Key(0, 1.0f, 4), Key(8, 6.0f, step)}, 0.0, 0.0f},
        {"negative type between keys", {Key(0, 1.0f, -128), Key(8, 6.0f, step)}, 4.0, 0.0f},
        {"unknown type, at the last key", {Key(0, 1.0f, 4), Key(8, 6.0f, -1)}, 8.0, 6.0f},
        {"unknown type, after the last key", {Key(0, 1.0f, -128), Key(8, 6.0f, 7)}, 50.0, 6.0f},
        // -0.5 floors to row -1, so the search lands on the step key at -1, not on the key at 0.
        {"negative fractional row floors", {Key(-1, 5.0f, step), Key(0, 9.0f, step)}, -0.5, 5.0f},
        {"negative rows interpolate", {Key(-8, 0.0f, linear), Key(0, 8.0f, step)}, -2.5, 5.5f},
        {"row beyond 32 bits", {Key(0, 1.0f, linear), Key(8, 2.0f, step)}, 1e12, 2.0f},
        {"row below 32 bits", {Key(0, 1.0f, linear), Key(8, 2.0f, step)}, -1e12, 1.0f},
        {"not a number", {Key(0, 1.0f, linear), Key(8, 2.0f, step)}, std::nan(""), 1.0f},
        {"keys at the ends of the row range", {Key(INT32_MIN, 0.0f, linear), Key(INT32_MAX, 1.0f, step)},
         -0.5, 0.5f},
    };
    for (const Case& c : cases)
    {
        Track t(c.keys);
        EXPECT_EQ(t.track.GetValueAt(c.row), c.expected) << c.what;
    }
}

// The difference of the values is a float; the fraction, the product and the sum are doubles.
TEST(SyncTrackValue, PrecisionOfTheArithmetic)
{
    // 1e-8f - 1.0f rounds to exactly -1 in single precision; in double it would not.
    Track small({Key(0, 1.0f, linear), Key(4, 1e-8f, step)});
    double row = 3.999995;
    float singleDifference = float(1.0 + double(-1.0f) * (row / 4.0));
    float doubleDifference = float(1.0 + (double(1e-8f) - 1.0) * (row / 4.0));
    ASSERT_NE(singleDifference, doubleDifference);
    EXPECT_EQ(small.track.GetValueAt(row), singleDifference);

    // Far from row 0 the fraction of the row must survive: a float row would lose it.
    Track far({Key(100000, 0.0f, linear), Key(100003, 3.0f, step)});
    EXPECT_EQ(far.track.GetValueAt(100000.3), 0.3f);
    EXPECT_NE(float(100000.3f) - 100000.0f, 0.3f);
}

TEST(SyncTrackSearch, FindsTheLastKeyAtOrBeforeARow)
{
    Track t({Key(0, 0.0f, step), Key(8, 0.0f, step), Key(16, 0.0f, step)});
    struct Case
    {
        int row, expected;
    } cases[] = {{-1, -1}, {0, 0}, {7, 0}, {8, 1}, {15, 1}, {16, 2}, {1000, 2}, {INT32_MIN, -1}, {INT32_MAX, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(t.track.FindKey(c.row), c.expected) << "row " << c.row;

    Track empty({});
    EXPECT_EQ(empty.track.FindKey(0), -1);
}

// Rows out of order are not the file's promise, but they must not lead the search or the
// evaluation out of the array or into a division by zero.
TEST(SyncTrackSearch, UnsortedRowsStayInsideTheArray)
{
    std::vector<std::vector<TrackKey>> layouts = {
        {Key(16, 1.0f, linear), Key(8, 2.0f, linear), Key(0, 3.0f, linear)},
        {Key(0, 1.0f, linear), Key(0, 2.0f, linear), Key(0, 3.0f, linear)},
        {Key(5, 1.0f, smooth), Key(-3, 2.0f, ramp), Key(5, 3.0f, linear), Key(2, 4.0f, linear)},
    };
    for (const std::vector<TrackKey>& keys : layouts)
    {
        Track t(keys);
        for (int row = -20; row <= 20; ++row)
        {
            int i = t.track.FindKey(row);
            EXPECT_GE(i, -1);
            EXPECT_LT(i, t.track.keyCount);
            float value = t.track.GetValueAt(row + 0.5);
            EXPECT_TRUE(std::isfinite(value)) << "row " << row;
        }
    }
}

class SyncTrackFile : public ::testing::Test
{
protected:
    fs::path Write(const std::string& name, const Bytes& bytes)
    {
        fs::path path = dir.Path() / name;
        WriteFile(path, bytes);
        return path;
    }
    ScratchFolder dir{"sync_test"};
};

TEST_F(SyncTrackFile, ReadsTheExampleFileByteForByte)
{
    Bytes example = {0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00};
    LoadedTrack loaded;
    ASSERT_EQ(loaded.track.Load(Write("_Example.track", example).c_str()), 0);
    ASSERT_EQ(loaded.track.keyCount, 2);
    EXPECT_EQ(loaded.track.keys[0].row, 0);
    EXPECT_EQ(loaded.track.keys[0].value, 0.0f);
    EXPECT_EQ(loaded.track.keys[0].type, KeyType::Linear);
    EXPECT_EQ(loaded.track.keys[1].row, 8);
    EXPECT_EQ(loaded.track.keys[1].value, 1.0f);
    EXPECT_EQ(loaded.track.keys[1].type, KeyType::Step);
    EXPECT_EQ(loaded.track.GetValueAt(4.0), 0.5f);
}

TEST_F(SyncTrackFile, TypeBytesAreSignExtended)
{
    LoadedTrack loaded;
    ASSERT_EQ(loaded.track.Load(Write("t", TrackFile({{0, 1.0f, 4}, {4, 2.0f, 0x80}, {8, 3.0f, 0xFF}})).c_str()),
              0);
    ASSERT_EQ(loaded.track.keyCount, 3);
    EXPECT_EQ(int(loaded.track.keys[0].type), 4);
    EXPECT_EQ(int(loaded.track.keys[1].type), -128);
    EXPECT_EQ(int(loaded.track.keys[2].type), -1);
    EXPECT_EQ(loaded.track.GetValueAt(2.0), 0.0f);
    EXPECT_EQ(loaded.track.GetValueAt(6.0), 0.0f);
    EXPECT_EQ(loaded.track.GetValueAt(8.0), 3.0f);
}

TEST_F(SyncTrackFile, MissingFileLeavesTheTrackUntouched)
{
    TrackKey kept[] = {Key(3, 7.0f, linear)};
    SyncTrack track{};
    track.keys = kept;
    track.keyCount = 1;
    EXPECT_EQ(track.Load((dir.Path() / "_Absent.track").c_str()), 1);
    EXPECT_EQ(track.keys, kept);
    EXPECT_EQ(track.keyCount, 1);
    EXPECT_EQ(track.Load(nullptr), 1);
}

// A damaged file keeps exactly the keys that are complete in it; nothing else is believed.
TEST_F(SyncTrackFile, DamagedFilesKeepOnlyCompleteKeys)
{
    Bytes whole = TrackFile({{0, 1.0f, linear}, {8, 2.0f, smooth}, {16, 3.0f, ramp}});
    for (std::size_t length = 0; length <= whole.size(); ++length)
    {
        fs::path path = Write("cut" + std::to_string(length), Bytes(whole.begin(), whole.begin() + long(length)));
        LoadedTrack loaded;
        ASSERT_EQ(loaded.track.Load(path.c_str()), 0) << length;
        int complete = length < 4 ? 0 : int(length - 4) / 9;
        ASSERT_EQ(loaded.track.keyCount, complete) << length;
        EXPECT_EQ(loaded.track.keys == nullptr, complete == 0) << length;
        for (int k = 0; k < complete; ++k)
        {
            EXPECT_EQ(loaded.track.keys[k].row, 8 * k);
            EXPECT_EQ(loaded.track.keys[k].value, float(k + 1));
            EXPECT_EQ(int(loaded.track.keys[k].type), k + 1);
        }
    }

    struct Case
    {
        const char* what;
        Bytes bytes;
        int expectedKeys;
    } cases[] = {
        {"count zero, keys follow", TrackFile({{0, 1.0f, linear}}, 0), 0},
        {"count -1, keys follow", TrackFile({{0, 1.0f, linear}, {8, 2.0f, step}}, -1 & 0xFFFFFFFF), 0},
        {"most negative count", TrackFile({{0, 1.0f, linear}}, 0x80000000), 0},
        {"count beyond two keys", TrackFile({{0, 1.0f, linear}, {8, 2.0f, step}}, 5), 2},
        {"count below the keys present", TrackFile({{0, 1.0f, linear}, {8, 2.0f, step}}, 1), 1},
        {"largest count, six bytes", Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00}, 0},
        {"largest count, one key", TrackFile({{4, 9.0f, step}}, 0x7FFFFFFF), 1},
    };
    for (const Case& c : cases)
    {
        std::size_t before = HeapInUse();
        LoadedTrack loaded;
        ASSERT_EQ(loaded.track.Load(Write("case", c.bytes).c_str()), 0) << c.what;
        EXPECT_EQ(loaded.track.keyCount, c.expectedKeys) << c.what;
        // A count the file cannot hold must not reserve room for it.
        EXPECT_LT(HeapInUse() - before, std::size_t(1) << 20) << c.what;
        for (double row : {-1.0, 0.0, 4.5, 100.0})
            EXPECT_TRUE(std::isfinite(loaded.track.GetValueAt(row))) << c.what;
    }
}

TEST_F(SyncTrackFile, ADirectoryReadsAsNoKeys)
{
    LoadedTrack loaded;
    loaded.track.Load(dir.Path().c_str());
    EXPECT_EQ(loaded.track.keyCount, 0);
    EXPECT_EQ(loaded.track.GetValueAt(1.0), 0.0f);
}

class SyncDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.Path().empty());
        base = dir.Path().string() + "/";
        device = SyncDevice::Create(base.c_str());
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override { SyncDevice::Destroy(device); }

    void WriteTrack(const std::string& name, float value)
    {
        WriteFile(dir.Path() / ("_" + name + ".track"), TrackFile({{0, value, step}}));
    }

    ScratchFolder dir{"sync_test"};
    std::string base;
    SyncDevice* device = nullptr;
};

TEST_F(SyncDeviceTest, CreateKeepsItsOwnCopyOfTheBase)
{
    char text[] = "Data/";
    SyncDevice* own = SyncDevice::Create(text);
    ASSERT_NE(own, nullptr);
    text[0] = 'X';
    EXPECT_STREQ(own->base, "Data/");
    EXPECT_EQ(own->trackCount, 0);
    EXPECT_EQ(own->tracks, nullptr);
    EXPECT_EQ(own->FindTrack("Part"), -1);
    SyncDevice::Destroy(own);
    SyncDevice::Destroy(nullptr);
    EXPECT_EQ(SyncDevice::Create(nullptr), nullptr);
}

TEST_F(SyncDeviceTest, LoadsEachTrackFromItsOwnFileInOrderOfRequest)
{
    WriteTrack("Part", 2.0f);
    WriteTrack("Rotation Time", 7.5f);
    SyncTrack* rotation = device->GetTrack("Rotation Time");
    SyncTrack* part = device->GetTrack("Part");
    SyncTrack* absent = device->GetTrack("Absent");
    ASSERT_NE(absent, nullptr);
    EXPECT_EQ(rotation->GetValueAt(3.0), 7.5f);
    EXPECT_EQ(part->GetValueAt(3.0), 2.0f);
    EXPECT_EQ(absent->keyCount, 0);
    for (double row : {-1.0, 0.0, 1e6})
        EXPECT_EQ(absent->GetValueAt(row), 0.0f);

    ASSERT_EQ(device->trackCount, 3);
    EXPECT_EQ(device->tracks[0], rotation);
    EXPECT_EQ(device->tracks[1], part);
    EXPECT_EQ(device->tracks[2], absent);
    EXPECT_EQ(device->FindTrack("Part"), 1);
    EXPECT_EQ(device->FindTrack("Other"), -1);
    EXPECT_STREQ(rotation->name, "Rotation Time");
    EXPECT_EQ(device->GetTrack("Part"), part);
    EXPECT_EQ(device->trackCount, 3);
}

// Files are read on the first request only: later changes on disk are never seen.
TEST_F(SyncDeviceTest, SecondRequestDoesNotTouchTheFileSystem)
{
    WriteTrack("Present", 4.0f);
    SyncTrack* present = device->GetTrack("Present");
    SyncTrack* absent = device->GetTrack("Late");
    fs::remove(dir.Path() / "_Present.track");
    WriteTrack("Late", 9.0f);

    EXPECT_EQ(device->GetTrack("Present"), present);
    EXPECT_EQ(present->GetValueAt(0.0), 4.0f);
    EXPECT_EQ(device->GetTrack("Late"), absent);
    EXPECT_EQ(absent->keyCount, 0);
    EXPECT_EQ(absent->GetValueAt(0.0), 0.0f);
}

TEST_F(SyncDeviceTest, NamesAreExactAndMayHoldSpaces)
{
    WriteTrack("Rotation Time", 1.0f);
    WriteTrack("rotation time", 2.0f);
    SyncTrack* upper = device->GetTrack("Rotation Time");
    SyncTrack* lower = device->GetTrack("rotation time");
    SyncTrack* spaced = device->GetTrack("Rotation  Time");
    SyncTrack* trailing = device->GetTrack("Rotation Time ");
    EXPECT_NE(upper, lower);
    EXPECT_EQ(upper->GetValueAt(0.0), 1.0f);
    EXPECT_EQ(lower->GetValueAt(0.0), 2.0f);
    EXPECT_EQ(spaced->keyCount, 0);
    EXPECT_EQ(trailing->keyCount, 0);
    EXPECT_EQ(device->trackCount, 4);
    EXPECT_EQ(device->FindTrack("ROTATION TIME"), -1);
}

// The composed path shares one buffer of 260 characters, terminator included.
TEST_F(SyncDeviceTest, PathsLongerThanTheBufferAreMissingTracks)
{
    // Pad the base with a directory so that "<base>_<name>.track" reaches the limit.
    std::string fixed = base + "_.track";
    std::size_t nameLength = 200;
    ASSERT_LT(fixed.size() + nameLength, 259u);
    fs::path padded = dir.Path() / std::string(259 - fixed.size() - nameLength - 1, 'd');
    fs::create_directory(padded);
    std::string longBase = padded.string() + "/";
    std::string fits(nameLength, 'n');
    std::string tooLong = fits + "x";
    ASSERT_EQ(longBase.size() + 1 + fits.size() + 6, 259u);
    WriteFile(padded / ("_" + fits + ".track"), TrackFile({{0, 5.0f, step}}));
    WriteFile(padded / ("_" + tooLong + ".track"), TrackFile({{0, 6.0f, step}}));
    // Where a truncated path would lead: the too-long track must not read this either.
    WriteFile(padded / ("_" + tooLong + ".trac"), TrackFile({{0, 7.0f, step}}));

    SyncDevice* deep = SyncDevice::Create(longBase.c_str());
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->GetTrack(fits.c_str())->GetValueAt(0.0), 5.0f);
    SyncTrack* missing = deep->GetTrack(tooLong.c_str());
    EXPECT_EQ(missing->keyCount, 0);
    EXPECT_STREQ(missing->name, tooLong.c_str());
    std::string huge(5000, 'h');
    EXPECT_EQ(deep->GetTrack(huge.c_str())->keyCount, 0);
    EXPECT_EQ(deep->trackCount, 3);
    SyncDevice::Destroy(deep);
}

TEST_F(SyncDeviceTest, ANullNameIsAnEmptyTrackThatIsNotKept)
{
    SyncTrack* none = device->GetTrack(nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->keyCount, 0);
    EXPECT_EQ(none->GetValueAt(1.0), 0.0f);
    EXPECT_EQ(device->trackCount, 0);
    EXPECT_EQ(device->FindTrack(nullptr), -1);
}
