// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QPushButton>

/**
 * Bitmap button. Its picture is a horizontal strip of four frames of equal
 * width: normal, pressed, active (mouse over it or keyboard focus), disabled.
 * A picture whose width is not a multiple of four, or a missing one, gives a
 * drawn gradient button. Wider or narrower buttons stretch the frame's middle
 * and keep its left and right edges.
 */
class UxButton : public QPushButton
{
    Q_OBJECT

public:
    explicit UxButton(QWidget* parent = nullptr);
    explicit UxButton(const QString& text, QWidget* parent = nullptr);

    /** Loads the strip. Returns false (and keeps the drawn look) when it
     *  cannot be read. */
    bool SetBitmapFile(const QString& path);
    bool HasBitmap() const { return !m_strip.isNull(); }

    /** Text colours, 0x00BBGGRR; -1 (0xFFFFFFFF) means the palette's colour. */
    void SetTextColor(quint32 up, quint32 down, quint32 active, quint32 disabled);

    /** Size of one frame of the strip (the button's natural size); the current
     *  size when there is no strip. */
    QSize GetWindowSize() const;
    /** Makes the size the button's fixed size. */
    void Resize(const QSize& size);

    QSize sizeHint() const override;

    /** Number of frames in a strip. */
    static constexpr int kFrames = 4;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_strip;
    quint32 m_textColors[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};
