// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class UxSkinItem;

/**
 * Skin manager: knows the skins folder and the current skin, and applies a
 * skin to every registered item.
 */
class UxSkinMgr
{
public:
    UxSkinMgr() = default;
    ~UxSkinMgr();
    UxSkinMgr(const UxSkinMgr&) = delete;
    UxSkinMgr& operator=(const UxSkinMgr&) = delete;

    /** The folder holding one sub-folder per skin. */
    void SetSkinLibPath(const QString& path);
    QString GetSkinLibPath() const { return m_libPath; }

    /** Registers an item (not owned) with this manager, leaving any other.
     *  An item removes itself when destroyed. */
    void AddItem(UxSkinItem* item);
    void RemoveItem(UxSkinItem* item);

    /**
     * Makes the skin in the folder current and calls LoadSkin(current folder)
     * on every item. A folder that is missing or has no "skin.ini" is replaced
     * by the skins folder's "Default" (when that exists). Returns nonzero when
     * the folder asked for was used, 0 when the default replaced it.
     */
    int LoadSkin(const QString& skinPath);

    /** The current skin's folder (empty before the first LoadSkin). */
    QString GetCurrentSkinPath() const { return m_current; }

    /** Names of the skin folders under the skins folder, in name order. */
    QStringList GetSkinNames() const;

    /** A folder counts as a skin when it holds this file. */
    static QString skinInfoFileName();
    /** Name of the skin used when another is missing or broken. */
    static QString defaultSkinName();

private:
    QString m_libPath;
    QString m_current;
    std::vector<UxSkinItem*> m_items;
};
