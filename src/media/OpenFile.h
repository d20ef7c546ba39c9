// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace media {

/**
 * Opens a regular file for reading by its encoded path, without blocking (a
 * named pipe must not hold a scan: it is refused, as are folders). The
 * descriptor, with st filled; or -1 with error set to "can't open it: REASON".
 */
int openRegularFile(const QByteArray& path, struct stat& st, QString& error);

} // namespace media
