// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Painting of the skinned dialog: background picture and title bar.
#include "skin/UxSkinDialog.h"

#include "skin/GlobalHelper.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Draws src into dst keeping left/right columns and the bottom rows unscaled.
void drawSliced(QPainter& p, const QRect& dst, const QImage& img, const QRect& src, int left, int right, int bottom)
{
    left = std::clamp(left, 0, std::min(src.width(), dst.width()) / 2);
    right = std::clamp(right, 0, std::min(src.width(), dst.width()) / 2);
    bottom = std::clamp(bottom, 0, std::min(src.height(), dst.height()) / 2);
    const int sMidW = src.width() - left - right;
    const int dMidW = dst.width() - left - right;
    const int sMidH = src.height() - bottom;
    const int dMidH = dst.height() - bottom;
    const auto row = [&](int sy, int sh, int dy, int dh) {
        if (sh <= 0 || dh <= 0)
            return;
        p.drawImage(QRect(dst.left(), dy, left, dh), img, QRect(src.left(), sy, left, sh));
        p.drawImage(QRect(dst.left() + left, dy, dMidW, dh), img, QRect(src.left() + left, sy, sMidW, sh));
        p.drawImage(QRect(dst.right() + 1 - right, dy, right, dh), img,
                    QRect(src.right() + 1 - right, sy, right, sh));
    };
    row(src.top(), sMidH, dst.top(), dMidH);
    row(src.top() + sMidH, bottom, dst.top() + dMidH, bottom);
}

} // namespace

void UxSkinDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    OnEraseBkgnd(&p);
}

void UxSkinDialog::paintBackground(QPainter& p)
{
    const int th = m_titleBarHeight;
    const QRect title(0, 0, width(), th);
    const QRect body(0, th, width(), std::max(0, height() - th));
    if (!m_background.isNull() && m_background.height() > th) {
        drawSliced(p, title, m_background, QRect(0, 0, m_background.width(), th), m_bgSliceLeft, m_bgSliceRight, 0);
        drawSliced(p, body, m_background, QRect(0, th, m_background.width(), m_background.height() - th),
                   m_bgSliceLeft, m_bgSliceRight, m_bgSliceBottom);
    } else {
        // Built-in look for a skin without a usable background picture.
        QLinearGradient tg(title.topLeft(), title.bottomLeft());
        tg.setColorAt(0, QColor(0x3A, 0x5F, 0x8F));
        tg.setColorAt(1, QColor(0x24, 0x40, 0x66));
        p.fillRect(title, tg);
        QLinearGradient bg(body.topLeft(), body.bottomLeft());
        bg.setColorAt(0, QColor(0xEE, 0xF1, 0xF5));
        bg.setColorAt(1, QColor(0xD6, 0xDC, 0xE4));
        p.fillRect(body, bg);
        p.setPen(QColor(0x24, 0x40, 0x66));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_childBgCompanion > 0) {
        QColor overlay = GlobalHelper::ColorFromRef(m_childBgColor);
        overlay.setAlpha(std::clamp(m_childBgCompanion, 0, 100) * 255 / 100);
        p.fillRect(body, overlay);
    }
}

void UxSkinDialog::paintTitleBar(QPainter& p)
{
    const int th = m_titleBarHeight;
    const QColor fg = isActiveWindow() ? m_captionColor : m_captionInactiveColor;

    // Icon: the window's, or a small drawn reel.
    const QRect ir = iconRect();
    const QIcon icon = windowIcon();
    if (!icon.isNull()) {
        icon.paint(&p, ir);
    } else {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(fg, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(ir).adjusted(1.5, 1.5, -1.5, -1.5));
        p.setBrush(fg);
        const QPointF c = QRectF(ir).center();
        for (int i = 0; i < 4; ++i) {
            const double a = i * 3.14159265 / 2;
            p.drawEllipse(c + QPointF(4 * std::cos(a), 4 * std::sin(a)), 1.5, 1.5);
        }
        p.restore();
    }

    // Caption.
    QFont f = font();
    f.setPointSize(m_captionFontSize);
    f.setBold(true);
    p.setFont(f);
    p.setPen(fg);
    const int textLeft = ir.right() + 8;
    const QRect textRect(textLeft, 0, std::max(0, minimizeButtonRect().left() - textLeft - 4), th);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(f).elidedText(windowTitle(), Qt::ElideRight, textRect.width()));

    // Buttons.
    const auto button = [&](Hit which, const QRect& r) {
        if (m_pressed == which && m_hover == which)
            p.fillRect(r, which == Hit::Close ? QColor(0xB0, 0x1E, 0x1E) : m_titleButtonPressed);
        else if (m_hover == which)
            p.fillRect(r, which == Hit::Close ? QColor(0xD9, 0x30, 0x30) : m_titleButtonHover);
        const QPoint c = r.center();
        const int s = std::max(4, std::min(r.width(), r.height()) / 4);
        p.save();
        p.setPen(QPen(fg, 1));
        p.setBrush(Qt::NoBrush);
        switch (which) {
        case Hit::Minimize:
            p.drawLine(c.x() - s, c.y() + s / 2, c.x() + s, c.y() + s / 2);
            break;
        case Hit::Maximize:
            if (isMaximized()) {
                p.drawRect(c.x() - s, c.y() - s + 2, 2 * s - 2, 2 * s - 2);
                p.drawLine(c.x() - s + 2, c.y() - s, c.x() + s, c.y() - s);
                p.drawLine(c.x() + s, c.y() - s, c.x() + s, c.y() + s - 2);
            } else {
                p.drawRect(c.x() - s, c.y() - s, 2 * s, 2 * s);
            }
            break;
        case Hit::Close:
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(fg, 1.4));
            p.drawLine(QPointF(c.x() - s + 0.5, c.y() - s + 0.5), QPointF(c.x() + s + 0.5, c.y() + s + 0.5));
            p.drawLine(QPointF(c.x() + s + 0.5, c.y() - s + 0.5), QPointF(c.x() - s + 0.5, c.y() + s + 0.5));
            break;
        default:
            break;
        }
        p.restore();
    };
    button(Hit::Minimize, minimizeButtonRect());
    button(Hit::Maximize, maximizeButtonRect());
    button(Hit::Close, closeButtonRect());
}

bool UxSkinDialog::OnEraseBkgnd(QPainter* painter)
{
    if (!painter)
        return false;
    paintBackground(*painter);
    paintTitleBar(*painter);
    return true;
}
