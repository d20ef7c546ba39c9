// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/CDriveComboEx.h"

#include "platform/Volumes.h"

#include <QFileIconProvider>
#include <QIcon>
#include <QSignalBlocker>

namespace {

// Looked up once: the theme lookup is the slow part of a rebuild.
const QIcon& driveIcon(bool removable)
{
    static const QIcon removableIcon = [] {
        QIcon icon = QIcon::fromTheme(QStringLiteral("drive-removable-media"));
        return icon.isNull() ? QFileIconProvider().icon(QFileIconProvider::Drive) : icon;
    }();
    static const QIcon fixedIcon = [] {
        QIcon icon = QIcon::fromTheme(QStringLiteral("drive-harddisk"));
        return icon.isNull() ? QFileIconProvider().icon(QFileIconProvider::Drive) : icon;
    }();
    return removable ? removableIcon : fixedIcon;
}

} // namespace

CDriveComboEx::CDriveComboEx(QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("1021"));
}

void CDriveComboEx::FillDriveList()
{
    // A rebuild is not a user's choice: no selection signal may come of it.
    const QSignalBlocker blocker(this);
    clear();
    for (const platform::VolumeInfo& volume : platform::volumes().list())
        addItem(driveIcon(volume.removable), volume.displayName, volume.root);
    setCurrentIndex(-1);
}

QString CDriveComboEx::RootAt(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return itemData(index).toString();
}

int CDriveComboEx::FindRoot(const QString& root) const
{
    for (int i = 0; i < count(); ++i) {
        if (platform::sameRoot(RootAt(i), root))
            return i;
    }
    return -1;
}
