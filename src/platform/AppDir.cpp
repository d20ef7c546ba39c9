// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/AppDir.h"

#include "platform/PathCodec.h"

#include <QByteArray>
#include <QFileInfo>

#include <unistd.h>

#include <climits>

namespace platform {

QString appDir()
{
    const QByteArray fromEnv = qgetenv("REELKEEPER_APPDIR");
    if (!fromEnv.isEmpty())
        return decodePath(fromEnv);
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return QStringLiteral(".");
    buffer[n] = '\0';
    const QString exeDir = QFileInfo(decodePath(buffer)).absolutePath();
    // The build tree keeps the data beside the executable; an installed
    // program finds it in <prefix>/share/reelkeeper beside <prefix>/bin.
    if (QFileInfo::exists(exeDir + QStringLiteral("/Default.THM")) || QFileInfo::exists(exeDir + QStringLiteral("/Skin")))
        return exeDir;
    const QString installed = QFileInfo(exeDir + QStringLiteral("/" REELKEEPER_APPDIR_FROM_BIN)).absoluteFilePath();
    return QFileInfo::exists(installed) ? installed : exeDir;
}

} // namespace platform
