// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxStatic.h"

#include "skin/GlobalHelper.h"

UxStatic::UxStatic(QWidget* parent) : UxStatic(QString(), parent) {}

UxStatic::UxStatic(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}

void UxStatic::SetTextColor(quint32 colorRef)
{
    QPalette pal = palette();
    if (colorRef == 0xFFFFFFFFu) {
        setPalette(QPalette());
        return;
    }
    pal.setColor(QPalette::WindowText, GlobalHelper::ColorFromRef(colorRef));
    setPalette(pal);
}
