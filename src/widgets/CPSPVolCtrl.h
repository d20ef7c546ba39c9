// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

/**
 * The usage bar of the status bar (id 1028). The window writes the four fields
 * and repaints; the bar only draws them.
 */
class CPSPVolCtrl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CPSPVolCtrl)

public:
    explicit CPSPVolCtrl(QWidget* parent = nullptr);

    int m_nUsedPos = 0;       // right edge of the used segment, pixels from the left
    int m_nSelPos = 0;        // right edge of used space plus the local selection
    int m_nWidth = 0;         // pixels that stand for the whole drive
    bool m_bOverflow = false; // the local selection doesn't fit into the free space

    static constexpr QRgb kUsedColour = 0xff3d95ff;     // 61, 149, 255
    static constexpr QRgb kSelectedColour = 0xffff8040; // 255, 128, 64
    static constexpr QRgb kOverflowColour = 0xffff0000; // 255, 0, 0

protected:
    void paintEvent(QPaintEvent* event) override;
};
