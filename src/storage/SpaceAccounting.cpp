#include "storage/SpaceAccounting.h"

#include "platform/FileSystem.h"
#include "storage/CPSPVolCtrl.h"
#include "storage/CVideoListCtrl.h"

#include <QAbstractButton>

#include <algorithm>

namespace storage {
namespace {

void setEnabled(QAbstractButton* button, bool enabled)
{
    if (button)
        button->setEnabled(enabled);
}

// used / total x width, truncated; kept inside int range for any selection.
int barPosition(std::uint64_t part, std::uint64_t total, int width)
{
    if (total == 0)
        return 0;
    const double position = static_cast<double>(part) / static_cast<double>(total) * width;
    return static_cast<int>(std::clamp(position, 0.0, 1.0e9));
}

} // namespace

QString FormatSpaceText(std::uint64_t used, std::uint64_t projected, std::uint64_t total, std::uint64_t pspSelected)
{
    return QString::asprintf("Used/Total(Selected):  %llu(%llu)/%llu(%llu) MB ",
        static_cast<unsigned long long>(used >> 20), static_cast<unsigned long long>(projected >> 20),
        static_cast<unsigned long long>(total >> 20), static_cast<unsigned long long>(pspSelected >> 20));
}

std::uint64_t SumSelectedBytes(const CVideoListCtrl& list, const QString& pspPath)
{
    if (pspPath.isEmpty())
        return 0;
    std::uint64_t sum = 0;
    const platform::FileSystem& fs = platform::fileSystem();
    for (const int row : list.selectedRows()) {
        if (const VideoEntry* entry = list.entryAt(row))
            sum += fs.readableSize(entry->strPath).value_or(0);
    }
    return sum;
}

void EnableTransferButtons(const MainWindowParts& parts, bool enable)
{
    if (!enable) {
        for (QAbstractButton* button : {parts.copyFrom, parts.copyTo, parts.moveFrom, parts.moveTo, parts.deleteOnPsp})
            setEnabled(button, false);
        return;
    }
    const bool psp = parts.pspList && parts.pspList->hasSelection();
    const bool local = parts.localList && parts.localList->hasSelection();
    setEnabled(parts.moveFrom, psp);
    setEnabled(parts.copyFrom, psp);
    setEnabled(parts.deleteOnPsp, psp);
    setEnabled(parts.moveTo, local);
    setEnabled(parts.copyTo, local);
}

bool UpdateSpace(const MainWindowParts& parts, const QString& path)
{
    const auto space = platform::fileSystem().space(path);
    if (!space)
        return false;
    EnableTransferButtons(parts, true);

    const QString pspPath = parts.pspPath ? parts.pspPath() : QString();
    const std::uint64_t localSelected = parts.localList ? SumSelectedBytes(*parts.localList, pspPath) : 0;
    const std::uint64_t pspSelected = parts.pspList ? SumSelectedBytes(*parts.pspList, pspPath) : 0;
    const std::uint64_t total = space->total;
    const std::uint64_t free = space->freeToCaller;
    const std::uint64_t used = total >= free ? total - free : 0;
    const std::uint64_t projected = used + localSelected;

    if (parts.setSpaceText)
        parts.setSpaceText(FormatSpaceText(used, projected, total, pspSelected));

    CPSPVolCtrl* bar = parts.usageBar;
    if (bar)
        bar->m_nUsedPos = barPosition(used, total, bar->m_nWidth);
    if (localSelected > free) {
        if (bar)
            bar->m_bOverflow = true;
        setEnabled(parts.moveTo, false);
        setEnabled(parts.copyTo, false);
    } else if (bar) {
        // An empty selection clears the mark too; the buttons then keep the
        // selection rule applied above.
        bar->m_bOverflow = false;
    }
    if (bar) {
        bar->m_nSelPos = barPosition(projected, total, bar->m_nWidth);
        bar->update();
    }
    return true;
}

void ClearSpace(const MainWindowParts& parts)
{
    if (CPSPVolCtrl* bar = parts.usageBar) {
        bar->m_nUsedPos = 0;
        bar->m_nSelPos = 0;
        bar->m_bOverflow = false;
        bar->update();
    }
    if (parts.setSpaceText)
        parts.setSpaceText(QString());
}

SpaceUpdater::SpaceUpdater(MainWindowParts parts, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &SpaceUpdater::run);
    for (CVideoListCtrl* list : {m_parts.localList, m_parts.pspList}) {
        if (list)
            connect(list, &CVideoListCtrl::itemSelectionChanged, this, &SpaceUpdater::schedule);
    }
}

void SpaceUpdater::schedule()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void SpaceUpdater::run()
{
    ++m_updates;
    UpdateSpace(m_parts, m_parts.pspPath ? m_parts.pspPath() : QString());
}

} // namespace storage
