#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

class CPSPVolCtrl;
class CVideoListCtrl;
class QAbstractButton;
class QLineEdit;
class QWidget;

namespace storage {

/**
 * The parts of the main window that the catalogue and the space accounting
 * work on. The main window fills it once with its own widgets.
 */
struct MainWindowParts
{
    QWidget* window = nullptr;            // parent of message boxes and the folder chooser
    CVideoListCtrl* localList = nullptr;  // 1000
    CVideoListCtrl* pspList = nullptr;    // 1001
    QLineEdit* folderEdit = nullptr;      // 1002
    QAbstractButton* moveTo = nullptr;    // 1003 "Move->"
    QAbstractButton* copyTo = nullptr;    // 1004 "Copy->"
    QAbstractButton* moveFrom = nullptr;  // 1005 "<-Move"
    QAbstractButton* copyFrom = nullptr;  // 1006 "<-Copy"
    QAbstractButton* deleteOnPsp = nullptr; // 1007 "Delete"
    QAbstractButton* refresh = nullptr;   // 1009 "&Refresh"
    CPSPVolCtrl* usageBar = nullptr;      // 1028
    std::function<QString()> pspPath;     // m_strPSPPath: empty when no PSP is in use
    std::function<void(const QString&)> setSpaceText; // third part of the status bar
};

/** "Used/Total(Selected):  used(projected)/total(psp selection) MB ", each in whole MiB. */
QString FormatSpaceText(std::uint64_t used, std::uint64_t projected, std::uint64_t total, std::uint64_t pspSelected);

/** Sum of the lengths of the list's selected videos; 0 when pspPath is empty. Unopenable files add 0. */
std::uint64_t SumSelectedBytes(const CVideoListCtrl& list, const QString& pspPath);

/**
 * With false: disables the five transfer buttons. With true: <-Move, <-Copy and
 * Delete follow the PSP list's selection, Move-> and Copy-> the local list's.
 */
void EnableTransferButtons(const MainWindowParts& parts, bool enable);

/**
 * Measures the drive holding the path and updates the status text, the usage
 * bar and the transfer buttons. Returns false (and changes nothing) when the
 * space can't be measured, e.g. for an empty path.
 */
bool UpdateSpace(const MainWindowParts& parts, const QString& path);

/** No PSP in use any more: empty bar, no overflow mark, no space text. */
void ClearSpace(const MainWindowParts& parts);

/**
 * Runs UpdateSpace for the PSP path once per burst of selection changes of
 * either list: the changes are gathered until control returns to the event loop.
 */
class SpaceUpdater final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpaceUpdater)

public:
    SpaceUpdater(MainWindowParts parts, QObject* parent = nullptr);

    /** Asks for one update at the next turn of the event loop. */
    void schedule();
    /** Number of updates run so far. */
    int updateCount() const { return m_updates; }

private:
    void run();

    MainWindowParts m_parts;
    QTimer m_timer;
    int m_updates = 0;
};

} // namespace storage
