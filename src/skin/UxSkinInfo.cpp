// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxSkinInfo.h"

#include "skin/UxSkinMgr.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSettings>

namespace {

QString fullKey(const QString& section, const QString& key)
{
    return section.isEmpty() ? key : section + u'/' + key;
}

} // namespace

UxSkinInfo::UxSkinInfo(const QString& skinPath) : m_skinPath(QDir::cleanPath(skinPath))
{
    const QString file = m_skinPath + u'/' + UxSkinMgr::skinInfoFileName();
    if (skinPath.isEmpty() || !QFileInfo(file).isFile())
        return;
    QSettings ini(file, QSettings::IniFormat);
    const QStringList keys = ini.allKeys();
    if (ini.status() != QSettings::NoError)
        return; // a broken description gives the defaults for every key
    for (const QString& key : keys) {
        const QVariant value = ini.value(key);
        // An unquoted comma makes QSettings split the text; put it back together.
        const QString text = value.userType() == QMetaType::QStringList
                                 ? value.toStringList().join(u',')
                                 : value.toString();
        // Keys of the main section are kept without a prefix.
        QString name = key;
        if (name.startsWith(QStringLiteral("General/")))
            name = name.mid(8);
        m_values[name] = text.trimmed();
    }
    m_valid = true;
}

int UxSkinInfo::GetInt(const QString& key, int def, const QString& section) const
{
    const auto it = m_values.find(fullKey(section, key));
    if (it == m_values.end())
        return def;
    bool ok = false;
    const qlonglong value = it->second.toLongLong(&ok, 0);
    if (!ok || value < -0x80000000LL || value > 0xFFFFFFFFLL)
        return def;
    return static_cast<int>(static_cast<quint32>(value));
}

QString UxSkinInfo::GetString(const QString& key, const QString& def, const QString& section) const
{
    const auto it = m_values.find(fullKey(section, key));
    return it == m_values.end() ? def : it->second;
}

void UxSkinInfo::GetSpacingInfo(SpacingInfo* info, const QString& section) const
{
    if (!info)
        return;
    info->nTopMargin = GetInt(QStringLiteral("Spacing_Top"), kDefaultSpacing, section);
    info->nBottomMargin = GetInt(QStringLiteral("Spacing_Bottom"), kDefaultSpacing, section);
    info->nLeftMargin = GetInt(QStringLiteral("Spacing_Left"), kDefaultSpacing, section);
    info->nRightMargin = GetInt(QStringLiteral("Spacing_Right"), kDefaultSpacing, section);
    info->nVertGap = GetInt(QStringLiteral("Spacing_VGap"), kDefaultSpacing, section);
    info->nHorzGap = GetInt(QStringLiteral("Spacing_HGap"), kDefaultSpacing, section);
}

QString UxSkinInfo::GetPicturePath(const QString& fileName) const
{
    const auto readable = [](const QString& path) {
        return QFileInfo(path).isFile() && QImageReader(path).canRead();
    };
    if (!m_skinPath.isEmpty()) {
        const QString own = m_skinPath + u'/' + fileName;
        if (readable(own))
            return own;
        const QString fallback = QFileInfo(m_skinPath).absolutePath() + u'/'
                                 + UxSkinMgr::defaultSkinName() + u'/' + fileName;
        if (readable(fallback))
            return fallback;
    }
    return QString();
}

QImage UxSkinInfo::LoadPicture(const QString& fileName) const
{
    const QString path = GetPicturePath(fileName);
    return path.isEmpty() ? QImage() : QImage(path);
}
