// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace platform {

/**
 * File names are bytes. Valid UTF-8 decodes as usual; each byte of an invalid
 * sequence becomes the lone low surrogate U+DC80+byte, which encodePath turns
 * back into that byte, so every name read from the system or the command line
 * names the same file when it goes back (QFile::decodeName would put U+FFFD
 * in its place). Such names show the replacement character on screen.
 */
QString decodePath(const QByteArray& bytes);
QByteArray encodePath(const QString& path);

/** The length of the valid UTF-8 sequence at bytes (shortest form, no surrogates, up to U+10FFFF), or 0. */
std::size_t utf8SequenceLength(const char* bytes, std::size_t size);

} // namespace platform
