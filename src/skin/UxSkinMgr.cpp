// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxSkinMgr.h"

#include "skin/UxSkinItem.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

bool isSkinFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path + u'/' + UxSkinMgr::skinInfoFileName()).isFile();
}

} // namespace

QString UxSkinMgr::skinInfoFileName() { return QStringLiteral("skin.ini"); }

QString UxSkinMgr::defaultSkinName() { return QStringLiteral("Default"); }

void UxSkinMgr::SetSkinLibPath(const QString& path) { m_libPath = path; }

UxSkinMgr::~UxSkinMgr()
{
    for (UxSkinItem* item : m_items)
        item->m_manager = nullptr;
}

void UxSkinMgr::AddItem(UxSkinItem* item)
{
    if (!item)
        return;
    if (item->m_manager && item->m_manager != this)
        item->m_manager->RemoveItem(item);
    if (std::find(m_items.begin(), m_items.end(), item) == m_items.end())
        m_items.push_back(item);
    item->m_manager = this;
}

void UxSkinMgr::RemoveItem(UxSkinItem* item)
{
    const auto end = std::remove(m_items.begin(), m_items.end(), item);
    if (end == m_items.end())
        return;
    m_items.erase(end, m_items.end());
    if (item->m_manager == this)
        item->m_manager = nullptr;
}

int UxSkinMgr::LoadSkin(const QString& skinPath)
{
    QString path = QDir::cleanPath(skinPath);
    int result = 1;
    if (!isSkinFolder(path)) {
        result = 0;
        // Without a usable default the folder stays as asked: every value and
        // picture then takes its built-in default.
        const QString fallback = QDir::cleanPath(m_libPath + u'/' + defaultSkinName());
        if (isSkinFolder(fallback) || skinPath.isEmpty())
            path = fallback;
    }
    m_current = path;
    // Items may register or unregister while loading; walk a copy.
    const std::vector<UxSkinItem*> items = m_items;
    for (UxSkinItem* item : items) {
        if (std::find(m_items.begin(), m_items.end(), item) != m_items.end())
            item->LoadSkin(m_current);
    }
    return result;
}

QStringList UxSkinMgr::GetSkinNames() const
{
    QStringList names;
    if (m_libPath.isEmpty())
        return names;
    const QDir dir(m_libPath);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (isSkinFolder(dir.filePath(name)))
            names << name;
    }
    return names;
}
