// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLabel>

/** Label drawn over the skin: transparent background. */
class UxStatic : public QLabel
{
    Q_OBJECT

public:
    explicit UxStatic(QWidget* parent = nullptr);
    explicit UxStatic(const QString& text, QWidget* parent = nullptr);

    /** Text colour 0x00BBGGRR; -1 (0xFFFFFFFF) goes back to the palette's. */
    void SetTextColor(quint32 colorRef);
};
