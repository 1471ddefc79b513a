// A track's keys: read from its binary file once, then evaluated at fractional rows.
// The key array is a plain heap block owned by the track. Damaged files never fail: the track keeps
// the keys that were read completely; a file that cannot be opened leaves the track without keys.
#include "SyncDevice.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
    const long countSize = 4;
    const long keySize = 9;  // row, value and type, packed without padding
    // Capacity to start from when the file's length is unknown (a pipe, say); grows while keys arrive.
    const std::int32_t unknownLengthCapacity = 256;

    bool ReadInt32(std::FILE* file, std::int32_t& out)
    {
        unsigned char bytes[4];
        if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes)
            return false;
        std::uint32_t bits = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                             std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
        out = std::int32_t(bits);
        return true;
    }

    bool ReadFloat(std::FILE* file, float& out)
    {
        std::int32_t bits;
        if (!ReadInt32(file, bits))
            return false;
        static_assert(sizeof(float) == sizeof bits, "track values are 32-bit floats");
        std::memcpy(&out, &bits, sizeof out);
        return true;
    }

    bool ReadKey(std::FILE* file, TrackKey& key)
    {
        std::int32_t row;
        float value;
        signed char type;
        if (!ReadInt32(file, row) || !ReadFloat(file, value) || std::fread(&type, 1, 1, file) != 1)
            return false;
        key.row = row;
        key.value = value;
        key.type = KeyType(type);  // sign-extended: 0x80 and above are negative types
        return true;
    }

    // How many keys the rest of the file can hold, or -1 when its length cannot be learnt.
    long KeysLeftInFile(std::FILE* file)
    {
        long here = std::ftell(file);
        if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
            return -1;
        long end = std::ftell(file);
        if (std::fseek(file, here, SEEK_SET) != 0 || end < here)
            return -1;
        return (end - here) / keySize;
    }

    // The keys announced by count, as many as the file really holds; null with none read.
    TrackKey* ReadKeys(std::FILE* file, std::int32_t count, std::int32_t& read)
    {
        read = 0;
        long room = KeysLeftInFile(file);
        std::int32_t capacity = count;
        if (room < 0)
            capacity = count < unknownLengthCapacity ? count : unknownLengthCapacity;
        else if (room < capacity)
            capacity = std::int32_t(room);
        if (capacity <= 0)
            return nullptr;

        TrackKey* keys = static_cast<TrackKey*>(std::malloc(sizeof(TrackKey) * std::size_t(capacity)));
        if (keys == nullptr)
            return nullptr;
        while (read < count)
        {
            if (read == capacity)
            {
                std::int32_t grown = capacity <= count - capacity ? capacity * 2 : count;
                void* more = std::realloc(keys, sizeof(TrackKey) * std::size_t(grown));
                if (more == nullptr)
                    break;
                keys = static_cast<TrackKey*>(more);
                capacity = grown;
            }
            if (!ReadKey(file, keys[read]))
                break;
            ++read;
        }
        if (read == 0)
        {
            std::free(keys);
            return nullptr;
        }
        return keys;
    }
}

int SyncTrack::Load(const char* path)
{
    if (path == nullptr)
        return 1;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return 1;

    std::free(keys);
    keys = nullptr;
    keyCount = 0;

    std::int32_t count = 0;
    if (ReadInt32(file, count) && count > 0)
        keys = ReadKeys(file, count, keyCount);
    std::fclose(file);
    return 0;
}

int SyncTrack::FindKey(int row) const
{
    // Every probe lies in [lo, hi), inside the array, whatever order the rows are in.
    int lo = 0;
    int hi = keyCount > 0 ? keyCount : 0;
    while (lo < hi)
    {
        int mid = lo + (hi - lo) / 2;
        if (keys[mid].row < row)
            lo = mid + 1;
        else if (keys[mid].row > row)
            hi = mid;
        else
            return mid;
    }
    return lo - 1;
}

float SyncTrack::GetValueAt(double row) const
{
    if (keyCount <= 0)
        return 0.0f;

    // Rows beyond the 32-bit range clamp to it; NaN reads as before the first key.
    double floored = std::floor(row);
    int irow;
    if (!(floored >= -2147483648.0))
        irow = INT32_MIN;
    else if (floored > 2147483647.0)
        irow = INT32_MAX;
    else
        irow = int(floored);

    int i = std::isnan(row) ? -1 : FindKey(irow);
    if (i < 0)
        return keys[0].value;
    if (i > keyCount - 2)
        return keys[keyCount - 1].value;

    const TrackKey& k0 = keys[i];
    const TrackKey& k1 = keys[i + 1];
    // Wide subtraction so rows far apart cannot overflow; rows out of order cannot divide by zero.
    std::int64_t span = std::int64_t(k1.row) - std::int64_t(k0.row);
    if (span <= 0)
        return k0.value;
    float d = k1.value - k0.value;
    double t = (row - k0.row) / double(span);
    switch (k0.type)
    {
    case KeyType::Step:
        return k0.value;
    case KeyType::Linear:
        return float(k0.value + d * t);
    case KeyType::Smooth:
        return float(k0.value + d * (t * t * (3.0 - 2.0 * t)));
    case KeyType::Ramp:
        return float(k0.value + d * std::pow(t, 2.0));
    }
    return 0.0f;
}
