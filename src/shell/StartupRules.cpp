// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/StartupRules.h"

#include <QDir>

namespace shell {

QString detectLanguage(const platform::LocaleNames& names)
{
    if (!names.language)
        return {};
    if (names.language->compare(QLatin1String("Chinese"), Qt::CaseInsensitive) != 0)
        return *names.language;
    const QString country = names.country.value_or(QString());
    if (country.compare(QLatin1String("People's Republic of China"), Qt::CaseInsensitive) == 0
        || country.compare(QLatin1String("Singapore"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Chinese(Simplified)");
    return QStringLiteral("Chinese(Traditional)");
}

namespace {

QString insertBeforeLastSlash(const QString& address, const QString& suffix)
{
    const qsizetype slash = address.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return address;
    return address.left(slash) + QLatin1Char('/') + suffix + address.mid(slash);
}

} // namespace

WebAddresses localiseWebAddresses(WebAddresses addresses, const platform::LocaleNames& names)
{
    if (!names.country || names.country->compare(QLatin1String("japan"), Qt::CaseInsensitive) != 0)
        return addresses;
    const QString suffix = QStringLiteral("jp");
    addresses.vendorHomePage += QLatin1Char('/') + suffix;
    addresses.productPage = insertBeforeLastSlash(addresses.productPage, suffix);
    addresses.productPage2 = insertBeforeLastSlash(addresses.productPage2, suffix);
    return addresses;
}

QString defaultLocalFolder(const platform::ConverterOutputDir& converter, const QString& fallbackDir,
                           const QString& rootFolder,
                           const std::function<bool(const QString&)>& exists)
{
    if (!converter.keyPresent)
        return rootFolder;
    const QString folder = converter.value.value_or(fallbackDir);
    if (!exists(folder))
        return rootFolder;
    const QString separator = QDir::separator();
    return folder.endsWith(separator) ? folder : folder + separator;
}

QString defaultLocalFolder()
{
    return defaultLocalFolder(platform::readConverterOutputDir(), platform::converterFallbackOutputDir(),
                              platform::homeFolderWithSeparator(), platform::entryExists);
}

} // namespace shell
