// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStatusBar>
#include <QString>

#include <array>

/**
 * The main window's status bar (id 1025): three parts with fixed right edges, each
 * carrying a text. Its children (usage bar, progress bar) are placed by the window.
 */
class CMainStatusBar final : public QStatusBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMainStatusBar)

public:
    static constexpr int kParts = 3;
    static constexpr int kMinHeight = 25;

    explicit CMainStatusBar(QWidget* parent = nullptr);

    /** Right edges of the parts in pixels; -1 stretches a part to the right edge. */
    void SetParts(const std::array<int, kParts>& rightEdges);
    const std::array<int, kParts>& GetParts() const { return m_parts; }
    /** The right edge of a part in pixels, -1 resolved to the current width. */
    int PartRight(int part) const;

    void SetText(const QString& text, int part);
    QString GetText(int part) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<int, kParts> m_parts{-1, -1, -1};
    std::array<QString, kParts> m_texts;
};
