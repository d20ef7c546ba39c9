// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/MountWatcher.h"

#include "platform/Volumes.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

QSet<QString> mountedRoots()
{
    QSet<QString> roots;
    for (const VolumeInfo& v : volumes().mounted())
        roots.insert(v.root);
    return roots;
}

QSet<QString> presentDeclaredRoots()
{
    QSet<QString> roots;
    for (const QString& root : declaredVolumes()) {
        if (QFileInfo(root).isDir())
            roots.insert(root);
    }
    return roots;
}

QStringList sorted(const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

MountWatcher::MountWatcher(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<platform::VolumeEvent>();
    m_mounted = mountedRoots();
    m_declared = presentDeclaredRoots();

    // The kernel marks the mount table with POLLPRI whenever it changes.
    m_fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::checkMounted);
    }

    m_declaredTimer = new QTimer(this);
    m_declaredTimer->setInterval(1000);
    connect(m_declaredTimer, &QTimer::timeout, this, &MountWatcher::checkDeclared);
    updateTimer();
}

MountWatcher::~MountWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void MountWatcher::setDeclaredInterval(int milliseconds)
{
    m_declaredTimer->setInterval(milliseconds);
    updateTimer();
}

void MountWatcher::checkNow()
{
    checkMounted();
    checkDeclared();
}

void MountWatcher::checkMounted()
{
    QSet<QString> now = mountedRoots();
    const QSet<QString> before = m_mounted;
    m_mounted = now;
    report(before, now);
}

void MountWatcher::checkDeclared()
{
    updateTimer();
    QSet<QString> now = presentDeclaredRoots();
    const QSet<QString> before = m_declared;
    m_declared = now;
    report(before, now);
}

void MountWatcher::report(const QSet<QString>& before, const QSet<QString>& after)
{
    const QSet<QString> gone = QSet<QString>(before).subtract(after);
    const QSet<QString> came = QSet<QString>(after).subtract(before);
    if (!gone.isEmpty())
        emit volumesChanged(VolumeEvent{VolumeEvent::Kind::Removal, sorted(gone)});
    if (!came.isEmpty())
        emit volumesChanged(VolumeEvent{VolumeEvent::Kind::Arrival, sorted(came)});
}

void MountWatcher::updateTimer()
{
    const bool wanted = !declaredVolumes().isEmpty();
    if (wanted && !m_declaredTimer->isActive())
        m_declaredTimer->start();
    else if (!wanted && m_declaredTimer->isActive())
        m_declaredTimer->stop();
}

} // namespace platform
