// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StopSignals.h"

namespace cli {
namespace {

std::atomic<bool> g_stop{false};
volatile std::sig_atomic_t g_signal = 0;

extern "C" void onStopSignal(int number)
{
    g_signal = number;
    g_stop.store(true);
}

} // namespace

StopSignals::StopSignals()
{
    g_stop = false;
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
}

StopSignals::~StopSignals()
{
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
}

const std::atomic<bool>& StopSignals::flag()
{
    return g_stop;
}

int StopSignals::number()
{
    return g_signal;
}

} // namespace cli
