// MusicStream: an MPEG audio file opened for decoding as it plays. Owns the mpg123
// decoder handle (and through it the open file) from construction to destruction. A file
// that is missing, unreadable or holds no MPEG audio leaves the stream closed; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

class MusicStream
{
public:
    explicit MusicStream(const char* path);
    ~MusicStream();

    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;

    // False when the file could not be opened as MPEG audio; such a stream decodes nothing.
    bool IsOpen() const { return rate > 0; }
    // The decoded format: signed 16-bit native-endian samples, `channels` interleaved, `rate` per second.
    int GetRate() const { return rate; }
    int GetChannels() const { return channels; }
    // Decodes the next samples into buffer; the count of bytes written, 0 at the end or on an error.
    size_t Read(unsigned char* buffer, size_t bytes);
    // Moves decoding to the sample at ms milliseconds. False when the decoder cannot go there
    // (past the end, for one).
    bool Seek(uint64_t ms);

private:
    mpg123_handle_struct* handle;
    int rate;
    int channels;
};
