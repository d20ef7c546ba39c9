// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class UxHyperLink;

/** The About box: product name and version, the maker's notice and two web links. */
class CAboutDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAboutDlg)

public:
    enum : int { IDC_HOME_LINK = 1025, IDC_HELP_LINK = 1027, IDOK = 1 };

    /** The maker's home page and the product's catalogue page; fixed for every locale. */
    static QString homePage();
    static QString cataloguePage();

    explicit CAboutDlg(QWidget* parent = nullptr);

    UxHyperLink* HomeLink() const { return m_pHomeLink; }
    UxHyperLink* HelpLink() const { return m_pHelpLink; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    QLabel* m_pProduct = nullptr;
    QLabel* m_pNotice = nullptr;
    UxHyperLink* m_pHomeLink = nullptr;
    UxHyperLink* m_pHelpLink = nullptr;
    QPushButton* m_pOk = nullptr;
};
