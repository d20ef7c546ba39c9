#include "storage/PspDrives.h"

#include "platform/FatAttributes.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Volumes.h"
#include "storage/CDriveComboEx.h"
#include "storage/PspWindow.h"

#include <QScopedValueRollback>

#include <utility>

namespace storage {

namespace {

const QString kVideoTail = QStringLiteral("MP_ROOT/100MNV01/");

const char kNoPsp[] = "You haven't attached your PSP to the Computer!";
const char kNotWriteableA[] = "You have Selected a non-writeable drive.";
const char kNotWriteableB[] = "You have Selected a non-writeable drivre.";
const char kNotAPsp[] = "Your selected drive is not a PSP";
const char kDisconnected[] = "You have disabled the PSP USB connection!";

bool isPlainFolder(const QString& path)
{
    return platform::entryAttributes().attributes(path) == platform::attr::Directory;
}

// A plain folder directly below folder whose name passes the test.
template <typename NameTest>
bool hasPlainFolder(const QString& folder, NameTest test)
{
    for (const platform::DirEntry& entry : platform::fileSystem().list(folder, QStringLiteral("*"))) {
        if (test(entry.name) && isPlainFolder(folder + entry.name))
            return true;
    }
    return false;
}

bool holdsPspTree(const QString& root)
{
    // The name is compared exactly: a "psp" folder is not the PSP's.
    if (!hasPlainFolder(root, [](const QString& name) { return name == QLatin1String("PSP"); }))
        return false;
    return hasPlainFolder(root + QStringLiteral("PSP/"), [](const QString& name) {
        return name.compare(QLatin1String("PHOTO"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("music"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("savedata"), Qt::CaseInsensitive) == 0;
    });
}

QString withSeparator(const QString& root)
{
    return root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
}

} // namespace

QString PspFolderOf(const QString& root)
{
    return withSeparator(root) + kVideoTail;
}

QString RootOfPspPath(const QString& pspPath)
{
    if (!pspPath.endsWith(kVideoTail))
        return {};
    return pspPath.left(pspPath.size() - kVideoTail.size());
}

bool IsPSPVolume(const platform::VolumeInfo& volume)
{
    return volume.removable && holdsPspTree(withSeparator(volume.root));
}

bool IsPSPDrive(const QString& root)
{
    if (root.isEmpty() || !platform::isRemovableRoot(withSeparator(root)))
        return false;
    return holdsPspTree(withSeparator(root));
}

QString FirstPSPRoot()
{
    for (const platform::VolumeInfo& volume : platform::volumes().list()) {
        if (IsPSPVolume(volume))
            return volume.root;
    }
    return {};
}

PspFolderResult MakePspFolder(const QString& root, QString& pspPath)
{
    const platform::FileSystem& fs = platform::fileSystem();
    const platform::EntryAttributes& maker = platform::entryAttributes();
    QString path = withSeparator(root) + QStringLiteral("MP_ROOT");
    if (!fs.exists(path)) {
        if (!maker.makeDirectory(path))
            return PspFolderResult::FailureA;
        maker.makeDirectory(path + QStringLiteral("/100MNV01"));
        pspPath = path + QStringLiteral("/100MNV01/");
        return PspFolderResult::Ok;
    }
    path += QStringLiteral("/100MNV01");
    if (!fs.exists(path) && !maker.makeDirectory(path))
        return PspFolderResult::FailureB;
    pspPath = path + QLatin1Char('/');
    return PspFolderResult::Ok;
}

PspDriveHandler::PspDriveHandler(PspWindow& window, QObject* parent)
    : QObject(parent)
    , m_window(window)
{
    connect(&m_window.DriveCombo(), &QComboBox::activated, this, &PspDriveHandler::OnSelChangeDrive);
}

void PspDriveHandler::Watch(platform::MountWatcher* watcher)
{
    connect(watcher, &platform::MountWatcher::volumesChanged, this, &PspDriveHandler::OnDeviceChange);
}

bool PspDriveHandler::FindFirstPSPDrive(QString& root)
{
    root = FirstPSPRoot();
    if (!root.isEmpty())
        return true;
    m_window.EnableTransferButtons(false);
    return false;
}

PspFolderResult PspDriveHandler::OpenPSPFolder(const QString& root, Caller caller)
{
    PspFolderResult result;
    {
        // The list fill and the message boxes let other events run: a drive
        // change handled in their midst would leave the path, the list, the
        // selector and the space figures naming different drives.
        const QScopedValueRollback<bool> opening(m_bOpening, true);
        result = OpenFolderSteps(root, caller);
    }
    if (!m_bOpening)
        RunDeferred();
    return result;
}

PspFolderResult PspDriveHandler::OpenFolderSteps(const QString& root, Caller caller)
{
    QString pspPath;
    const PspFolderResult result = MakePspFolder(root, pspPath);
    if (result != PspFolderResult::Ok) {
        if (caller == Caller::Arrival)
            return result;
        platform::showMessage(m_window.PromptParent(),
                              QString::fromLatin1(result == PspFolderResult::FailureA ? kNotWriteableA : kNotWriteableB));
        if (caller == Caller::StartUp) {
            m_window.SetPSPPath(QString());
            m_window.EnableTransferButtons(false);
        } else {
            CDriveComboEx& combo = m_window.DriveCombo();
            combo.setCurrentIndex(combo.GetLastSel());
        }
        return result;
    }

    const int chosen = m_window.DriveCombo().currentIndex();
    m_window.SetPSPPath(pspPath);
    m_window.EnableTransferButtons(true);
    m_window.EnableRefresh(false);
    m_window.FillPspList(pspPath + QStringLiteral("*.mp4"));
    m_window.EnableRefresh(true);
    if (caller == Caller::Selection) {
        m_window.DriveCombo().SetLastSel(chosen);
    } else {
        m_window.DriveCombo().FillDriveList();
        SelectPspRoot(root);
    }
    m_window.FillNextNum();
    m_window.UpdateSpace(withSeparator(root));
    return result;
}

void PspDriveHandler::InitPspDrive()
{
    m_window.DriveCombo().FillDriveList();
    QString root;
    if (!FindFirstPSPDrive(root)) {
        platform::showMessage(m_window.PromptParent(), QString::fromLatin1(kNoPsp));
        return;
    }
    OpenPSPFolder(root, Caller::StartUp);
}

void PspDriveHandler::OnSelChangeDrive()
{
    CDriveComboEx& combo = m_window.DriveCombo();
    const QString root = combo.RootAt(combo.currentIndex());
    if (root.isEmpty())
        return;
    if (m_bOpening) {
        m_strPendingRoot = root;
        return;
    }
    if (!IsPSPDrive(root)) {
        platform::showMessage(m_window.PromptParent(), QString::fromLatin1(kNotAPsp));
        m_window.SetPSPPath(QString());
    }
    OpenPSPFolder(root, Caller::Selection);
}

void PspDriveHandler::OnDeviceChange(const platform::VolumeEvent& event)
{
    if (event.roots.isEmpty())
        return;
    // The worker reads the PSP list and path: nothing may change them under it.
    if (m_window.IsTransferRunning() || m_bOpening) {
        m_held.push_back(event);
        return;
    }

    m_window.DriveCombo().FillDriveList();
    // Like the lowest bit of a drive mask: only the first volume counts.
    const QString root = event.roots.front();
    if (event.kind == platform::VolumeEvent::Kind::Arrival) {
        if (IsPSPDrive(root) && OpenPSPFolder(root, Caller::Arrival) == PspFolderResult::Ok)
            return;
    } else if (platform::sameRoot(RootOfPspPath(m_window.GetPSPPath()), root)) {
        m_window.SetPSPPath(QString());
        m_window.ClearPspList();
        m_window.EnableTransferButtons(false);
        m_window.ClearSpace();
        m_window.ClearNextNum();
        platform::showMessage(m_window.PromptParent(), QString::fromLatin1(kDisconnected));
        return;
    }
    // The rebuilt selector goes on showing the PSP in use.
    SelectPspRoot(RootOfPspPath(m_window.GetPSPPath()));
}

void PspDriveHandler::OnTransferEnded()
{
    while (!m_held.empty() && !m_window.IsTransferRunning() && !m_bOpening) {
        const platform::VolumeEvent event = m_held.front();
        m_held.erase(m_held.begin());
        OnDeviceChange(event);
    }
}

void PspDriveHandler::RunDeferred()
{
    const QString chosen = std::exchange(m_strPendingRoot, QString());
    CDriveComboEx& combo = m_window.DriveCombo();
    const int index = chosen.isEmpty() ? -1 : combo.FindRoot(chosen);
    if (index >= 0) {
        combo.setCurrentIndex(index);
        OnSelChangeDrive();
    }
    OnTransferEnded();
}

void PspDriveHandler::SelectPspRoot(const QString& root)
{
    if (root.isEmpty())
        return;
    CDriveComboEx& combo = m_window.DriveCombo();
    const int index = combo.FindRoot(root);
    if (index < 0)
        return;
    combo.setCurrentIndex(index);
    combo.SetLastSel(index);
}

} // namespace storage
