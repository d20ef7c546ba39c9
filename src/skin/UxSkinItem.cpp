// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxSkinItem.h"

#include "skin/UxSkinMgr.h"

UxSkinItem::UxSkinItem(const QString& bgPictureName) : m_bgPictureName(bgPictureName) {}

UxSkinItem::~UxSkinItem()
{
    // The manager keeps raw pointers; never leave it one to a dead item.
    if (m_manager)
        m_manager->RemoveItem(this);
}
