// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>

class QListWidget;
class QDialogButtonBox;
class QLabel;
class UxSkinMgr;
class UxAppPref;

/**
 * Modal skin chooser: lists the skin folders under the skin manager's skins
 * folder. Accepting loads the chosen skin through the manager at once and
 * stores its folder as "last_skin".
 */
class UxChooseSkinDlg : public QDialog
{
    Q_OBJECT

public:
    /** Uses the managers given to InitSkinKit when none are passed. */
    explicit UxChooseSkinDlg(QWidget* parent = nullptr, UxSkinMgr* skinMgr = nullptr,
                             UxAppPref* pref = nullptr);

    QListWidget* skinList() const { return m_list; }
    /** The folder chosen by the last accept, empty before. */
    QString chosenSkinPath() const { return m_chosen; }

    void accept() override;

protected:
    void changeEvent(QEvent* e) override;

private:
    void retranslate();

    UxSkinMgr* m_skinMgr;
    UxAppPref* m_pref;
    QLabel* m_caption = nullptr;
    QListWidget* m_list = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QString m_chosen;
};
