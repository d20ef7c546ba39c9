// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QLabel>

/**
 * A link: shows its text underlined; a left click opens the address through
 * QDesktopServices (which tests can redirect with setUrlHandler) and emits
 * clicked().
 */
class UxHyperLink : public QLabel
{
    Q_OBJECT

public:
    explicit UxHyperLink(QWidget* parent = nullptr);
    explicit UxHyperLink(const QString& text, QWidget* parent = nullptr);

    void SetURL(const QString& url);
    QString GetURL() const { return m_url; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void open();

    QString m_url;
};

/**
 * A link that shows a picture instead of text. The split position divides
 * the picture: the part left of it stays at the left edge, the part from it
 * on stays at the right edge, and the column at the split stretches to fill
 * the width between (background mode 0); mode 1 tiles the whole picture.
 */
class UxPictureHyperLink : public UxHyperLink
{
    Q_OBJECT

public:
    explicit UxPictureHyperLink(QWidget* parent = nullptr);

    /** Loads the picture; false (and an empty look) when it cannot be read. */
    bool SetPictureFile(const QString& path);
    /** Takes the picture's size (keeps the current one without a picture). */
    void SetSize();
    void SetSize(const QSize& size);
    /** index 0 is the vertical split, the only one; pos in picture pixels. */
    void SetSplitPos(int index, int pos);
    void SetBgMode(int mode);

    QSize PictureSize() const { return m_picture.size(); }
    int GetSplitPos() const { return m_splitPos; }
    int GetBgMode() const { return m_bgMode; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_picture;
    int m_splitPos = 0;
    int m_bgMode = 0;
};
