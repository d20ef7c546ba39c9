// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The floor for a command-line tool built on Qt Core: a program that loads Qt
// Core, makes a string and exits.
#include <QString>

#include <cstdio>

int main(int argc, char**)
{
    const QString text = QString::number(argc);
    std::fputs(qPrintable(text), stdout);
    return 0;
}
