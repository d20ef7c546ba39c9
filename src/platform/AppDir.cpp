#include "platform/AppDir.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <climits>

namespace platform {

QString appDir()
{
    const QByteArray fromEnv = qgetenv("REELKEEPER_APPDIR");
    if (!fromEnv.isEmpty())
        return QFile::decodeName(fromEnv);
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return QStringLiteral(".");
    buffer[n] = '\0';
    return QFileInfo(QFile::decodeName(buffer)).absolutePath();
}

} // namespace platform
