// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "skin/SkinKit.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <map>

/**
 * A skin folder's description, "skin.ini": keys in the main section (the
 * INI file's top level) plus named sections such as "Logo". A missing or
 * unreadable file gives the defaults for every key.
 */
class UxSkinInfo
{
public:
    explicit UxSkinInfo(const QString& skinPath);

    /** True when the description was found and read without error. */
    bool IsValid() const { return m_valid; }
    const QString& GetSkinPath() const { return m_skinPath; }

    /**
     * The key's integer value, or def when absent or not a number. Decimal or
     * "0x" hexadecimal; values up to 0xFFFFFFFF wrap to 32-bit (colours).
     * An empty section is the main section.
     */
    int GetInt(const QString& key, int def, const QString& section = QString()) const;
    QString GetString(const QString& key, const QString& def, const QString& section = QString()) const;

    /** Fills the spacing values (keys "Spacing_Top", "Spacing_Bottom",
     *  "Spacing_Left", "Spacing_Right", "Spacing_VGap", "Spacing_HGap"). */
    void GetSpacingInfo(SpacingInfo* info, const QString& section = QString()) const;

    /**
     * Path of a picture of this skin; when the skin lacks it (or it is not a
     * readable image) the "Default" skin's beside it; empty when neither has it.
     */
    QString GetPicturePath(const QString& fileName) const;
    /** The picture loaded through GetPicturePath, or a null image. */
    QImage LoadPicture(const QString& fileName) const;

    /** Default spacing when the skin names none. */
    static constexpr int kDefaultSpacing = 6;

private:
    QString m_skinPath;
    bool m_valid = false;
    std::map<QString, QString> m_values; // "section/key" -> text
};
