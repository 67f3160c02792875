// SPDX-License-Identifier: GPL-3.0-or-later
// A child program for the runner tests. Its first argument picks what it does:
//   signal N        kill itself with signal N
//   stdin           exit 0 when standard input is at its end at once, else 1
//   args FILE ...   write the remaining arguments to FILE, each followed by a NUL byte; exit 0
//   fail N BYTES    write numbered lines, BYTES bytes in all, to standard error; exit N
//   progress        report 1.5 s done on standard output as ffmpeg's "-progress" does, then
//                   wait a minute
//   ignoreterm      the same, ignoring SIGTERM
// Started under the name chatty, a tool that fails after 100 000 numbered lines and "last words"
// on standard error. Started under the name ffmpeg or flvmeta, a tool that fails whatever its
// arguments: one line on standard error and exit code 1 (or TROVEXA_TEST_EXIT). With
// TROVEXA_TEST_HANG set, the system's tool of that name, except for an argument that contains
// its value: then a tool that never ends by itself.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

// Numbered lines on standard error, bytes in all (the last one cut short).
void writeLines(long bytes)
{
    for (int line = 1; bytes > 0; ++line) {
        char text[32];
        const int length = std::snprintf(text, sizeof text, "line %d\n", line);
        std::fwrite(text, 1, size_t(std::min<long>(length, bytes)), stderr);
        bytes -= length;
    }
}

int main(int argc, char **argv)
{
    const char *slash = std::strrchr(argv[0], '/');
    const char *name = slash ? slash + 1 : argv[0];
    if (std::strcmp(name, "chatty") == 0) {
        writeLines(1088895); // "line 1\n" to "line 100000\n"
        std::fputs("last words\n", stderr);
        return 1;
    }
    if (std::strcmp(name, "ffmpeg") == 0 || std::strcmp(name, "flvmeta") == 0) {
        if (const char *hang = std::getenv("TROVEXA_TEST_HANG")) {
            for (int i = 1; i < argc; ++i) {
                if (std::strstr(argv[i], hang))
                    std::this_thread::sleep_for(std::chrono::minutes(1));
            }
            const std::string system = std::string("/usr/bin/") + name;
            ::execv(system.c_str(), argv);
            return 127;
        }
        std::fprintf(stderr, "%s: failing on purpose\n", name);
        const int code = std::atoi(std::getenv("TROVEXA_TEST_EXIT") ?: "1"); // below 0: a signal
        return code < 0 ? std::raise(-code) : code;
    }
    if (argc < 2)
        return 100;
    const char *mode = argv[1];
    if (std::strcmp(mode, "signal") == 0 && argc > 2) {
        std::raise(std::atoi(argv[2]));
        return 101;
    }
    if (std::strcmp(mode, "stdin") == 0) {
        char c;
        return ::read(STDIN_FILENO, &c, 1) == 0 ? 0 : 1;
    }
    if (std::strcmp(mode, "fail") == 0 && argc > 3) {
        writeLines(std::atol(argv[3]));
        return std::atoi(argv[2]);
    }
    const bool ignoreTerm = std::strcmp(mode, "ignoreterm") == 0;
    if (std::strcmp(mode, "progress") == 0 || ignoreTerm) {
        if (ignoreTerm)
            std::signal(SIGTERM, SIG_IGN);
        std::fputs("frame=10\nout_time_us=1500000\nprogress=continue\n", stdout);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return 0;
    }
    if (std::strcmp(mode, "args") == 0 && argc > 2) {
        std::ofstream out(argv[2], std::ios::binary);
        for (int i = 3; i < argc; ++i)
            out.write(argv[i], std::streamsize(std::strlen(argv[i]) + 1));
        return out ? 0 : 102;
    }
    return 100;
}
