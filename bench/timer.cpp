// SPDX-License-Identifier: MIT
// ftes-bench-timer: runs commands as processes, alternating them, and prints for each the
// median wall time and CPU time (user + system) over the runs and the peak resident memory of
// its hungriest run, then the ratio of each command's median wall time to the last command's.
//   ftes-bench-timer RUNS -- label1 [@DIR] cmd1 args... -- label2 [@DIR] cmd2 args...
// A command with @DIR runs in that directory. After three warm-up rounds the commands run in
// turn, so that a change in the machine's load touches all of them alike.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Command {
    std::string label;
    std::string dir;
    std::vector<char*> argv;
    std::vector<double> seconds;
    std::vector<double> cpu_seconds;
    long peak_kib = 0;
};

bool run(Command& c) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!c.dir.empty() && ::chdir(c.dir.c_str()) != 0) std::_Exit(126);
        ::execvp(c.argv[0], c.argv.data());
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return false;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    c.seconds.push_back(took.count());
    const auto secs = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    c.cpu_seconds.push_back(secs(usage.ru_utime) + secs(usage.ru_stime));
    c.peak_kib = std::max(c.peak_kib, usage.ru_maxrss);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: ftes-bench-timer RUNS -- label cmd args... [-- ...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<Command> commands;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            if (i + 1 < argc) commands.push_back({argv[++i], {}, {}, {}, {}, 0});
        } else if (!commands.empty() && commands.back().argv.empty() && argv[i][0] == '@') {
            commands.back().dir = argv[i] + 1;
        } else if (!commands.empty()) {
            commands.back().argv.push_back(argv[i]);
        }
    }
    for (auto& c : commands) c.argv.push_back(nullptr);
    for (int w = 0; w < 3; ++w) {
        for (auto& c : commands) run(c);  // warm-up: page cache and dynamic loader
    }
    for (auto& c : commands) c.seconds.clear(), c.cpu_seconds.clear(), c.peak_kib = 0;
    for (int r = 0; r < runs; ++r) {
        for (auto& c : commands) {
            if (!run(c)) {
                std::fprintf(stderr, "%s failed\n", c.label.c_str());
                return 1;
            }
        }
    }
    for (const auto& c : commands) {
        std::printf("%-34s median %7.2f ms  cpu %6.2f ms  peak RSS %5.2f MiB  (%d runs)\n",
                    c.label.c_str(), median(c.seconds) * 1e3, median(c.cpu_seconds) * 1e3,
                    c.peak_kib / 1024.0, runs);
    }
    const Command& last = commands.back();
    for (std::size_t i = 0; i + 1 < commands.size(); ++i) {
        std::printf("ratio %s / %s: %.2f\n", commands[i].label.c_str(), last.label.c_str(),
                    median(commands[i].seconds) / median(last.seconds));
    }
    return 0;
}
