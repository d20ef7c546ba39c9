#pragma once

#include "shell/MainLayout.h"
#include "shell/TransferOp.h"
#include "skin/SkinKit.h"
#include "skin/UxSkinDialog.h"
#include "skin/WindowOutline.h"
#include "storage/PspDrives.h"
#include "storage/PspWindow.h"
#include "storage/SpaceAccounting.h"

#include <QList>
#include <QString>

#include <atomic>
#include <map>
#include <memory>

class CDriveComboEx;
class CMainStatusBar;
class CPSPPrgCtrl;
class CPSPVolCtrl;
class CVideoListCtrl;
class QAction;
class QLineEdit;
class QMenu;
class QTimer;
class UxAppPref;
class UxButton;
class UxLanguage;
class UxPictureHyperLink;
class UxSkinMgr;
class UxStatic;
namespace platform {
class MountWatcher;
}
namespace storage {
class LocalFolderController;
}

/**
 * The program's only top-level window: the two video lists, the command buttons, the
 * local folder field, the PSP drive choice, "Next Num" and the status bar.
 *
 * Uses the managers given to InitSkinKit (they must exist before the window). Every
 * control carries its id as object name and "controlId" property. All members run on
 * the window thread except m_nTransferOp and m_bCancel, which the transfer worker shares.
 */
class CMainDlg final : public UxSkinDialog, public PspWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMainDlg)

public:
    // Control ids.
    enum : int {
        IDC_LOCAL_LIST = 1000,
        IDC_PSP_LIST = 1001,
        IDC_LOCAL_PATH = 1002,
        IDC_MOVE_TO_PSP = 1003,
        IDC_COPY_TO_PSP = 1004,
        IDC_MOVE_FROM_PSP = 1005,
        IDC_COPY_FROM_PSP = 1006,
        IDC_DELETE = 1007,
        IDC_ABOUT = 1008,
        IDC_REFRESH = 1009,
        IDC_NEXT_NUM = 1012,
        IDC_HEADER = 1020,
        IDC_DRIVES = 1021,
        IDC_BROWSE = 1023,
        IDC_STATUS = 1025,
        IDC_PROGRESS = 1027,
        IDC_VOLUME = 1028,
        IDC_PATH_LABEL = 1029,
        IDC_PSP_LABEL = 1030,
        IDC_NEXT_NUM_LABEL = 1031,
    };

    // Window-menu command values.
    static constexpr int IDM_ABOUTBOX = 0x10;
    static constexpr int IDM_CHANGE_SKIN = 0x20;
    static constexpr int IDM_LANGUAGE_FIRST = 0x31;

    static constexpr int kTemplateId = 102;
    /** How long "&Refresh" stays disabled after a refresh, in milliseconds. */
    static constexpr int kRefreshPauseMs = 100;
    /** The template's size in dialog units. */
    static constexpr QSize kTemplateSize{448, 332};

    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The skin dialog base's operations.
    bool OnInitDialog() override;
    void DoDataExchange() override;
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

    // Handlers of the lists and transfers; "Browse" and Enter in the folder
    // field are handled by storage::LocalFolderController.
    /** "&Refresh": list both folders again, new "Next Num", new space figures. */
    void OnRefresh();
    /** A transfer button: sets the operation, clears the cancel flag, starts the transfer. */
    void OnTransferCommand(int op);
    /** Starts the transfer in m_nTransferOp (the worker arrives with the transfer engine). */
    void StartTransfer(int op);
    /** Called when a transfer has ended: drive changes held back meanwhile are handled now. */
    void OnTransferEnded();

    /**
     * A folder to list in place of the stored "LocalPath" (a demonstration folder). Set
     * before the window is shown. The stored setting is kept unless the user picks another
     * folder before closing.
     */
    void SetStartFolder(const QString& folder) { m_strStartFolder = folder; }

    /** Disables the five transfer buttons, or enables them by the lists' selections. */
    void EnableTransferButtons(bool enable) override;
    /** EnableTransferButtons plus Browse, the folder field, drives, "Next Num", Refresh, lists. */
    void EnableInput(bool enable);

    /** Places every control for the current client size (nothing before the controls exist). */
    void RunLayout();
    /** The window's mask from the skin's corner regions and the current size. */
    void UpdateOutline();
    /** Applies a stored "window_rect", if any. */
    void RestoreWindowRect();

    // PspWindow: what the drive handling needs.
    QWidget* PromptParent() override { return this; }
    QString GetPSPPath() const override { return m_strPSPPath; }
    void SetPSPPath(const QString& path) override { m_strPSPPath = path; }
    void EnableRefresh(bool enable) override;
    void FillPspList(const QString& pattern) override;
    void ClearPspList() override;
    void FillNextNum() override;
    void ClearNextNum() override;
    void UpdateSpace(const QString& root) override;
    void ClearSpace() override;
    bool IsTransferRunning() const override { return m_nTransferOp.load() != OP_NONE; }
    CDriveComboEx& DriveCombo() override { return *m_pDrives; }

    // Controls.
    CVideoListCtrl* LocalList() const { return m_pLocalList; }
    CVideoListCtrl* PspList() const { return m_pPspList; }
    QLineEdit* FolderEdit() const { return m_pFolderEdit; }
    QLineEdit* NextNumEdit() const { return m_pNextNum; }
    UxButton* Button(int id) const;
    UxPictureHyperLink* Header() const { return m_pHeader; }
    CMainStatusBar* StatusBar() const { return m_pStatusBar; }
    CPSPPrgCtrl* ProgressBar() const { return m_pProgress; }
    CPSPVolCtrl* VolumeBar() const { return m_pVolume; }
    QMenu* LanguageMenu() const { return m_pLanguageMenu; }
    QAction* ChangeSkinAction() const { return m_pChangeSkinAction; }
    QAction* AboutAction() const { return m_pAboutAction; }
    QList<QAction*> LanguageActions() const { return m_languageActions; }
    /** The widgets the catalogue and the space accounting work on. */
    const storage::MainWindowParts& Parts() const { return m_parts; }
    storage::PspDriveHandler& Drives() const { return *m_pDriveHandler; }
    /** One space update per burst of selection changes; nullptr before the initialisation. */
    storage::SpaceUpdater* SpaceUpdater() const { return m_pSpaceUpdater; }
    /** Follows volumes arriving and going away; nullptr before the initialisation. */
    platform::MountWatcher* Watcher() const { return m_pWatcher; }

    const _SpacingInfo& GetSpacingInfo() const { return m_spacing; }
    const CornerRegions& GetCornerRegions() const { return m_corners; }
    bool IsInitialised() const { return m_bInitialised; }
    /** True while a close waits for the running transfer to end. */
    bool IsClosing() const { return m_bClosing; }

    // State shared with the drive, storage and transfer code.
    QString m_strPSPPath;
    int m_nLastSel = -1;
    std::atomic<int> m_nTransferOp{OP_NONE};
    std::atomic<bool> m_bCancel{false};

signals:
    /** Emitted once, at the end of the window's initialisation. */
    void initialised();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void CreateStatusBar();
    void ExtendSystemMenu();
    void BuildLanguageMenu();
    void RepaintButtons();
    std::map<int, QRect> CurrentRects() const;
    shell::LayoutSpacing Spacing() const;
    void WaitForTransferEnd();
    void FillParts();

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

    QMenu* m_pLanguageMenu = nullptr;
    QAction* m_pSysSeparator = nullptr;
    QAction* m_pChangeSkinAction = nullptr;
    QAction* m_pAboutAction = nullptr;
    QList<QAction*> m_languageActions;

    storage::MainWindowParts m_parts;
    std::unique_ptr<storage::PspDriveHandler> m_pDriveHandler;
    storage::SpaceUpdater* m_pSpaceUpdater = nullptr;
    storage::LocalFolderController* m_pFolderController = nullptr;
    platform::MountWatcher* m_pWatcher = nullptr;
    QTimer* m_pRefreshPause = nullptr;
    QString m_strStartFolder;

    _SpacingInfo m_spacing;
    CornerRegions m_corners;
    bool m_bInitialised = false;
    bool m_bClosing = false;
};
