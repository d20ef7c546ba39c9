// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs the shell tests headless, with settings and cache in temporary folders and the
// application folder of the build.
#include "TempDir.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.str()));
    const TempDir cache; // pictures made from the test videos
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.str()));
    qputenv("REELKEEPER_APPDIR", REELKEEPER_APPDIR);
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(config.str()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(config.str()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
