// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class UxAppPref;
class UxSkinMgr;
class UxLanguage;

/** Describes the product to the skin library; filled once at start-up. */
struct AppInfo
{
    QString vendorShortName;
    QString vendorName;
    QString vendorHomePage;
    QString vendorRegKey;
    QString productName;
    QString productFullName;
    QString productSlug;
    QString windowTitle;
    QString productPage;
    QString productPage2;
    QString productRegKey;
    QString settingsRegKey;
    QString appId;
};

/** A skin's spacing values in pixels. The layout reads all but the first. */
struct SpacingInfo
{
    int nTopMargin = 0;
    int nBottomMargin = 0;
    int nLeftMargin = 0;
    int nRightMargin = 0;
    int nVertGap = 0;
    int nHorzGap = 0;
};

/**
 * Hands the three process-wide managers to the library (not owned; they must
 * outlive every skinned window). Call once, before any window. Returns true
 * when all three are given.
 */
bool InitSkinKit(UxAppPref* pref, UxSkinMgr* skinMgr, UxLanguage* language);

/** The managers given to InitSkinKit, or nullptr before it ran. */
UxAppPref* SkinKitPref();
UxSkinMgr* SkinKitSkinMgr();
UxLanguage* SkinKitLanguage();
