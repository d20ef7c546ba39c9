// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/MountWatcher.h"
#include "shell/ControlId.h"
#include "shell/MainLayout.h"
#include "skin/SkinKit.h"
#include "skin/UxSkinDialog.h"
#include "skin/WindowOutline.h"
#include "storage/PspDrives.h"
#include "session/PspSession.h"
#include "transfer/TransferOp.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CDriveComboEx;
class CMainStatusBar;
class CPSPPrgCtrl;
class CPSPVolCtrl;
class CVideoListCtrl;
class QAction;
class QLineEdit;
class QMenu;
class QMimeData;
class QTimer;
class QToolButton;
class UxAppPref;
class UxButton;
class UxLanguage;
class UxPictureHyperLink;
class UxSkinMgr;
class UxStatic;
namespace transfer {
class TransferJob;
struct TransferEnd;
struct TransferRequest;
struct TransferItem;
}

/**
 * The program's only top-level window: the two video lists, the command buttons, the
 * local folder field, the PSP drive choice, "Next Num" and the status bar.
 *
 * Uses the managers given to InitSkinKit (they must exist before the window). Every
 * control carries its id as object name and "controlId" property. Everything runs on
 * the window thread: list scans and transfers run on workers and report by queued
 * signals, so no handler ever waits or runs inside another.
 */
class CMainDlg final : public UxSkinDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMainDlg)

public:
    // Window-menu command values.
    static constexpr int IDM_ABOUTBOX = 0x10;
    static constexpr int IDM_CHANGE_SKIN = 0x20;
    static constexpr int IDM_LANGUAGE_FIRST = 0x31;

    static constexpr int kTemplateId = 102;
    /** How long "&Refresh" stays disabled after a refresh, in milliseconds. */
    static constexpr int kRefreshPauseMs = 100;
    /** The template's size in dialog units. */
    static constexpr QSize kTemplateSize{448, 332};

    /** Who opens a PSP folder: the messages and extra steps differ. */
    enum class Caller { StartUp, Selection, Arrival };

    /** The folder chooser: opens and returns; done gets the chosen folder, or an empty text when cancelled. */
    using FolderPicker =
        std::function<void(QWidget* parent, const QString& title, std::function<void(const QString&)> done)>;
    /** Replaces the folder chooser (tests); an empty function restores the real dialog. */
    static void setFolderPicker(FolderPicker picker);

    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The skin dialog base's operations.
    bool OnInitDialog() override;
    void OnSize(int type, int cx, int cy) override;
    int LoadSkin(const QString& skinPath) override;
    void RefreshLanguage() override;
    /** Enter and Esc end nothing: the window closes only through a close request. */
    void accept() override {}
    void reject() override {}

    /** Window-menu commands: About box, skin chooser, language IDM_LANGUAGE_FIRST + i. */
    void OnSysCommand(int command);
    void OnAbout();
    void OnChangeSkin();
    void OnLanguage(int index);

    /** "&Refresh": list both folders again, new "Next Num", new space figures. */
    void OnRefresh();
    /** A transfer button: refused while one runs; otherwise locks the input and starts it. */
    void OnTransferCommand(int op);

    /**
     * A folder to list in place of the stored "LocalPath" (a demonstration folder). Set
     * before the window is shown. The stored setting is kept unless the user picks another
     * folder before closing.
     */
    void SetStartFolder(const QString& folder) { m_strStartFolder = folder; }

    /** false: the five transfer buttons stay off; true: they follow the lists' selections. */
    void EnableTransferButtons(bool enable);
    /** The transfer buttons, Browse, the folder field, drives, "Next Num", Refresh and the lists. */
    void EnableInput(bool enable);

    // Drives.
    /** Root of the first PSP drive; false after disabling the transfer buttons. */
    bool FindFirstPSPDrive(QString& root);
    /** Opens the PSP folder on root with the given caller's messages and extra steps. */
    storage::PspFolderResult OpenPSPFolder(const QString& root, Caller caller);
    /** The user chose an item of the drive selector. */
    void OnSelChangeDrive();
    /** A volume arrived or went away; held while a transfer runs. */
    void OnDeviceChange(const platform::VolumeEvent& event);

    // Space figures of the status bar.
    /** Measures the drive holding path; false (nothing changed) when it can't be measured. */
    bool UpdateSpace(const QString& path);
    /** No PSP in use any more: empty bar, no overflow mark, no space text. */
    void ClearSpace();

    /** Places every control for the current client size (nothing before the controls exist). */
    void RunLayout();
    /** The window's mask from the skin's corner regions and the current size. */
    void UpdateOutline();
    /** Applies a stored "window_rect", if any. */
    void RestoreWindowRect();

    // For tests and the screenshot: the controls and a few facts.
    QWidget* Control(ControlId id) const;
    UxButton* Button(ControlId id) const;
    CVideoListCtrl* LocalList() const { return m_pLocalList; }
    CVideoListCtrl* PspList() const { return m_pPspList; }
    QLineEdit* FolderEdit() const { return m_pFolderEdit; }
    QLineEdit* NextNumEdit() const { return m_pNextNum; }
    CDriveComboEx* DriveCombo() const { return m_pDrives; }
    UxPictureHyperLink* Header() const { return m_pHeader; }
    CMainStatusBar* StatusBar() const { return m_pStatusBar; }
    CPSPPrgCtrl* ProgressBar() const { return m_pProgress; }
    QToolButton* StopButton() const { return m_pStop; }
    CPSPVolCtrl* VolumeBar() const { return m_pVolume; }
    QMenu* LanguageMenu() const { return m_pLanguageMenu; }
    QAction* ChangeSkinAction() const { return m_pChangeSkinAction; }
    QAction* AboutAction() const { return m_pAboutAction; }
    QList<QAction*> LanguageActions() const { return m_languageActions; }
    /** The context menu's commands of a list: play, show, edit, delete (PSP), then the sort keys. */
    QList<QAction*> ListActions(bool psp) const;
    /** Follows volumes arriving and going away; nullptr before the initialisation. */
    platform::MountWatcher* Watcher() const { return m_pWatcher; }
    QString PSPPath() const { return m_session.pspPath(); }
    bool IsTransferRunning() const { return m_session.isTransferring(); }
    /** Drive notifications waiting for the transfer to end. */
    int HeldDriveEvents() const { return m_session.heldDriveEvents(); }
    const session::PspSession& Session() const { return m_session; }
    /** Space updates run so far (one per burst of selection changes). */
    int SpaceUpdateCount() const { return m_nSpaceUpdates; }
    const SpacingInfo& GetSpacingInfo() const { return m_spacing; }
    const CornerRegions& GetCornerRegions() const { return m_corners; }
    bool IsInitialised() const { return m_bInitialised; }
    /** True while a close waits for the running transfer to end. */
    bool IsClosing() const { return m_session.isClosingWhenIdle(); }
    /** True while "Stop the program?" waits for its answer. */
    bool IsAskingToClose() const { return m_session.isAskingToClose(); }

signals:
    /** Emitted once, at the end of the window's initialisation. */
    void initialised();
    /** A transfer has ended and the controls are back. */
    void transferEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateStatusBar();
    void ExtendSystemMenu();
    void BuildLanguageMenu();
    void RepaintButtons();
    std::map<int, QRect> CurrentRects() const;
    shell::LayoutSpacing Spacing() const;

    /** What the user may start now, from the session and the lists' facts; the buttons and drops follow it. */
    session::ControlStates CurrentControls();
    /** The one place that enables and disables the controls. */
    void UpdateControls();
    void InitPspDrive();
    void SelectPspRoot(const QString& root);
    void FillLocalList(const QString& pattern);
    void FillPspList();
    void ClearPspList();
    void OnPspFillFinished();
    void FillNextNum();
    void ScheduleSpaceUpdate();
    void FolderEntered();
    void BrowseLocalFolder();
    void OnFolderChosen(const QString& folder);
    /** Locks the input and starts op on the items, or on the source list's selection when there are none. */
    void BeginTransfer(int op, std::vector<transfer::TransferItem> items);
    void StartTransfer(int op, std::vector<transfer::TransferItem> items);
    void ConnectDrops();
    /**
     * The transfer a drop of data onto a list would start (Shift makes a drop onto
     * the PSP list a move), or OP_NONE when the list refuses it; videos gets the
     * dropped videos it would take.
     */
    int DropOperation(const CVideoListCtrl* target, const QMimeData& data, Qt::KeyboardModifiers modifiers,
                      QStringList* videos = nullptr);
    void OnListDrop(CVideoListCtrl* target, const QMimeData* data, Qt::KeyboardModifiers modifiers);
    void OnTransferFinished(const transfer::TransferEnd& end);
    void OnTransferEnded();
    /** Reports of the running transfer only: a late one never shows the bar again. */
    Q_SLOT void OnTransferProgress(int percent, quint64 copied = 0);
    /** "Stop" (and Esc): stops the running transfer as a confirmed close does, without closing. */
    void OnStop();
    /** The Stop control and the progress caption: shown for a transfer, gone when idle. */
    void ShowTransferProgress(bool running);
    void OnTransferItemStarted(const QString& source);
    void OnTransferItemFinished();
    void UpdateProgressCaption(int percent);
    /** Gives the list a transfer acted on the focus once the fills it set off have ended. */
    void RestoreFocusAfterFills();
    /** The lists' context menus and their keyboard commands. */
    void CreateListCommands();
    void RetranslateListCommands();
    void ShowListMenu(CVideoListCtrl* list, bool psp, const QPoint& at);
    /** "Convert videos the PSP can't play" and "PSP video format" in the window menu, kept in the settings. */
    void AddConversionMenus(QMenu* menu);
    void RetranslateConversionMenus();
    void FillConversionSettings(transfer::TransferRequest& request) const;
    /** A title write started or ended; a command clicked meanwhile runs when the last has ended. */
    void OnTitleWritesChanged();
    /** Carries out a step of the close rule. */
    void OnCloseStep(session::CloseStep step);
    /** Stores the settings and closes the window. */
    void CloseNow();
    void SaveSettings();

    UxAppPref* m_pPref = nullptr;
    UxSkinMgr* m_pSkinMgr = nullptr;
    UxLanguage* m_pLanguage = nullptr;

    UxPictureHyperLink* m_pHeader = nullptr;
    UxStatic* m_pPathLabel = nullptr;
    QLineEdit* m_pFolderEdit = nullptr;
    UxButton* m_pBrowse = nullptr;
    UxStatic* m_pPspLabel = nullptr;
    CDriveComboEx* m_pDrives = nullptr;
    CVideoListCtrl* m_pLocalList = nullptr;
    CVideoListCtrl* m_pPspList = nullptr;
    UxButton* m_pMoveTo = nullptr;
    UxButton* m_pCopyTo = nullptr;
    UxButton* m_pMoveFrom = nullptr;
    UxButton* m_pCopyFrom = nullptr;
    UxButton* m_pDelete = nullptr;
    UxButton* m_pAbout = nullptr;
    UxButton* m_pRefresh = nullptr;
    UxStatic* m_pNextNumLabel = nullptr;
    QLineEdit* m_pNextNum = nullptr;
    CMainStatusBar* m_pStatusBar = nullptr;
    CPSPPrgCtrl* m_pProgress = nullptr;
    CPSPVolCtrl* m_pVolume = nullptr;
    QToolButton* m_pStop = nullptr;
    QRect m_progressRect; // the bar's place while idle
    // Every control the layout places, by id.
    std::vector<std::pair<ControlId, QWidget*>> m_controls;

    struct ListCommands
    {
        QAction* play = nullptr;
        QAction* show = nullptr;
        QAction* edit = nullptr;
        QAction* remove = nullptr; // the PSP list only
        std::vector<QAction*> sort;  // by VideoListModel::SortKey
    };
    ListCommands m_listCommands[2]; // the computer list, the PSP list

    QMenu* m_pLanguageMenu = nullptr;
    QMenu* m_pConvertMenu = nullptr;
    QMenu* m_pFormatMenu = nullptr;
    QAction* m_pSysSeparator = nullptr;
    QAction* m_pChangeSkinAction = nullptr;
    QAction* m_pAboutAction = nullptr;
    QList<QAction*> m_languageActions;

    platform::MountWatcher* m_pWatcher = nullptr;
    QPointer<QDialog> m_pOpenDialog; // the About box or the skin chooser, while open
    QTimer* m_pRefreshPause = nullptr;
    QTimer* m_pSpaceTimer = nullptr;
    QString m_strStartFolder;

    // The PSP in use, the operation running, held drive events, the close request.
    session::PspSession m_session;
    int m_nSpaceUpdates = 0;
    // The running transfer; it joins its thread when it goes.
    std::unique_ptr<transfer::TransferJob> m_pJob;
    CVideoListCtrl* m_pFocusAfterFills = nullptr;
    // What the progress caption says of the running transfer.
    struct TransferProgress
    {
        QElapsedTimer clock;
        QHash<QString, QString> titles; // the items' titles by path
        QString name;                   // the current video's title, else its file name
        CVideoListCtrl* list = nullptr; // the list it acts on, which gets the focus back
        quint64 all = 0, doneBefore = 0, current = 0, copied = 0;
    } m_progress;

    SpacingInfo m_spacing;
    CornerRegions m_corners;
    bool m_bInitialised = false;
};
