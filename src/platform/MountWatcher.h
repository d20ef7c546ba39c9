// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace platform {

/** Volumes that arrived or went away, roots sorted by mount point. */
struct VolumeEvent
{
    enum class Kind { Arrival, Removal };
    Kind kind = Kind::Arrival;
    QStringList roots;
};

/**
 * Tells when volumes arrive or go away. It wakes only when the kernel reports
 * a change of the mount table, so it costs nothing while idle; declared
 * volumes (plain folders) are checked by a timer, which runs only while
 * there are declared volumes. Several volumes changing at once give one event
 * per kind carrying all of their roots.
 */
class MountWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit MountWatcher(QObject* parent = nullptr);
    ~MountWatcher() override;

    /** Is the kernel's mount-table notification in use (false: only declared volumes are followed)? */
    bool watchingMountTable() const { return m_notifier != nullptr; }
    /** Milliseconds between checks of the declared volumes. */
    void setDeclaredInterval(int milliseconds);
    /** Compares the volumes now with the last look and reports the difference. */
    void checkNow();

signals:
    void volumesChanged(const platform::VolumeEvent& event);

private:
    void checkMounted();
    void checkDeclared();
    void report(const QSet<QString>& before, const QSet<QString>& after);
    void updateTimer();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_declaredTimer = nullptr;
    QSet<QString> m_mounted;
    QSet<QString> m_declared;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::VolumeEvent)
