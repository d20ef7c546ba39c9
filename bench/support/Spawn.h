// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Runs another program as a benchmark compares with it: started from PATH,
// waited for, timed from start to exit, with its peak resident memory.
#include <chrono>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

enum class Output {
    Kept,     // stdout and stderr as the benchmark's
    NoStdout, // stdout to /dev/null
    None,     // stdout and stderr to /dev/null
};

struct Spawned
{
    bool started = false;
    bool ok = false; // started and exited with 0
    double seconds = 0;
    long peakKb = 0;
};

inline Spawned spawnAndWait(const std::vector<std::string>& args, Output output = Output::Kept)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output != Output::Kept)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (output == Output::None)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Spawned run;
    pid_t pid = 0;
    int status = 0;
    struct rusage usage {};
    const auto start = std::chrono::steady_clock::now();
    run.started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    run.ok = run.started && ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    return run;
}

} // namespace bench
