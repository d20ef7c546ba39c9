// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// The real executable in dir, with no terminal: stdin is /dev/null, output goes to files
// (stdout to stdoutFile when given, e.g. /dev/full; it is not read back then).
class Cli
{
public:
    Cli(const TempDir& dir, const std::vector<std::string>& args, const char* stdoutFile = nullptr)
        : m_out(stdoutFile ? stdoutFile : dir.path() / "stdout.txt")
        , m_err(dir.path() / "stderr.txt")
        , m_bReadOut(stdoutFile == nullptr)
    {
        std::vector<std::string> all{REELKEEPER_CLI};
        all.insert(all.end(), args.begin(), args.end());
        m_pid = ::fork();
        if (m_pid == 0) {
            ::chdir(dir.str().c_str());
            ::dup2(::open("/dev/null", O_RDONLY), 0);
            ::dup2(::open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            std::vector<char*> argv;
            for (std::string& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    void signal(int number) const { ::kill(m_pid, number); }
    CliRun wait() const
    {
        int raw = 0;
        ::waitpid(m_pid, &raw, 0);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, m_bReadOut ? readFileBytes(m_out) : "", readFileBytes(m_err)};
    }

private:
    std::filesystem::path m_out;
    std::filesystem::path m_err;
    bool m_bReadOut = true;
    pid_t m_pid = -1;
};
