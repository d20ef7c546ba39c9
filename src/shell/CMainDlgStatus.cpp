// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's status bar: the space figures, the progress of a transfer
// and its Stop control.
#include "shell/CMainDlg.h"

#include "platform/FileSystem.h"
#include "session/Progress.h"
#include "shell/CMainStatusBar.h"
#include "storage/SpaceAccounting.h"
#include "transfer/TransferJob.h"
#include "widgets/CPSPPrgCtrl.h"
#include "widgets/CPSPVolCtrl.h"
#include "widgets/CVideoListCtrl.h"

#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

namespace {

QStringList selectedPaths(const CVideoListCtrl& list)
{
    QStringList paths;
    for (const int row : list.selectedRows()) {
        if (const VideoEntry* entry = list.entryAt(row))
            paths << entry->strPath;
    }
    return paths;
}

QString clockText(qint64 seconds)
{
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    return h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'))
                 : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

} // namespace

void CMainDlg::CreateStatusBar()
{
    m_pStatusBar = new CMainStatusBar(this);
    SetControlId(m_pStatusBar, toInt(ControlId::Status));
    const int outerWidth = frameGeometry().width();
    m_pStatusBar->setGeometry(0, height() - 20, width(), CMainStatusBar::kMinHeight);
    m_pStatusBar->SetParts({outerWidth / 4, outerWidth - outerWidth / 2, -1});
    m_pStatusBar->show();

    // Children in the status bar's client rectangle; right and bottom edges exclusive.
    const QRect client = m_pStatusBar->rect();
    const int firstEnd = m_pStatusBar->GetParts()[0];
    const int secondEnd = m_pStatusBar->GetParts()[1];
    const auto fromEdges = [](int left, int top, int right, int bottom) {
        return QRect(left, top, right - left, bottom - top);
    };

    m_pVolume = new CPSPVolCtrl(m_pStatusBar);
    SetControlId(m_pVolume, toInt(ControlId::Volume));
    m_pVolume->setGeometry(fromEdges(firstEnd + 2, client.top() + 6, secondEnd - 2, client.bottom() + 1 - 4));
    m_pVolume->m_nWidth = m_pVolume->width();
    m_pVolume->show();

    m_pProgress = new CPSPPrgCtrl(m_pStatusBar);
    SetControlId(m_pProgress, toInt(ControlId::Progress));
    m_progressRect = fromEdges(client.left() + 2, client.top() + 2, firstEnd - 2, client.bottom() + 1);
    m_pProgress->setGeometry(m_progressRect);
    m_pProgress->hide();

    // Shown beside the bar only while a transfer runs, so the idle window keeps its pixels.
    m_pStop = new QToolButton(m_pStatusBar);
    m_pStop->setObjectName(QStringLiteral("Stop"));
    m_pStop->setText(tr("Stop"));
    m_pStop->setFocusPolicy(Qt::NoFocus);
    m_pStop->hide();
    connect(m_pStop, &QToolButton::clicked, this, &CMainDlg::OnStop);
}

// --- Space ------------------------------------------------------------------

void CMainDlg::ScheduleSpaceUpdate()
{
    if (!m_pSpaceTimer->isActive())
        m_pSpaceTimer->start();
}

bool CMainDlg::UpdateSpace(const QString& path)
{
    const auto space = platform::fileSystem().space(path);
    if (!space)
        return false;
    const std::uint64_t localSelected = m_session.pspPath().isEmpty() ? 0 : storage::SumBytes(selectedPaths(*m_pLocalList));
    const std::uint64_t pspSelected = m_session.pspPath().isEmpty() ? 0 : storage::SumBytes(selectedPaths(*m_pPspList));
    const storage::SpaceFigures figures = storage::ComputeSpace(*space, localSelected, pspSelected, m_pVolume->m_nWidth);

    m_pStatusBar->SetText(figures.text, 2);
    m_pVolume->m_nUsedPos = figures.usedPos;
    m_pVolume->m_nSelPos = figures.selPos;
    m_pVolume->m_bOverflow = figures.overflow;
    m_pVolume->update();
    m_session.setOverflow(figures.overflow);
    EnableTransferButtons(true);
    return true;
}

void CMainDlg::ClearSpace()
{
    m_pVolume->m_nUsedPos = 0;
    m_pVolume->m_nSelPos = 0;
    m_pVolume->m_bOverflow = false;
    m_pVolume->update();
    m_session.setOverflow(false);
    m_pStatusBar->SetText(QString(), 2);
}

// --- Progress of a transfer --------------------------------------------------

void CMainDlg::ShowTransferProgress(bool running)
{
    m_progress = {};
    if (running) {
        m_progress.clock.start();
        const int stopWidth = qMin(m_pStop->sizeHint().width(), m_progressRect.width() / 3);
        m_pProgress->setGeometry(m_progressRect.adjusted(0, 0, -stopWidth - 2, 0));
        m_pStop->setGeometry(m_progressRect.right() - stopWidth + 1, m_progressRect.top(), stopWidth,
                             m_progressRect.height());
        m_pStop->setEnabled(true);
        m_pStop->show();
    } else {
        m_pStop->hide();
        m_pProgress->setGeometry(m_progressRect);
    }
    m_pProgress->SetCaption(QString());
}

void CMainDlg::OnTransferItemStarted(const QString& source)
{
    const auto title = m_progress.titles.constFind(source);
    m_progress.name = title != m_progress.titles.cend() && !title->isEmpty() ? *title : QFileInfo(source).fileName();
    m_progress.current = platform::fileSystem().fileSize(source).value_or(0);
    m_progress.copied = 0;
    UpdateProgressCaption(0);
}

void CMainDlg::OnTransferItemFinished()
{
    m_progress.doneBefore += m_progress.current;
    m_progress.current = m_progress.copied = 0;
}

void CMainDlg::UpdateProgressCaption(int percent)
{
    if (!IsTransferRunning())
        return;
    QString caption = QStringLiteral("%1  %2%").arg(m_progress.name).arg(percent);
    const session::TransferClock clock{m_progress.all, m_progress.doneBefore + m_progress.copied,
                                       m_progress.clock.elapsed()};
    if (const std::optional<qint64> left = session::secondsLeft(clock))
        caption += QStringLiteral("  ") + tr("%1 left").arg(clockText(*left));
    m_pProgress->SetCaption(caption);
}

void CMainDlg::OnTransferProgress(int percent, quint64 copied)
{
    // After the end steps the bar stays hidden at 0, whatever report comes late.
    if (!IsTransferRunning())
        return;
    m_pProgress->setValue(percent);
    m_progress.copied = copied;
    UpdateProgressCaption(percent);
}

void CMainDlg::OnStop()
{
    // The same as a confirmed close, without closing: the copy stops at its next chunk.
    if (!m_pJob || !IsTransferRunning())
        return;
    m_pJob->kill();
    m_pStop->setEnabled(false);
}
