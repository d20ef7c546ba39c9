// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/ForeignSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace platform {

ConverterOutputDir readConverterOutputDir()
{
    ConverterOutputDir result;
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             QStringLiteral("Quillbrook"), QStringLiteral("Clipforge"));
    result.keyPresent = settings.childGroups().contains(QStringLiteral("Settings"));
    if (!result.keyPresent)
        return result;
    const QVariant value = settings.value(QStringLiteral("Settings/OuputDir"));
    if (value.isValid() && value.canConvert<QString>())
        result.value = value.toString();
    return result;
}

QString converterFallbackOutputDir()
{
    return QDir::tempPath();
}

QString homeFolderWithSeparator()
{
    QString home = QDir::homePath();
    if (!home.endsWith(QLatin1Char('/')))
        home += QLatin1Char('/');
    return QDir::toNativeSeparators(home);
}

bool entryExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace platform
