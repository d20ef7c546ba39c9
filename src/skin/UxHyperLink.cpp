// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxHyperLink.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

UxHyperLink::UxHyperLink(QWidget* parent) : UxHyperLink(QString(), parent) {}

UxHyperLink::UxHyperLink(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
    setPalette(pal);
}

void UxHyperLink::SetURL(const QString& url)
{
    m_url = url;
    setToolTip(url);
}

void UxHyperLink::open()
{
    emit clicked();
    if (!m_url.isEmpty())
        QDesktopServices::openUrl(QUrl(m_url));
}

void UxHyperLink::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        open();
        e->accept();
        return;
    }
    QLabel::mouseReleaseEvent(e);
}

void UxHyperLink::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space) {
        open();
        e->accept();
        return;
    }
    QLabel::keyPressEvent(e);
}

UxPictureHyperLink::UxPictureHyperLink(QWidget* parent) : UxHyperLink(parent) {}

bool UxPictureHyperLink::SetPictureFile(const QString& path)
{
    m_picture = path.isEmpty() ? QImage() : QImage(path);
    update();
    return !m_picture.isNull();
}

void UxPictureHyperLink::SetSize()
{
    if (!m_picture.isNull())
        resize(m_picture.size());
}

void UxPictureHyperLink::SetSize(const QSize& size) { resize(size); }

void UxPictureHyperLink::SetSplitPos(int index, int pos)
{
    if (index == 0)
        m_splitPos = pos;
    update();
}

void UxPictureHyperLink::SetBgMode(int mode)
{
    m_bgMode = mode;
    update();
}

QSize UxPictureHyperLink::sizeHint() const
{
    return m_picture.isNull() ? UxHyperLink::sizeHint() : m_picture.size();
}

void UxPictureHyperLink::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    const int w = width();
    const int h = height();
    const int pw = m_picture.width();
    const int ph = m_picture.height();
    if (m_bgMode == 1) {
        p.drawTiledPixmap(rect(), QPixmap::fromImage(m_picture));
        return;
    }
    const int split = std::clamp(m_splitPos, 0, pw - 1);
    const int rightPart = pw - split;
    // Left part at the left edge; the rest (from the split on) at the right edge;
    // the split column fills whatever lies between.
    const int leftShown = std::min(split, w);
    p.drawImage(QRect(0, 0, leftShown, h), m_picture, QRect(0, 0, leftShown, ph));
    const int rightX = std::max(leftShown, w - rightPart);
    if (rightX > leftShown)
        p.drawImage(QRect(leftShown, 0, rightX - leftShown, h), m_picture, QRect(split, 0, 1, ph));
    p.drawImage(QRect(rightX, 0, w - rightX, h), m_picture, QRect(pw - (w - rightX), 0, w - rightX, ph));
}
