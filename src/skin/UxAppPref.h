// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "skin/SkinKit.h"

#include <QString>

/**
 * Preference store: named text values kept between runs, in QSettings
 * (organisation "Marrowgate", application "Reelkeeper", group "Settings").
 */
class UxAppPref
{
public:
    UxAppPref() = default;

    /** Keeps a copy of the record. */
    void SetAppInfo(const AppInfo& info);
    const AppInfo& GetAppInfo() const;

    /**
     * The folder holding Skin/, Language/ and Default.THM, without a trailing
     * separator: $REELKEEPER_APPDIR when set; the executable's folder when it
     * holds Skin/; <prefix>/share/reelkeeper when installed under <prefix>/bin.
     */
    QString GetAppDir() const;

    /** The stored text, or the empty text when it was never written. The two
     *  further parameters are kept for callers that pass them empty. */
    QString GetString(const QString& name, const QString& = QString(), const QString& = QString()) const;

    /** Stores the text for later runs (written to disk at once). Returns false
     *  when the store could not be written. */
    bool PutString(const QString& name, const QString& value, const QString& = QString());

private:
    AppInfo m_appInfo;
};
