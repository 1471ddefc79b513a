// kelvorandum-capture: renders the production headless and frame-exact, whatever the
// machine's speed, to a PNG sequence or an H.264 video with the music. The clock is the
// music player's own position, paused and moved frame by frame, and every frame goes
// through the demo's own Demo and effect code.
// Exit codes: 0 done; 1 the demo failed (its report is on stderr); 2 bad options or an
// output that cannot be written (nothing half-written is left behind).

#include <SDL.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "Demo.h"
#include "GL.h"
#include "Main.h"
#include "RenderTarget.h"
#include "Texture.h"
#include "VrelSucks.h"
#include "Window.h"
#include "Zemb/Exception.h"

namespace
{
    const char* const usage =
        "Usage: kelvorandum-capture [options] --out DIR|FILE.mp4\n"
        "Renders Kelvorandum frame by frame, headless, exactly as the demo shows it.\n"
        "Run it from the repository root (it reads Data/ like the demo).\n"
        "\n"
        "  --out DIR        write a PNG sequence DIR/000000.png, DIR/000001.png, ...\n"
        "  --out FILE.mp4   write H.264 video with the music of the captured range (needs ffmpeg)\n"
        "  --fps N          frames per second, default 60; fractions such as 60000/1001 allowed\n"
        "  --from S         first moment in seconds, default 0\n"
        "  --to S           end of the range in seconds (not captured), default 65\n"
        "  --at S           capture only this moment; repeat for several (PNG output only)\n"
        "  --window         capture the letterboxed 1024 x 768 window instead of the 1280 x 720 frame\n"
        "  --help           show this text\n"
        "\n"
        "Examples:\n"
        "  build/kelvorandum-capture --out kelvorandum.mp4\n"
        "  build/kelvorandum-capture --at 12.5 --at 40 --out stills\n";

    constexpr int badUsage = 2;

    struct Options
    {
        long fpsNumerator = 60;
        long fpsDenominator = 1;
        double from = 0.0;
        double to = Demo::endTime;
        std::vector<double> moments;
        bool window = false;
        std::string out;
        bool video = false;
    };

    volatile std::sig_atomic_t interrupted = 0;

    void OnInterrupt(int) { interrupted = 1; }

    [[noreturn]] void Fail(const std::string& message)
    {
        std::fprintf(stderr, "kelvorandum-capture: %s\n", message.c_str());
        std::exit(badUsage);
    }

    bool ParseSeconds(const char* text, double& value)
    {
        char* end = nullptr;
        errno = 0;
        value = std::strtod(text, &end);
        return errno == 0 && end != text && *end == '\0' && std::isfinite(value);
    }

    bool ParseRate(const char* text, long& numerator, long& denominator)
    {
        char* end = nullptr;
        errno = 0;
        double whole = std::strtod(text, &end);
        if (errno != 0 || end == text || !std::isfinite(whole) || whole <= 0.0)
            return false;
        if (*end == '\0')
        {
            // Decimal rates such as 29.97 become an exact fraction in thousandths.
            numerator = std::lround(whole * 1000.0);
            denominator = 1000;
        }
        else if (*end == '/')
        {
            char* after = nullptr;
            long over = std::strtol(end + 1, &after, 10);
            if (after == end + 1 || *after != '\0' || over <= 0 || whole != std::floor(whole))
                return false;
            numerator = static_cast<long>(whole);
            denominator = over;
        }
        else
            return false;
        return numerator > 0 && static_cast<double>(numerator) / denominator <= 1000.0;
    }

    bool EndsWith(const std::string& text, const std::string& tail)
    {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }

    Options Parse(int argc, char** argv)
    {
        Options options;
        for (int i = 1; i < argc; ++i)
        {
            std::string option = argv[i];
            if (option == "--help" || option == "-h")
            {
                std::fputs(usage, stdout);
                std::exit(0);
            }
            if (option == "--window")
            {
                options.window = true;
                continue;
            }
            if (option != "--fps" && option != "--from" && option != "--to" && option != "--at" && option != "--out")
                Fail("unknown option '" + option + "' (see --help)");
            if (i + 1 >= argc)
                Fail(option + " needs a value (see --help)");
            const char* value = argv[++i];
            double seconds = 0.0;
            if (option == "--fps")
            {
                if (!ParseRate(value, options.fpsNumerator, options.fpsDenominator))
                    Fail(std::string("--fps ") + value + ": expected a rate such as 60, 29.97 or 60000/1001");
            }
            else if (option == "--out")
                options.out = value;
            else if (!ParseSeconds(value, seconds) || seconds < 0.0)
                Fail(option + " " + value + ": expected seconds, 0 or more");
            else if (option == "--from")
                options.from = seconds;
            else if (option == "--to")
                options.to = seconds;
            else
                options.moments.push_back(seconds);
        }
        if (options.out.empty())
            Fail("--out DIR or --out FILE.mp4 is required (see --help)");
        options.video = EndsWith(options.out, ".mp4");
        if (options.video && !options.moments.empty())
            Fail("--at captures stills: write them to a directory, not to a video");
        if (options.to > Demo::endTime)
            Fail("--to: the production ends at 65 s");
        if (options.from >= options.to && options.moments.empty())
            Fail("--from must lie before --to");
        for (double moment : options.moments)
            if (moment >= Demo::endTime)
                Fail("--at: the production ends at 65 s");
        return options;
    }

    bool IsDirectory(const std::string& path)
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    std::string ParentOf(const std::string& path)
    {
        std::string::size_type slash = path.find_last_of('/');
        if (slash == std::string::npos)
            return ".";
        return slash == 0 ? "/" : path.substr(0, slash);
    }

    bool FindOnPath(const char* program)
    {
        const char* path = std::getenv("PATH");
        std::string folders = path != nullptr ? path : "/usr/bin:/bin";
        std::string::size_type start = 0;
        while (start <= folders.size())
        {
            std::string::size_type end = folders.find(':', start);
            std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0)
                return true;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return false;
    }

    // Permission bits say little to root: try making a file there.
    bool CanCreateFileIn(const std::string& folder)
    {
        std::string probe = folder + "/.kelvorandum-capture-XXXXXX";
        int descriptor = mkstemp(&probe[0]);
        if (descriptor < 0)
            return false;
        close(descriptor);
        std::remove(probe.c_str());
        return true;
    }

    // Checks the output before any rendering, so a bad one costs nothing.
    void PrepareOutput(const Options& options)
    {
        if (options.video)
        {
            if (!FindOnPath("ffmpeg"))
                Fail("ffmpeg was not found: install it (apt-get install ffmpeg) or capture to a directory");
            std::string parent = ParentOf(options.out);
            if (!IsDirectory(parent) || !CanCreateFileIn(parent))
                Fail("cannot write '" + options.out + "': its folder is missing or not writable");
            if (IsDirectory(options.out))
                Fail("cannot write '" + options.out + "': it is a directory");
            return;
        }
        if (!IsDirectory(options.out))
        {
            struct stat info;
            if (stat(options.out.c_str(), &info) == 0)
                Fail("cannot write to '" + options.out + "': it exists and is not a directory");
            std::string parent = ParentOf(options.out);
            if (!IsDirectory(parent) || mkdir(options.out.c_str(), 0777) != 0)
                Fail("cannot create the directory '" + options.out + "': " + std::strerror(errno));
        }
        if (!CanCreateFileIn(options.out))
            Fail("cannot write to '" + options.out + "': not writable");
    }

    std::vector<double> Moments(const Options& options)
    {
        if (!options.moments.empty())
            return options.moments;
        std::vector<double> moments;
        // Frame i sits at from + i / fps, computed from the integers so no error accumulates.
        for (long i = 0;; ++i)
        {
            double t = options.from + static_cast<double>(i) * options.fpsDenominator / options.fpsNumerator;
            if (t >= options.to - 1e-9)
                break;
            moments.push_back(t);
        }
        return moments;
    }

    std::string FormatSeconds(double seconds)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", seconds);
        return text;
    }

    class Progress
    {
    public:
        explicit Progress(size_t total) : total(total), started(SDL_GetTicks64()), shown(isatty(2) != 0) {}

        void Show(size_t done)
        {
            if (!shown)
                return;
            double elapsed = (SDL_GetTicks64() - started) / 1000.0;
            double rate = elapsed > 0.0 ? done / elapsed : 0.0;
            double left = rate > 0.0 ? (total - done) / rate : 0.0;
            const int width = 30;
            int filled = total > 0 ? static_cast<int>(width * done / total) : width;
            std::string bar(static_cast<size_t>(filled), '#');
            bar.append(static_cast<size_t>(width - filled), '.');
            std::fprintf(stderr, "\r[%s] frame %zu/%zu  %.2f fps  %d:%02d left ", bar.c_str(), done, total, rate,
                         static_cast<int>(left) / 60, static_cast<int>(left) % 60);
            std::fflush(stderr);
        }

        void Finish()
        {
            if (shown)
                std::fputc('\n', stderr);
        }

    private:
        size_t total;
        Uint64 started;
        bool shown;
    };

    // Reads the frame just drawn, top row first.
    void ReadFrame(bool window, std::vector<unsigned char>& pixels, int& width, int& height)
    {
        std::vector<unsigned char> upsideDown;
        if (window)
        {
            width = 1024;
            height = 768;
            upsideDown.resize(static_cast<size_t>(width) * height * 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, upsideDown.data());
        }
        else
        {
            Texture* frame = VrelSucks::Instance()->GetFinalTarget()->GetTexture(0);
            width = frame->GetWidth();
            height = frame->GetHeight();
            upsideDown.resize(static_cast<size_t>(width) * height * 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glBindTexture(GL_TEXTURE_2D, frame->GetId());
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, upsideDown.data());
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        size_t row = static_cast<size_t>(width) * 4;
        pixels.resize(upsideDown.size());
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels[y * row], &upsideDown[(height - 1 - y) * row], row);
        // Pictures are opaque: alpha carries nothing the demo shows.
        for (size_t i = 3; i < pixels.size(); i += 4)
            pixels[i] = 255;
    }

    class VideoEncoder
    {
    public:
        VideoEncoder(const Options& options, int width, int height, double duration) : partial(options.out + ".partial.mp4")
        {
            std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgba -video_size " +
                                  std::to_string(width) + "x" + std::to_string(height) + " -framerate " +
                                  std::to_string(options.fpsNumerator) + "/" + std::to_string(options.fpsDenominator) +
                                  " -i -";
            if (access(Demo::musicFile, R_OK) == 0)
                command += std::string(" -ss ") + FormatSeconds(options.from) + " -t " + FormatSeconds(duration) +
                           " -i '" + Demo::musicFile + "' -map 0:v -map 1:a -c:a aac -b:a 192k";
            command += " -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p -movflags +faststart -t " +
                       FormatSeconds(duration) + " '" + partial + "'";
            pipe = popen(command.c_str(), "w");
            if (pipe == nullptr)
                Fail("could not start ffmpeg");
        }

        ~VideoEncoder()
        {
            if (pipe != nullptr)
                pclose(pipe);
            std::remove(partial.c_str());
        }

        VideoEncoder(const VideoEncoder&) = delete;
        VideoEncoder& operator=(const VideoEncoder&) = delete;

        bool Write(const std::vector<unsigned char>& pixels)
        {
            return std::fwrite(pixels.data(), 1, pixels.size(), pipe) == pixels.size();
        }

        // Closes the stream and moves the finished file into place.
        bool Finish(const std::string& out)
        {
            int status = pclose(pipe);
            pipe = nullptr;
            return status == 0 && std::rename(partial.c_str(), out.c_str()) == 0;
        }

    private:
        FILE* pipe = nullptr;
        std::string partial;
    };

    bool WritePng(const std::string& path, const std::vector<unsigned char>& pixels, int width, int height)
    {
        std::string partial = path + ".partial";
        if (stbi_write_png(partial.c_str(), width, height, 4, pixels.data(), width * 4) == 0 ||
            std::rename(partial.c_str(), path.c_str()) != 0)
        {
            std::remove(partial.c_str());
            return false;
        }
        return true;
    }

    std::string FrameName(const std::string& folder, size_t index)
    {
        char name[32];
        std::snprintf(name, sizeof name, "/%06zu.png", index);
        return folder + name;
    }

    int Capture(const Options& options)
    {
        std::vector<double> moments = Moments(options);
        GLWindow window(MainSettings::title, false, MainSettings::width, MainSettings::height,
                        MainSettings::windowedStyle);
        Extensions::Load();
        Demo demo;
        Audio& player = demo.GetAudio();
        player.Pause();

        std::vector<unsigned char> pixels;
        int width = options.window ? 1024 : 1280;
        int height = options.window ? 768 : 720;
        double duration = options.to - options.from;
        std::unique_ptr<VideoEncoder> encoder;
        if (options.video)
            encoder = std::make_unique<VideoEncoder>(options, width, height, duration);
        Progress progress(moments.size());
        int result = 0;
        for (size_t i = 0; i < moments.size() && result == 0; ++i)
        {
            if (interrupted)
            {
                std::fprintf(stderr, "\nkelvorandum-capture: interrupted\n");
                result = 130;
                break;
            }
            player.SetPosition(moments[i]);
            // The last image's flicker follows the moment, so a moment always looks the same.
            std::srand(static_cast<unsigned>(std::llround(moments[i] * 1000.0)));
            if (!demo.Update())
                break;
            ReadFrame(options.window, pixels, width, height);
            window.Update();
            bool written = encoder != nullptr ? encoder->Write(pixels)
                                              : WritePng(FrameName(options.out, i), pixels, width, height);
            if (!written)
            {
                std::fprintf(stderr, "\nkelvorandum-capture: could not write frame %zu to '%s'\n", i,
                             options.out.c_str());
                result = badUsage;
            }
            progress.Show(i + 1);
        }
        progress.Finish();
        if (encoder != nullptr)
        {
            if (result == 0 && !encoder->Finish(options.out))
            {
                std::fprintf(stderr, "kelvorandum-capture: ffmpeg could not make '%s'\n", options.out.c_str());
                result = badUsage;
            }
        }
        return result;
    }
}

int main(int argc, char** argv)
{
    Options options = Parse(argc, argv);
    PrepareOutput(options);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::signal(SIGPIPE, SIG_IGN);

    // Headless and silent unless the user chose otherwise: the clock is paused anyway.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    int result;
    try
    {
        result = Capture(options);
    }
    catch (const Zemb::Exception& exception)
    {
        std::fprintf(stderr, "%s\n%s\n", MainSettings::errorCaption, FormatReport(exception).CStr());
        result = MainSettings::errorExit;
    }
    SDL_Quit();
    return result;
}
