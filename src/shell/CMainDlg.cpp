// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CMainDlg.h"

#include "platform/Prompt.h"
#include "shell/AppIcon.h"
#include "shell/CMainStatusBar.h"
#include "shell/StartupRules.h"
#include "shell/WindowPlacement.h"
#include "skin/GlobalHelper.h"
#include "skin/UxAppPref.h"
#include "skin/UxButton.h"
#include "skin/UxHyperLink.h"
#include "skin/UxSkinMgr.h"
#include "skin/UxStatic.h"
#include "storage/Catalogue.h"
#include "transfer/TransferJob.h"
#include "widgets/CDriveComboEx.h"
#include "widgets/CPSPPrgCtrl.h"
#include "widgets/CPSPVolCtrl.h"
#include "widgets/CVideoListCtrl.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>

namespace {

const QString kLocalPathKey = QStringLiteral("LocalPath");
const QString kWindowRectKey = QStringLiteral("window_rect");
const QString kLastSkinKey = QStringLiteral("last_skin");

// Places a control of the template: id as object name, rectangle in dialog units.
template <typename Widget>
Widget* place(Widget* widget, ControlId id, int x, int y, int width, int height)
{
    UxSkinDialog::SetControlId(widget, toInt(id));
    widget->setGeometry(shell::dialogUnitsToPixels(QRect(x, y, width, height)));
    return widget;
}

} // namespace

CMainDlg::CMainDlg(QWidget* parent)
    : UxSkinDialog(kTemplateId, parent)
    , m_pPref(SkinKitPref())
    , m_pSkinMgr(SkinKitSkinMgr())
    , m_pLanguage(SkinKitLanguage())
{
    Q_ASSERT(m_pPref && m_pSkinMgr && m_pLanguage);
    SetBgPictureName(QStringLiteral("background.bmp"));
    CreateControls();
    // After a refresh, Refresh stays off a moment so that a double click refreshes once.
    m_pRefreshPause = new QTimer(this);
    m_pRefreshPause->setSingleShot(true);
    m_pRefreshPause->setInterval(kRefreshPauseMs);
    connect(m_pRefreshPause, &QTimer::timeout, this, &CMainDlg::UpdateControls);
    // Selection changes of both lists are gathered into one space update.
    m_pSpaceTimer = new QTimer(this);
    m_pSpaceTimer->setSingleShot(true);
    m_pSpaceTimer->setInterval(0);
    connect(m_pSpaceTimer, &QTimer::timeout, this, [this] {
        ++m_nSpaceUpdates;
        UpdateSpace(m_session.pspPath());
    });
    RefreshLanguage();

    resize(shell::dialogUnitsToPixels(QRect(QPoint(0, 0), kTemplateSize)).size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred = geometry();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    m_pHeader->SetURL(m_pPref->GetAppInfo().vendorHomePage);
}

CMainDlg::~CMainDlg()
{
    if (m_pSkinMgr)
        m_pSkinMgr->RemoveItem(this);
}

void CMainDlg::CreateControls()
{
    m_pHeader = place(new UxPictureHyperLink(this), ControlId::Header, 0, 0, 447, 49);
    m_pHeader->setFocusPolicy(Qt::NoFocus);
    m_pPathLabel = place(new UxStatic(this), ControlId::PathLabel, 8, 56, 21, 8);
    m_pFolderEdit = place(new QLineEdit(this), ControlId::LocalPath, 32, 56, 108, 12);
    m_pBrowse = place(new UxButton(this), ControlId::Browse, 142, 56, 42, 14);
    m_pPspLabel = place(new UxStatic(this), ControlId::PspLabel, 258, 57, 17, 9);
    m_pDrives = place(new CDriveComboEx(this), ControlId::Drives, 287, 58, 156, 12);
    m_pLocalList = place(new CVideoListCtrl(this), ControlId::LocalList, 6, 82, 179, 213);
    m_pPspList = place(new CVideoListCtrl(this), ControlId::PspList, 262, 82, 179, 213);
    m_pMoveTo = place(new UxButton(this), ControlId::MoveToPsp, 191, 124, 64, 14);
    m_pCopyTo = place(new UxButton(this), ControlId::CopyToPsp, 191, 144, 64, 14);
    m_pMoveFrom = place(new UxButton(this), ControlId::MoveFromPsp, 191, 194, 64, 14);
    m_pCopyFrom = place(new UxButton(this), ControlId::CopyFromPsp, 191, 213, 64, 14);
    m_pDelete = place(new UxButton(this), ControlId::Delete, 191, 234, 64, 14);
    m_pAbout = place(new UxButton(this), ControlId::About, 191, 280, 64, 14);
    m_pRefresh = place(new UxButton(this), ControlId::Refresh, 7, 296, 64, 14);
    m_pNextNumLabel = place(new UxStatic(this), ControlId::NextNumLabel, 205, 298, 75, 8);
    m_pNextNum = place(new QLineEdit(this), ControlId::NextNum, 289, 296, 50, 14);
    m_pNextNum->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pNextNum));

    m_controls = {{ControlId::LocalList, m_pLocalList}, {ControlId::PspList, m_pPspList},
                  {ControlId::LocalPath, m_pFolderEdit}, {ControlId::MoveToPsp, m_pMoveTo},
                  {ControlId::CopyToPsp, m_pCopyTo},     {ControlId::MoveFromPsp, m_pMoveFrom},
                  {ControlId::CopyFromPsp, m_pCopyFrom}, {ControlId::Delete, m_pDelete},
                  {ControlId::About, m_pAbout},          {ControlId::Refresh, m_pRefresh},
                  {ControlId::NextNum, m_pNextNum},      {ControlId::Header, m_pHeader},
                  {ControlId::Drives, m_pDrives},        {ControlId::Browse, m_pBrowse},
                  {ControlId::PathLabel, m_pPathLabel},  {ControlId::PspLabel, m_pPspLabel},
                  {ControlId::NextNumLabel, m_pNextNumLabel}};

    QWidget* const focusOrder[] = {m_pLocalList, m_pPspList, m_pMoveTo, m_pCopyTo, m_pMoveFrom, m_pCopyFrom,
                                   m_pDelete, m_pNextNum, m_pDrives, m_pFolderEdit, m_pBrowse, m_pAbout,
                                   m_pRefresh};
    for (std::size_t i = 1; i < std::size(focusOrder); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);

    connect(m_pMoveTo, &QPushButton::clicked, this, [this] { OnTransferCommand(OP_MOVE_TO_PSP); });
    connect(m_pCopyTo, &QPushButton::clicked, this, [this] { OnTransferCommand(OP_COPY_TO_PSP); });
    connect(m_pMoveFrom, &QPushButton::clicked, this, [this] { OnTransferCommand(OP_MOVE_FROM_PSP); });
    connect(m_pCopyFrom, &QPushButton::clicked, this, [this] { OnTransferCommand(OP_COPY_FROM_PSP); });
    connect(m_pDelete, &QPushButton::clicked, this, [this] { OnTransferCommand(OP_DELETE_ON_PSP); });
    connect(m_pAbout, &QPushButton::clicked, this, &CMainDlg::OnAbout);
    connect(m_pRefresh, &QPushButton::clicked, this, &CMainDlg::OnRefresh);
    connect(m_pBrowse, &QPushButton::clicked, this, &CMainDlg::BrowseLocalFolder);
    connect(m_pDrives, &QComboBox::activated, this, &CMainDlg::OnSelChangeDrive);
    // Enter in the folder field lists the typed folder and goes no further.
    m_pFolderEdit->installEventFilter(this);

    for (CVideoListCtrl* list : {m_pLocalList, m_pPspList}) {
        connect(list, &CVideoListCtrl::itemSelectionChanged, this, &CMainDlg::ScheduleSpaceUpdate);
        connect(list, &CVideoListCtrl::fillingChanged, this, &CMainDlg::UpdateControls);
        connect(list, &CVideoListCtrl::fillFinished, this, &CMainDlg::RestoreFocusAfterFills);
        connect(list, &CVideoListCtrl::titleWritesChanged, this, &CMainDlg::OnTitleWritesChanged);
    }
    connect(m_pPspList, &CVideoListCtrl::fillFinished, this, &CMainDlg::OnPspFillFinished);
    ConnectDrops();
}

QWidget* CMainDlg::Control(ControlId id) const
{
    switch (id) {
    case ControlId::Status: return m_pStatusBar;
    case ControlId::Progress: return m_pProgress;
    case ControlId::Volume: return m_pVolume;
    default: break;
    }
    for (const auto& [controlId, widget] : m_controls) {
        if (controlId == id)
            return widget;
    }
    return nullptr;
}

UxButton* CMainDlg::Button(ControlId id) const
{
    return qobject_cast<UxButton*>(Control(id));
}

bool CMainDlg::OnInitDialog()
{
    const QString appDir = m_pPref->GetAppDir();
    m_pSkinMgr->SetSkinLibPath(appDir + QStringLiteral("/Skin"));
    UxSkinDialog::OnInitDialog();
    SetSkinWindow(this);
    setWindowTitle(m_pPref->GetAppInfo().windowTitle);
    ExtendSystemMenu();
    setWindowIcon(shell::appIcon());
    m_pSkinMgr->AddItem(this);
    CreateStatusBar();

    const QString defaultFolder = shell::defaultLocalFolder();
    QString startFolder = m_strStartFolder;
    if (startFolder.isEmpty())
        startFolder = m_pPref->GetString(kLocalPathKey);
    m_pFolderEdit->setText(startFolder.isEmpty() ? defaultFolder : startFolder);

    // The stored sort orders apply from the first row on.
    CreateListCommands();
    // The first listing always shows the default folder; OnRefresh below lists the field's.
    m_pLocalList->InitList();
    FillLocalList(defaultFolder.endsWith(u'/') ? defaultFolder + QLatin1String(storage::kListedVideoGlobs)
                                               : storage::listedVideoPattern(defaultFolder));
    m_pPspList->InitList();

    // Watching starts before the search, so a PSP that comes meanwhile is not missed.
    m_pWatcher = new platform::MountWatcher(this);
    connect(m_pWatcher, &platform::MountWatcher::volumesChanged, this, &CMainDlg::OnDeviceChange);
    InitPspDrive();

    SetMinWindowSize(shell::kInitialMinimumSize.width(), shell::kInitialMinimumSize.height());
    RestoreWindowRect();

    QString skin = m_pPref->GetString(kLastSkinKey);
    if (skin.isEmpty())
        skin = appDir + QStringLiteral("/Skin/") + UxSkinMgr::defaultSkinName();
    m_pSkinMgr->LoadSkin(skin);

    m_bInitialised = true;
    OnRefresh();
    RunLayout();
    m_pLocalList->setFocus();
    emit initialised();
    return true;
}

void CMainDlg::RestoreWindowRect()
{
    const QString stored = m_pPref->GetString(kWindowRectKey);
    if (stored.isEmpty())
        return;
    const QRect rect = GlobalHelper::S2Rect(stored);
    if (rect.isNull())
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    setGeometry(shell::restoredWindowRect(rect, screens));
    update();
}

void CMainDlg::EnableTransferButtons(bool enable)
{
    m_session.setTransferAllowed(enable);
    UpdateControls();
}

void CMainDlg::EnableInput(bool enable)
{
    m_session.setInputEnabled(enable);
    UpdateControls();
}

session::ControlStates CMainDlg::CurrentControls()
{
    m_session.setListFacts(m_pLocalList->isFilling() || m_pPspList->isFilling(),
                           m_pLocalList->isWritingTitle() || m_pPspList->isWritingTitle(),
                           m_pLocalList->hasSelection(), m_pPspList->hasSelection(), m_pRefreshPause->isActive());
    return m_session.controls();
}

void CMainDlg::UpdateControls()
{
    const session::ControlStates states = CurrentControls();
    m_pMoveTo->setEnabled(states.moveTo);
    m_pCopyTo->setEnabled(states.copyTo);
    m_pMoveFrom->setEnabled(states.moveFrom);
    m_pCopyFrom->setEnabled(states.copyFrom);
    m_pDelete->setEnabled(states.remove);
    for (QWidget* widget : std::initializer_list<QWidget*>{m_pBrowse, m_pFolderEdit, m_pDrives, m_pNextNum,
                                                          m_pLocalList, m_pPspList})
        widget->setEnabled(states.input);
    m_pRefresh->setEnabled(states.refresh);
}

void CMainDlg::OnRefresh()
{
    if (CurrentControls().writing) {
        m_session.deferRefreshUntilWritten();
        return;
    }
    FillLocalList(storage::listedVideoPattern(m_pFolderEdit->text()));
    // Next Num and the space figures follow when the PSP list is complete.
    if (!m_session.pspPath().isEmpty())
        FillPspList();
    m_pRefreshPause->start();
    UpdateControls();
}

void CMainDlg::OnTitleWritesChanged()
{
    UpdateControls();
    if (CurrentControls().writing)
        return;
    if (const TransferOp op = m_session.takeDeferredTransfer(); op != OP_NONE)
        BeginTransfer(op, {});
    if (m_session.takeDeferredRefresh())
        OnRefresh();
}

void CMainDlg::OnTransferCommand(int op)
{
    BeginTransfer(op, {});
}

void CMainDlg::BeginTransfer(int op, std::vector<transfer::TransferItem> items)
{
    // A button clicked while a title is written (the click that closed its editor):
    // the command runs on the selection as soon as the write has ended.
    if (items.empty() && CurrentControls().writing && !IsTransferRunning()) {
        m_session.deferUntilWritten(static_cast<TransferOp>(op));
        return;
    }
    if (!m_session.beginTransfer(static_cast<TransferOp>(op), CurrentControls().writing))
        return;
    EnableInput(false);
    StartTransfer(op, std::move(items));
}

void CMainDlg::OnTransferEnded()
{
    const session::TransferEndSteps steps = m_session.endTransfer();
    EnableInput(true);
    emit transferEnded();
    if (steps.close == session::CloseStep::CloseNow) {
        CloseNow();
        return;
    }
    // Drive notifications held back meanwhile are handled now, in order.
    for (const platform::VolumeEvent& event : steps.released)
        OnDeviceChange(event);
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The folder field's Enter is taken by the window's filter before it gets here.
        event->accept();
        return;
    case Qt::Key_Escape:
        OnStop();
        event->accept();
        return;
    default:
        UxSkinDialog::keyPressEvent(event);
    }
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pFolderEdit && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FolderEntered();
            return true;
        }
    }
    return UxSkinDialog::eventFilter(watched, event);
}

void CMainDlg::closeEvent(QCloseEvent* event)
{
    const session::CloseStep step = m_session.requestClose();
    event->setAccepted(step == session::CloseStep::CloseNow);
    OnCloseStep(step);
}

void CMainDlg::OnCloseStep(session::CloseStep step)
{
    switch (step) {
    case session::CloseStep::None:
        break;
    case session::CloseStep::Ask:
        platform::askYesNo(QStringLiteral("Stop the program?"), [window = QPointer<CMainDlg>(this)](bool yes) {
            if (window)
                window->OnCloseStep(window->m_session.closeAnswered(yes));
        });
        break;
    case session::CloseStep::Stop:
        // The job stops at its next chunk; the window closes when it reports its end.
        if (m_pJob)
            m_pJob->kill();
        break;
    case session::CloseStep::CloseNow:
        CloseNow();
        break;
    }
}

void CMainDlg::CloseNow()
{
    SaveSettings();
    QDialog::done(QDialog::Rejected);
}

void CMainDlg::SaveSettings()
{
    // A demonstration folder never replaces the user's own; a folder chosen since does.
    if (m_strStartFolder.isEmpty() || m_pFolderEdit->text() != m_strStartFolder)
        m_pPref->PutString(kLocalPathKey, m_pFolderEdit->text());
    QRect outer = frameGeometry();
    if (isMaximized() || isMinimized() || isFullScreen()) {
        outer = normalGeometry();
        showNormal();
    }
    m_pPref->PutString(kWindowRectKey, GlobalHelper::Rect2S(outer));
}
