// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Volumes.h"

#include <QString>

#include <algorithm>
#include <vector>

// Volumes of the test's choice, in mount-point order; the real mount table is
// not consulted while one exists.
class FakeVolumes : public platform::Volumes
{
public:
    FakeVolumes() { platform::setVolumes(this); }
    ~FakeVolumes() override { platform::setVolumes(nullptr); }
    FakeVolumes(const FakeVolumes&) = delete;
    FakeVolumes& operator=(const FakeVolumes&) = delete;

    void add(const QString& root, bool removable)
    {
        platform::VolumeInfo v;
        v.root = root.endsWith('/') ? root : root + "/";
        v.displayName = "Drive " + v.root;
        v.removable = removable;
        m_list.push_back(v);
        std::sort(m_list.begin(), m_list.end(), [](auto& a, auto& b) { return a.root < b.root; });
    }
    void remove(const QString& root)
    {
        m_list.erase(std::remove_if(m_list.begin(), m_list.end(), [&](auto& v) { return v.root == root; }),
                     m_list.end());
    }
    std::vector<platform::VolumeInfo> list() const override { return m_list; }
    std::vector<platform::VolumeInfo> mounted() const override { return m_list; }

private:
    std::vector<platform::VolumeInfo> m_list;
};
