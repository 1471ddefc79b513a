// A private X display (Xvfb, 1024 x 768 x 24) for tests that need a real X server:
// mode switching, double buffering, keys typed by xdotool. Xvfb picks a free display
// number itself and reports it through a pipe, so tests running side by side never
// share or steal one another's server; it never resets when its last client leaves, so
// a test can close one window and open the next.
#pragma once

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class XvfbDisplay
{
public:
    XvfbDisplay()
    {
        int report[2];
        if (pipe(report) != 0)
            return;
        pid_t child = fork();
        if (child == 0)
        {
            close(report[0]);
            std::string fd = std::to_string(report[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(report[1]);
        std::string number;
        pollfd waiting = {report[0], POLLIN, 0};
        char c = 0;
        // The number arrives once the server accepts connections; give a slow machine 20 s.
        while (child > 0 && poll(&waiting, 1, 20000) > 0 && read(report[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(report[0]);
        if (child > 0 && !number.empty() && c == '\n')
        {
            server = child;
            display = ":" + number;
        }
        else if (child > 0)
        {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
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
