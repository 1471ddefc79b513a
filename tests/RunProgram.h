// Runs a built program as a user would, through the shell, and collects its exit code
// and output. For end-to-end tests of the demo and the tools.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct ProgramRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// commandLine is shell text run in directory `cwd` (environment settings may lead it,
// as in "SDL_VIDEODRIVER=offscreen prog --x"); it is stopped after timeoutSeconds.
inline ProgramRun RunProgram(const std::string& commandLine, const std::string& cwd, int timeoutSeconds = 120)
{
    static int counter = 0;
    std::string base = "/tmp/kelvo-run-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    std::string shell = "cd '" + cwd + "' && env " + commandLine + " >'" + base + ".out' 2>'" + base + ".err'";
    // Inner quotes of the shell text must survive the outer sh -c.
    std::string escaped;
    for (char c : shell)
    {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            escaped += '\\';
        escaped += c;
    }
    std::string wrapped = "timeout -k 5 " + std::to_string(timeoutSeconds) + " sh -c \"" + escaped + "\"";
    int status = std::system(wrapped.c_str());
    ProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadWholeFile(base + ".out");
    run.err = ReadWholeFile(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return run;
}
