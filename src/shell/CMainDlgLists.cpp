// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's drives, lists, space figures and local folder.
#include "shell/CMainDlg.h"

#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Volumes.h"
#include "shell/CMainStatusBar.h"
#include "storage/Catalogue.h"
#include "storage/LocalFolder.h"
#include "storage/SpaceAccounting.h"
#include "transfer/PspNaming.h"
#include "widgets/CDriveComboEx.h"
#include "widgets/CPSPVolCtrl.h"
#include "widgets/CVideoListCtrl.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>

namespace {

CMainDlg::FolderPicker& folderPicker()
{
    static CMainDlg::FolderPicker current;
    return current;
}

} // namespace

void CMainDlg::setFolderPicker(FolderPicker picker)
{
    folderPicker() = std::move(picker);
}

// --- Drives ---------------------------------------------------------------

bool CMainDlg::FindFirstPSPDrive(QString& root)
{
    root = storage::FirstPSPRoot();
    if (!root.isEmpty())
        return true;
    EnableTransferButtons(false);
    return false;
}

void CMainDlg::InitPspDrive()
{
    m_pDrives->FillDriveList();
    QString root;
    if (!FindFirstPSPDrive(root)) {
        platform::showMessage(QString::fromLatin1(storage::kNoPsp));
        return;
    }
    OpenPSPFolder(root, Caller::StartUp);
}

storage::PspFolderResult CMainDlg::OpenPSPFolder(const QString& root, Caller caller)
{
    // Every change is made before a message box is asked for: other events run
    // while it is open, and they must find path, list, selector and space agreeing.
    QString pspPath;
    const storage::PspFolderResult result = storage::MakePspFolder(root, pspPath);
    if (result != storage::PspFolderResult::Ok) {
        if (caller == Caller::Arrival)
            return result;
        if (caller == Caller::StartUp) {
            m_session.setPspPath({});
            EnableTransferButtons(false);
        } else {
            m_pDrives->setCurrentIndex(m_pDrives->GetLastSel());
        }
        platform::showMessage(QString::fromLatin1(result == storage::PspFolderResult::FailureA
                                                      ? storage::kNotWriteableA
                                                      : storage::kNotWriteableB));
        return result;
    }

    const int chosen = m_pDrives->currentIndex();
    m_session.setPspPath(pspPath);
    EnableTransferButtons(true);
    // Next Num and the space figures follow when the list is complete.
    FillPspList();
    if (caller == Caller::Selection) {
        m_pDrives->SetLastSel(chosen);
    } else {
        m_pDrives->FillDriveList();
        SelectPspRoot(root);
    }
    return result;
}

void CMainDlg::OnSelChangeDrive()
{
    const QString root = m_pDrives->RootAt(m_pDrives->currentIndex());
    if (root.isEmpty())
        return;
    if (!storage::IsPSPDrive(root)) {
        m_session.setPspPath({});
        platform::showMessage(QString::fromLatin1(storage::kNotAPsp));
    }
    OpenPSPFolder(root, Caller::Selection);
}

void CMainDlg::OnDeviceChange(const platform::VolumeEvent& event)
{
    if (event.roots.isEmpty())
        return;
    // A running transfer took its paths when it started: nothing may change them under it.
    if (m_session.holdDriveEvent(event))
        return;

    m_pDrives->FillDriveList();
    // Like the lowest bit of a drive mask: only the first volume counts.
    const QString root = event.roots.front();
    if (event.kind == platform::VolumeEvent::Kind::Arrival) {
        if (storage::IsPSPDrive(root) && OpenPSPFolder(root, Caller::Arrival) == storage::PspFolderResult::Ok)
            return;
    } else if (platform::sameRoot(m_session.pspRoot(), root)) {
        m_session.setPspPath({});
        ClearPspList();
        EnableTransferButtons(false);
        ClearSpace();
        m_pNextNum->clear();
        platform::showMessage(QString::fromLatin1(storage::kDisconnected));
        return;
    }
    // The rebuilt selector goes on showing the PSP in use.
    SelectPspRoot(m_session.pspRoot());
}

void CMainDlg::SelectPspRoot(const QString& root)
{
    if (root.isEmpty())
        return;
    const int index = m_pDrives->FindRoot(root);
    if (index < 0)
        return;
    m_pDrives->setCurrentIndex(index);
    m_pDrives->SetLastSel(index);
}

// --- Lists ------------------------------------------------------------------

void CMainDlg::FillLocalList(const QString& pattern)
{
    m_pLocalList->FillList(pattern);
}

void CMainDlg::FillPspList()
{
    m_pPspList->FillList(m_session.pspPath() + QStringLiteral("*.mp4"));
}

void CMainDlg::ClearPspList()
{
    // Also drops a scan of the gone stick that is still running.
    m_pPspList->Clear();
}

void CMainDlg::OnPspFillFinished()
{
    // The list fitted its column itself. It may belong to a folder that is no
    // longer the PSP's (a newer fill follows then).
    if (m_session.pspPath().isEmpty() || m_pPspList->fillPattern() != m_session.pspPath() + QStringLiteral("*.mp4"))
        return;
    FillNextNum();
    UpdateSpace(m_session.pspRoot());
}

void CMainDlg::FillNextNum()
{
    // Without a PSP folder there is no number: never one of the current folder.
    if (m_session.pspPath().isEmpty())
        m_pNextNum->clear();
    else
        m_pNextNum->setText(transfer::NextNumText(m_session.pspPath()));
}

// --- Local folder -------------------------------------------------------------

void CMainDlg::FolderEntered()
{
    const QString text = m_pFolderEdit->text();
    if (storage::localFolderExists(text)) {
        FillLocalList(storage::listedVideoPattern(text));
        return;
    }
    const QString fallback = storage::fallbackLocalFolder();
    m_pFolderEdit->setText(fallback);
    FillLocalList(storage::listedVideoPattern(fallback));
    platform::showMessage(QString::fromLatin1(storage::kInvalidPath));
}

void CMainDlg::BrowseLocalFolder()
{
    const QString title = QString::fromLatin1(storage::kBrowseTitle);
    auto chosen = [window = QPointer<CMainDlg>(this)](const QString& folder) {
        if (window)
            window->OnFolderChosen(folder);
    };
    if (folderPicker())
        return folderPicker()(this, title, chosen);
    if (m_pOpenDialog && m_pOpenDialog->isVisible())
        return m_pOpenDialog->activateWindow();
    // A dialog object opened with open(), not the static call, which would turn its own loop.
    auto* dialog = new QFileDialog(this, title, QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [dialog, chosen](int result) {
        chosen(result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString());
    });
    m_pOpenDialog = dialog;
    dialog->open();
}

void CMainDlg::OnFolderChosen(const QString& folder)
{
    if (!folder.isEmpty())
        m_pFolderEdit->setText(QDir::toNativeSeparators(folder));
    FillLocalList(storage::listedVideoPattern(m_pFolderEdit->text()));
}
