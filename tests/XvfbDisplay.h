// A private X display (Xvfb, 1024 x 768 x 24) for tests that need a real X server:
// mode switching, double buffering, keys typed by xdotool.
#pragma once

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class XvfbDisplay
{
public:
    XvfbDisplay()
    {
        for (int number = 60 + getpid() % 200; number < 400 && server <= 0; number += 7)
        {
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            struct stat info;
            if (stat(socket.c_str(), &info) == 0 || stat(lock.c_str(), &info) == 0)
                continue;
            std::string name = ":" + std::to_string(number);
            pid_t child = fork();
            if (child == 0)
            {
                execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int wait = 0; wait < 100 && stat(socket.c_str(), &info) != 0; ++wait)
            {
                if (waitpid(child, nullptr, WNOHANG) == child)
                {
                    child = -1;
                    break;
                }
                usleep(50000);
            }
            if (child > 0 && stat(socket.c_str(), &info) == 0)
            {
                server = child;
                display = name;
            }
            else if (child > 0)
            {
                kill(child, SIGTERM);
                waitpid(child, nullptr, 0);
            }
        }
    }

    ~XvfbDisplay()
    {
        if (server > 0)
        {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }

    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool IsRunning() const { return server > 0; }
    const std::string& Name() const { return display; }

private:
    pid_t server = -1;
    std::string display;
};
