// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace platform {

/** English names of a locale's language and country, spelled as Windows spells them. */
struct LocaleNames
{
    std::optional<QString> language; ///< e.g. "German"; absent when the locale names none
    std::optional<QString> country;  ///< e.g. "People's Republic of China"; absent when unknown
};

/**
 * English names of @p locale's language and country. Qt's English names are used, except
 * where Windows spells a country differently (China, Japan, Singapore). The "C" locale
 * counts as English without a country, which is what a Linux user in it reads.
 */
LocaleNames localeNames(const QLocale& locale);

/** localeNames() of the user's default locale (QLocale::system()). */
LocaleNames systemLocaleNames();

} // namespace platform
