// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"
#include "thumbnail/Cache.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const TempDir cache; // the lists' generated pictures stay out of the user's cache
    thumbnail::setCacheRoot(QString::fromStdString(cache.str()));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
