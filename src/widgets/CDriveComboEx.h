// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QComboBox>
#include <QString>

/**
 * The drive selector (control 1021): every volume of the computer with its
 * display name and drive icon; each item's data is the volume's root.
 */
class CDriveComboEx final : public QComboBox
{
    Q_OBJECT
public:
    explicit CDriveComboEx(QWidget* parent = nullptr);

    /** Rebuilds the items from the platform's volume list (declared volumes included). */
    void FillDriveList();
    /** Root of the item at index, empty for an invalid index. */
    QString RootAt(int index) const;
    /** Index of the item whose root names the same volume as root, or -1. */
    int FindRoot(const QString& root) const;

    int GetLastSel() const { return m_nLastSel; }
    void SetLastSel(int index) { m_nLastSel = index; }

private:
    int m_nLastSel = -1;
};
