// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/ForeignSettings.h"
#include "platform/Locale.h"

#include <QString>

#include <functional>

namespace shell {

/**
 * The interface language for an empty "language" setting, from the locale's English names:
 * Chinese becomes "Chinese(Simplified)" for the People's Republic of China and Singapore and
 * "Chinese(Traditional)" elsewhere; every other language keeps its English name. Empty when
 * the locale names no language.
 */
QString detectLanguage(const platform::LocaleNames& names);

/** The three web addresses of the application record that depend on the country. */
struct WebAddresses
{
    QString vendorHomePage;
    QString productPage;
    QString productPage2;
};

/**
 * Japanese systems get the "jp" variants: "/jp" appended to the home page, and inserted in
 * front of the last "/" of both product pages. Any other or unknown country changes nothing.
 */
WebAddresses localiseWebAddresses(WebAddresses addresses, const platform::LocaleNames& names);

/**
 * The local folder shown when "LocalPath" is empty, with a trailing separator. The
 * converter's output folder when it exists; its fallback folder when the key exists but the
 * value cannot be read and the fallback exists; otherwise @p rootFolder.
 */
QString defaultLocalFolder(const platform::ConverterOutputDir& converter, const QString& fallbackDir,
                           const QString& rootFolder,
                           const std::function<bool(const QString&)>& exists);

/** defaultLocalFolder() with the real converter settings, fallback, home folder and file system. */
QString defaultLocalFolder();

} // namespace shell
