// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxAppPref.h"

#include "platform/AppDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(QDir::separator())))
        path.chop(1);
    return path;
}

// Opened per call so that a changed settings location (tests) is honoured.
struct Store
{
    Store() : settings(QStringLiteral("Marrowgate"), QStringLiteral("Reelkeeper"))
    {
        settings.beginGroup(QStringLiteral("Settings"));
    }
    QSettings settings;
};

} // namespace

void UxAppPref::SetAppInfo(const AppInfo& info) { m_appInfo = info; }

const AppInfo& UxAppPref::GetAppInfo() const { return m_appInfo; }

QString UxAppPref::GetAppDir() const
{
    return withoutTrailingSeparator(QDir::cleanPath(platform::appDir()));
}

QString UxAppPref::GetString(const QString& name, const QString&, const QString&) const
{
    Store store;
    return store.settings.value(name).toString();
}

bool UxAppPref::PutString(const QString& name, const QString& value, const QString&)
{
    Store store;
    store.settings.setValue(name, value);
    store.settings.sync();
    return store.settings.status() == QSettings::NoError;
}
