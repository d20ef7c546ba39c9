#include "shell/CMainDlg.h"

#include "platform/MountWatcher.h"
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
#include "storage/CDriveComboEx.h"
#include "storage/CPSPVolCtrl.h"
#include "storage/CVideoListCtrl.h"
#include "storage/LocalFolder.h"
#include "storage/VideoListModel.h"
#include "transfer/CPSPPrgCtrl.h"
#include "transfer/PspNaming.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>

namespace {

const QString kLocalPathKey = QStringLiteral("LocalPath");
const QString kWindowRectKey = QStringLiteral("window_rect");
const QString kLastSkinKey = QStringLiteral("last_skin");
const QString kMp4Pattern = QStringLiteral("*.mp4");

// Places a control of the template: id as object name, rectangle in dialog units.
template <typename Widget>
Widget* place(Widget* widget, int id, int x, int y, int width, int height)
{
    UxSkinDialog::SetControlId(widget, id);
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
    FillParts();
    m_pDriveHandler = std::make_unique<storage::PspDriveHandler>(*this);
    // After a refresh, Refresh stays off a moment so that a double click refreshes once.
    m_pRefreshPause = new QTimer(this);
    m_pRefreshPause->setSingleShot(true);
    m_pRefreshPause->setInterval(kRefreshPauseMs);
    connect(m_pRefreshPause, &QTimer::timeout, this, [this] {
        if (!IsTransferRunning())
            EnableRefresh(true);
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
    m_pHeader = place(new UxPictureHyperLink(this), IDC_HEADER, 0, 0, 447, 49);
    m_pHeader->setFocusPolicy(Qt::NoFocus);
    m_pPathLabel = place(new UxStatic(this), IDC_PATH_LABEL, 8, 56, 21, 8);
    m_pFolderEdit = place(new QLineEdit(this), IDC_LOCAL_PATH, 32, 56, 108, 12);
    m_pBrowse = place(new UxButton(this), IDC_BROWSE, 142, 56, 42, 14);
    m_pPspLabel = place(new UxStatic(this), IDC_PSP_LABEL, 258, 57, 17, 9);
    m_pDrives = place(new CDriveComboEx(this), IDC_DRIVES, 287, 58, 156, 12);
    m_pLocalList = place(new CVideoListCtrl(this), IDC_LOCAL_LIST, 6, 82, 179, 213);
    m_pPspList = place(new CVideoListCtrl(this), IDC_PSP_LIST, 262, 82, 179, 213);
    m_pMoveTo = place(new UxButton(this), IDC_MOVE_TO_PSP, 191, 124, 64, 14);
    m_pCopyTo = place(new UxButton(this), IDC_COPY_TO_PSP, 191, 144, 64, 14);
    m_pMoveFrom = place(new UxButton(this), IDC_MOVE_FROM_PSP, 191, 194, 64, 14);
    m_pCopyFrom = place(new UxButton(this), IDC_COPY_FROM_PSP, 191, 213, 64, 14);
    m_pDelete = place(new UxButton(this), IDC_DELETE, 191, 234, 64, 14);
    m_pAbout = place(new UxButton(this), IDC_ABOUT, 191, 280, 64, 14);
    m_pRefresh = place(new UxButton(this), IDC_REFRESH, 7, 296, 64, 14);
    m_pNextNumLabel = place(new UxStatic(this), IDC_NEXT_NUM_LABEL, 205, 298, 75, 8);
    m_pNextNum = place(new QLineEdit(this), IDC_NEXT_NUM, 289, 296, 50, 14);
    m_pNextNum->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pNextNum));

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
}

void CMainDlg::FillParts()
{
    m_parts.window = this;
    m_parts.localList = m_pLocalList;
    m_parts.pspList = m_pPspList;
    m_parts.folderEdit = m_pFolderEdit;
    m_parts.moveTo = m_pMoveTo;
    m_parts.copyTo = m_pCopyTo;
    m_parts.moveFrom = m_pMoveFrom;
    m_parts.copyFrom = m_pCopyFrom;
    m_parts.deleteOnPsp = m_pDelete;
    m_parts.refresh = m_pRefresh;
    // The usage bar is made at initialisation; the status bar is looked up when used.
    m_parts.pspPath = [this] { return m_strPSPPath; };
    m_parts.setSpaceText = [this](const QString& text) {
        if (m_pStatusBar)
            m_pStatusBar->SetText(text, 2);
    };
}

void CMainDlg::DoDataExchange()
{
    // The controls are made and bound to their classes when the window is constructed.
}

void CMainDlg::CreateStatusBar()
{
    m_pStatusBar = new CMainStatusBar(this);
    SetControlId(m_pStatusBar, IDC_STATUS);
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
    SetControlId(m_pVolume, IDC_VOLUME);
    m_pVolume->setGeometry(fromEdges(firstEnd + 2, client.top() + 6, secondEnd - 2, client.bottom() + 1 - 4));
    m_pVolume->m_nWidth = m_pVolume->width();
    m_pVolume->show();

    m_pProgress = new CPSPPrgCtrl(m_pStatusBar);
    SetControlId(m_pProgress, IDC_PROGRESS);
    m_pProgress->setGeometry(fromEdges(client.left() + 2, client.top() + 2, firstEnd - 2, client.bottom() + 1));
    m_pProgress->hide();
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
    m_parts.usageBar = m_pVolume;
    // Made once the usage bar exists: they keep their own copies of the parts.
    m_pSpaceUpdater = new storage::SpaceUpdater(m_parts, this);
    m_pFolderController = new storage::LocalFolderController(m_parts, m_pBrowse, this);

    const QString defaultFolder = shell::defaultLocalFolder();
    QString startFolder = m_strStartFolder;
    if (startFolder.isEmpty())
        startFolder = m_pPref->GetString(kLocalPathKey);
    m_pFolderEdit->setText(startFolder.isEmpty() ? defaultFolder : startFolder);

    // The first listing always shows the default folder; OnRefresh below lists the field's.
    storage::initLists(m_parts, defaultFolder);

    // Watching starts before the search, so a PSP that comes meanwhile is not missed.
    m_pWatcher = new platform::MountWatcher(this);
    m_pDriveHandler->Watch(m_pWatcher);
    m_pDriveHandler->InitPspDrive();

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

UxButton* CMainDlg::Button(int id) const
{
    switch (id) {
    case IDC_MOVE_TO_PSP: return m_pMoveTo;
    case IDC_COPY_TO_PSP: return m_pCopyTo;
    case IDC_MOVE_FROM_PSP: return m_pMoveFrom;
    case IDC_COPY_FROM_PSP: return m_pCopyFrom;
    case IDC_DELETE: return m_pDelete;
    case IDC_ABOUT: return m_pAbout;
    case IDC_REFRESH: return m_pRefresh;
    case IDC_BROWSE: return m_pBrowse;
    default: return nullptr;
    }
}

void CMainDlg::EnableTransferButtons(bool enable)
{
    storage::EnableTransferButtons(m_parts, enable);
}

void CMainDlg::EnableInput(bool enable)
{
    EnableTransferButtons(enable);
    for (QWidget* widget : std::initializer_list<QWidget*>{m_pBrowse, m_pFolderEdit, m_pDrives, m_pNextNum,
                                                          m_pRefresh, m_pLocalList, m_pPspList})
        widget->setEnabled(enable);
}

void CMainDlg::EnableRefresh(bool enable)
{
    // A list still filling keeps Refresh off; its fill turns it on when it ends.
    if (enable)
        storage::enableRefreshUnlessFilling(m_parts);
    else
        m_pRefresh->setEnabled(false);
}

void CMainDlg::FillPspList(const QString& pattern)
{
    m_pPspList->FillList(pattern);
    m_pPspList->FitColumn();
}

void CMainDlg::ClearPspList()
{
    m_pPspList->videoModel()->clear();
}

void CMainDlg::FillNextNum()
{
    m_pNextNum->setText(transfer::NextNumText(m_strPSPPath));
}

void CMainDlg::ClearNextNum()
{
    m_pNextNum->clear();
}

void CMainDlg::UpdateSpace(const QString& path)
{
    storage::UpdateSpace(m_parts, path);
}

void CMainDlg::ClearSpace()
{
    storage::ClearSpace(m_parts);
}

void CMainDlg::OnRefresh()
{
    EnableRefresh(false);
    storage::listLocalFolder(m_parts);
    m_pLocalList->FitColumn();
    if (!m_strPSPPath.isEmpty()) {
        storage::fillGuarded(m_parts, m_pPspList, m_strPSPPath + kMp4Pattern);
        m_pPspList->FitColumn();
        FillNextNum();
        UpdateSpace(m_strPSPPath);
    }
    // A pause without blocking the window: Refresh comes back after 100 ms.
    EnableRefresh(false);
    m_pRefreshPause->start();
}

void CMainDlg::OnTransferCommand(int op)
{
    m_nTransferOp = op;
    m_bCancel = false;
    StartTransfer(op);
}

void CMainDlg::StartTransfer(int)
{
    // The worker arrives with the transfer engine. Until then the operation ends at once,
    // so that the window is never left waiting for a transfer that does not run.
    m_nTransferOp = OP_NONE;
    OnTransferEnded();
}

void CMainDlg::OnTransferEnded()
{
    m_pDriveHandler->OnTransferEnded();
}

void CMainDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The folder field's Enter is taken by its controller before it gets here.
        event->accept();
        return;
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        UxSkinDialog::keyPressEvent(event);
    }
}

void CMainDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (m_bClosing)
        return;
    if (m_nTransferOp.load() != OP_NONE) {
        if (!platform::askYesNo(this, QStringLiteral("Stop the program?")))
            return;
        m_bCancel = true;
        WaitForTransferEnd();
    }

    // A demonstration folder never replaces the user's own; a folder chosen since does.
    if (m_strStartFolder.isEmpty() || m_pFolderEdit->text() != m_strStartFolder)
        m_pPref->PutString(kLocalPathKey, m_pFolderEdit->text());
    QRect outer = frameGeometry();
    if (isMaximized() || isMinimized() || isFullScreen()) {
        outer = normalGeometry();
        showNormal();
    }
    m_pPref->PutString(kWindowRectKey, GlobalHelper::Rect2S(outer));
    event->accept();
    QDialog::done(QDialog::Rejected);
}

void CMainDlg::WaitForTransferEnd()
{
    // The worker still uses the lists, buttons and progress bar, and its requests to the
    // window are served by this thread: so wait in a local loop, never by blocking.
    m_bClosing = true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (m_nTransferOp.load() == OP_NONE)
            loop.quit();
    });
    poll.start();
    if (m_nTransferOp.load() != OP_NONE)
        loop.exec();
    m_bClosing = false;
}
