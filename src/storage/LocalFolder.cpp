// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "storage/LocalFolder.h"

#include "platform/FileSystem.h"

#include <QDir>

namespace storage {

QString fallbackLocalFolder()
{
    return QDir::homePath();
}

bool localFolderExists(const QString& text)
{
    return !text.isEmpty() && !text.endsWith(u'/') && platform::fileSystem().exists(text);
}

} // namespace storage
