// 16-bit stereo WAV writer. Owns its temporary file only during the call and removes it on
// every failure.
#include "Wav.h"

#include "Zemb/Exception.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace Synth
{
    namespace
    {
        void Put16(std::vector<unsigned char>& out, int value)
        {
            out.push_back(static_cast<unsigned char>(value & 0xff));
            out.push_back(static_cast<unsigned char>((value >> 8) & 0xff));
        }

        void Put32(std::vector<unsigned char>& out, uint32_t value)
        {
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back(static_cast<unsigned char>((value >> shift) & 0xff));
        }

        void PutText(std::vector<unsigned char>& out, const char* text)
        {
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<unsigned char>(text[i]));
        }

        int ToPcm(float sample)
        {
            double scaled = std::nearbyint(static_cast<double>(sample) * 32767.0);
            return static_cast<int>(std::fmax(-32768.0, std::fmin(32767.0, scaled)));
        }

        [[noreturn]] void Fail(const std::string& message, const std::string& path)
        {
            throw Zemb::Exception(Zemb::String((message + " \"" + path + "\"").c_str()),
                                  Zemb::String(__FILE__), __LINE__);
        }
    } // namespace

    void WriteWav(const std::string& path, const Stereo& buffer)
    {
        uint32_t dataBytes = static_cast<uint32_t>(buffer.Length() * 4);
        std::vector<unsigned char> bytes;
        bytes.reserve(44 + dataBytes);
        PutText(bytes, "RIFF");
        Put32(bytes, 36 + dataBytes);
        PutText(bytes, "WAVE");
        PutText(bytes, "fmt ");
        Put32(bytes, 16);
        Put16(bytes, 1); // PCM
        Put16(bytes, 2);
        Put32(bytes, sampleRate);
        Put32(bytes, sampleRate * 4);
        Put16(bytes, 4);
        Put16(bytes, 16);
        PutText(bytes, "data");
        Put32(bytes, dataBytes);
        for (size_t n = 0; n < buffer.Length(); ++n)
        {
            Put16(bytes, ToPcm(buffer.left[n]));
            Put16(bytes, ToPcm(buffer.right[n]));
        }

        std::string partial = path + ".part";
        std::FILE* file = std::fopen(partial.c_str(), "wb");
        if (file == nullptr)
            Fail("Could not create", partial);
        bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        bool closed = std::fclose(file) == 0;
        if (!written || !closed)
        {
            std::remove(partial.c_str());
            Fail("Could not write", partial);
        }
        if (std::rename(partial.c_str(), path.c_str()) != 0)
        {
            std::remove(partial.c_str());
            Fail("Could not rename the finished file to", path);
        }
    }
} // namespace Synth
