// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QRect>
#include <QString>

/** Small conversions shared by the program and the skin library. */
class GlobalHelper
{
public:
    /** "left top right bottom" with right and bottom exclusive, e.g. "10 20 630 486". */
    static QString Rect2S(const QRect& rect);
    /** Back from Rect2S's text; anything else (garbage, missing or extra
     *  numbers, right < left) gives a null QRect. */
    static QRect S2Rect(const QString& text);

    /** 0x00BBGGRR -> QColor and back. */
    static QColor ColorFromRef(quint32 colorRef);
    static quint32 RefFromColor(const QColor& color);

    /** System colours by their classic index: 18 button text, 17 grey text;
     *  others give the window text colour. Result as 0x00BBGGRR. */
    static quint32 GetSysColor(int index);
    static constexpr int kColorGrayText = 17;
    static constexpr int kColorBtnText = 18;
};
