// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Commands.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <string>
#include <string_view>

// What the commands print: records of names on stdout, names in messages on stderr.
namespace cli {

/**
 * Bytes made into one field of a line: tab, newline and backslash as \t, \n
 * and \\, every other control character and every byte that is not part of
 * valid UTF-8 as \xHH (lowercase), so the line records the bytes exactly.
 */
std::string escaped(const QByteArray& bytes);
/** The escaped bytes of a file name. */
std::string escapedPath(const QString& path);

/** Takes -z/--zero out of args (those before a "--", which is dropped too); true when it was there. */
bool takeZeroOption(Args& args);

/** Writes on stdout, keeping the reason of the first failure for closeStdout. */
void print(std::string_view text);
void flushStdout();

/**
 * Writes one record on stdout: escaped fields joined by tabs, ended by a
 * newline; with zero, the raw fields each ended by a NUL (as find -print0).
 */
void writeRecord(bool zero, std::initializer_list<QByteArray> fields);

/** Flushes and closes stdout; a failed write is told on stderr and makes status 0 into 1. */
int closeStdout(int status);

} // namespace cli
