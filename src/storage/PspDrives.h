#pragma once

#include "platform/MountWatcher.h"

#include <QObject>
#include <QString>

#include <vector>

class PspWindow;
namespace platform {
struct VolumeInfo;
}

namespace storage {

/** The PSP folder path of a drive root: root + "MP_ROOT/100MNV01/". */
QString PspFolderOf(const QString& root);
/** The drive root of a PSP folder path (its "MP_ROOT/100MNV01/" tail dropped); empty when it has none. */
QString RootOfPspPath(const QString& pspPath);

/**
 * Is the volume at root a PSP? It must be removable, hold a plain folder
 * named exactly "PSP" (no other attribute), and that folder must hold a plain
 * folder named "PHOTO", "music" or "savedata" in any case. Only reads the
 * file system; safe from any thread.
 */
bool IsPSPDrive(const QString& root);
/** The same test for a volume already looked up. */
bool IsPSPVolume(const platform::VolumeInfo& volume);
/** Root of the first PSP in mount-point order, empty when there is none. */
QString FirstPSPRoot();

enum class PspFolderResult { Ok, FailureA, FailureB };
/**
 * Opens (making what is missing) the PSP video folder on root. Failure A:
 * "MP_ROOT" is missing and can't be made; failure B: "MP_ROOT" exists (a
 * plain file counts) and "100MNV01" is missing and can't be made below it.
 * On success pspPath receives the PSP folder path.
 */
PspFolderResult MakePspFolder(const QString& root, QString& pspPath);

/**
 * The window side of the drives: start-up search, the selector's choice and
 * volume arrival and removal, against a PspWindow. Notifications that come
 * while a transfer runs are held back until OnTransferEnded; notifications
 * and choices that come while a PSP folder is being opened (its list fill
 * lets other events run) wait until the opening has ended.
 */
class PspDriveHandler final : public QObject
{
    Q_OBJECT
public:
    enum class Caller { StartUp, Selection, Arrival };

    /** Connects the selector's user choice to OnSelChangeDrive. */
    explicit PspDriveHandler(PspWindow& window, QObject* parent = nullptr);

    /** Follows the watcher's notifications (not owned). */
    void Watch(platform::MountWatcher* watcher);

    /** Root of the first PSP drive; false after disabling the transfer buttons. */
    bool FindFirstPSPDrive(QString& root);
    /** Opens the PSP folder on root with the given caller's messages and extra steps. */
    PspFolderResult OpenPSPFolder(const QString& root, Caller caller);
    /** Start-up: fill the selector, find the PSP and open it, or say none is attached. */
    void InitPspDrive();
    /** The user chose an item of the selector. */
    void OnSelChangeDrive();
    /** A volume arrived or went away. */
    void OnDeviceChange(const platform::VolumeEvent& event);
    /** Handles the notifications held back while a transfer ran. */
    void OnTransferEnded();
    /** Number of notifications waiting for the transfer to end. */
    int HeldCount() const { return static_cast<int>(m_held.size()); }

private:
    PspFolderResult OpenFolderSteps(const QString& root, Caller caller);
    void RunDeferred();
    void SelectPspRoot(const QString& root);

    PspWindow& m_window;
    std::vector<platform::VolumeEvent> m_held;
    bool m_bOpening = false;
    QString m_strPendingRoot; // a drive chosen while a folder was being opened
};

} // namespace storage
