// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"
#include "thumbnail/Cache.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    const TempDir cache; // pictures made for the test videos
    thumbnail::setCacheRoot(QString::fromStdString(cache.str()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
