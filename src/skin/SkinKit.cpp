// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/SkinKit.h"

namespace {
UxAppPref* g_pref = nullptr;
UxSkinMgr* g_skinMgr = nullptr;
UxLanguage* g_language = nullptr;
} // namespace

bool InitSkinKit(UxAppPref* pref, UxSkinMgr* skinMgr, UxLanguage* language)
{
    g_pref = pref;
    g_skinMgr = skinMgr;
    g_language = language;
    return pref && skinMgr && language;
}

UxAppPref* SkinKitPref() { return g_pref; }
UxSkinMgr* SkinKitSkinMgr() { return g_skinMgr; }
UxLanguage* SkinKitLanguage() { return g_language; }
