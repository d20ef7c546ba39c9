// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Locale.h"

namespace platform {

LocaleNames localeNames(const QLocale& locale)
{
    LocaleNames names;
    const QLocale::Language language = locale.language();
    if (language == QLocale::C)
        names.language = QStringLiteral("English");
    else if (language != QLocale::AnyLanguage)
        names.language = QLocale::languageToString(language);

    switch (locale.territory()) {
    case QLocale::AnyTerritory:
        break;
    case QLocale::China:
        names.country = QStringLiteral("People's Republic of China");
        break;
    case QLocale::Japan:
        names.country = QStringLiteral("Japan");
        break;
    case QLocale::Singapore:
        names.country = QStringLiteral("Singapore");
        break;
    default:
        names.country = QLocale::territoryToString(locale.territory());
        break;
    }
    return names;
}

LocaleNames systemLocaleNames()
{
    return localeNames(QLocale::system());
}

} // namespace platform
