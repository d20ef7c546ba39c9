// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

/**
 * Something that takes a skin: registered with the skin manager, which calls
 * LoadSkin on every skin change. Holds its window and the file name of its
 * background picture inside a skin folder.
 */
class UxSkinMgr;

class UxSkinItem
{
    friend class UxSkinMgr;

public:
    explicit UxSkinItem(const QString& bgPictureName = QStringLiteral("background.bmp"));
    virtual ~UxSkinItem();
    UxSkinItem(const UxSkinItem&) = delete;
    UxSkinItem& operator=(const UxSkinItem&) = delete;

    /** Applies the skin in the folder. Returns nonzero on success. */
    virtual int LoadSkin(const QString& skinPath) = 0;

    QWidget* GetSkinWindow() const { return m_window; }
    void SetSkinWindow(QWidget* window) { m_window = window; }
    const QString& GetBgPictureName() const { return m_bgPictureName; }
    void SetBgPictureName(const QString& name) { m_bgPictureName = name; }

private:
    QPointer<QWidget> m_window;
    UxSkinMgr* m_manager = nullptr; // the manager it is registered with
    QString m_bgPictureName;
};
