// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProgressBar>
#include <QString>

/**
 * The transfer progress bar inside the status bar (id 1027); hidden while idle.
 * While a transfer runs it carries a caption (the video, its percent, the time
 * left), elided from the middle to fit.
 */
class CPSPPrgCtrl final : public QProgressBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CPSPPrgCtrl)

public:
    explicit CPSPPrgCtrl(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
};
