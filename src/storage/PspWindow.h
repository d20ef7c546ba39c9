#pragma once

#include <QString>

class CDriveComboEx;
class QWidget;

/**
 * What the drive handling needs of the main window. `CMainDlg` implements it;
 * tests use a small window of real widgets.
 */
class PspWindow
{
public:
    virtual ~PspWindow() = default;

    /** Parent of the message boxes. */
    virtual QWidget* PromptParent() = 0;
    /** `m_strPSPPath`: the PSP folder path with its trailing separator, or empty. */
    virtual QString GetPSPPath() const = 0;
    virtual void SetPSPPath(const QString& path) = 0;
    /** The five transfer buttons (true: by the lists' selections). */
    virtual void EnableTransferButtons(bool enable) = 0;
    /** The "&Refresh" button, the guard against a second list fill. */
    virtual void EnableRefresh(bool enable) = 0;
    /** Rebuilds the PSP list from a folder pattern (folder + "*.mp4") and fits its column. */
    virtual void FillPspList(const QString& pattern) = 0;
    /** Deletes every item of the PSP list. */
    virtual void ClearPspList() = 0;
    /** Shows in "Next Num" the five digits of the next free name in the PSP folder path. */
    virtual void FillNextNum() = 0;
    /** Empties "Next Num". */
    virtual void ClearNextNum() = 0;
    /** Space figures and transfer buttons for the PSP on this root. */
    virtual void UpdateSpace(const QString& root) = 0;
    /** Clears the space text of the status bar and resets the usage bar. */
    virtual void ClearSpace() = 0;
    /** Is a transfer running (`m_nTransferOp` is not `OP_NONE`)? */
    virtual bool IsTransferRunning() const = 0;
    /** The drive selector (control 1021). */
    virtual CDriveComboEx& DriveCombo() = 0;
};
