// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the program's icon into a hicolor icon theme folder:
// OUTPUT/<n>x<n>/apps/NAME.png for each size the desktop asks for.
// Usage: icongen OUTPUT_FOLDER NAME
#include "shell/AppIcon.h"

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: icongen OUTPUT_FOLDER NAME\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString path = folder + u'/' + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !shell::appIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
