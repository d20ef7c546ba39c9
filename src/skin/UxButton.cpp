// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxButton.h"

#include "skin/GlobalHelper.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionButton>

namespace {

enum Frame { Normal = 0, Pressed = 1, Active = 2, Disabled = 3 };

// Draws src into dst keeping the left and right caps and stretching the middle.
void drawThreeSlice(QPainter& p, const QRect& dst, const QImage& src)
{
    const int cap = std::min({6, src.width() / 3, dst.width() / 2});
    const int h = src.height();
    p.drawImage(QRect(dst.left(), dst.top(), cap, dst.height()), src, QRect(0, 0, cap, h));
    p.drawImage(QRect(dst.left() + cap, dst.top(), dst.width() - 2 * cap, dst.height()), src,
                QRect(cap, 0, src.width() - 2 * cap, h));
    p.drawImage(QRect(dst.right() + 1 - cap, dst.top(), cap, dst.height()), src,
                QRect(src.width() - cap, 0, cap, h));
}

} // namespace

UxButton::UxButton(QWidget* parent) : UxButton(QString(), parent) {}

UxButton::UxButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    // Enter must not press a button the user did not choose.
    setAutoDefault(false);
    setAttribute(Qt::WA_Hover);
}

bool UxButton::SetBitmapFile(const QString& path)
{
    QImage image;
    if (!path.isEmpty())
        image.load(path);
    if (image.isNull() || image.width() < kFrames || image.width() % kFrames != 0) {
        m_strip = QImage();
        update();
        return false;
    }
    m_strip = image.convertToFormat(QImage::Format_RGB32);
    updateGeometry();
    update();
    return true;
}

void UxButton::SetTextColor(quint32 up, quint32 down, quint32 active, quint32 disabled)
{
    m_textColors[Normal] = up;
    m_textColors[Pressed] = down;
    m_textColors[Active] = active;
    m_textColors[Disabled] = disabled;
    update();
}

QSize UxButton::GetWindowSize() const
{
    if (m_strip.isNull())
        return size();
    return QSize(m_strip.width() / kFrames, m_strip.height());
}

void UxButton::Resize(const QSize& size)
{
    if (size.isValid())
        setFixedSize(size);
}

QSize UxButton::sizeHint() const
{
    if (!m_strip.isNull())
        return GetWindowSize();
    return QPushButton::sizeHint();
}

void UxButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    int frame = Normal;
    if (!isEnabled())
        frame = Disabled;
    else if (isDown() || isChecked())
        frame = Pressed;
    else if (underMouse() || hasFocus())
        frame = Active;

    const QRect r = rect();
    if (!m_strip.isNull()) {
        const int fw = m_strip.width() / kFrames;
        drawThreeSlice(p, r, m_strip.copy(frame * fw, 0, fw, m_strip.height()));
    } else {
        // Drawn look for a skin without a button picture.
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        const QColor base = frame == Disabled ? QColor(0xC8, 0xC8, 0xC8)
                          : frame == Pressed  ? QColor(0x8F, 0xA8, 0xC8)
                          : frame == Active   ? QColor(0xE4, 0xEE, 0xFA)
                                              : QColor(0xF2, 0xF4, 0xF7);
        g.setColorAt(0, base.lighter(108));
        g.setColorAt(1, base.darker(112));
        p.setPen(QColor(0x7A, 0x86, 0x96));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }

    const quint32 ref = m_textColors[frame];
    QColor textColor = ref == 0xFFFFFFFFu
                           ? palette().color(frame == Disabled ? QPalette::Disabled : QPalette::Active,
                                             QPalette::ButtonText)
                           : GlobalHelper::ColorFromRef(ref);
    p.setPen(textColor);
    p.setFont(font());
    QRect textRect = r;
    if (frame == Pressed)
        textRect.translate(1, 1);
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus() && frame != Disabled) {
        p.setPen(QPen(textColor, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(3, 3, -4, -4));
    }
}
