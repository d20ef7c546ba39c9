// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CAboutDlg.h"

#include "reelkeeper/Version.h"

#include "shell/MainLayout.h"
#include "skin/UxHyperLink.h"
#include "skin/UxSkinDialog.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

template <typename Widget>
Widget* place(Widget* widget, int x, int y, int width, int height)
{
    widget->setGeometry(shell::dialogUnitsToPixels(QRect(x, y, width, height)));
    return widget;
}

} // namespace

QString CAboutDlg::homePage()
{
    return QStringLiteral("https://www.marrowgate.example/");
}

QString CAboutDlg::cataloguePage()
{
    return QStringLiteral("https://www.marrowgate.example/catalogue/reelkeeper.html");
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(shell::dialogUnitsToPixels(QRect(0, 0, 251, 118)).size());
    m_pProduct = place(new QLabel(this), 7, 10, 119, 8);
    // Two lines: the licence does not fit beside the copyright in one.
    m_pNotice = place(new QLabel(this), 7, 21, 237, 17);
    m_pNotice->setWordWrap(true);
    m_pHomeLink = place(new UxHyperLink(homePage(), this), 7, 40, 237, 8);
    UxSkinDialog::SetControlId(m_pHomeLink, IDC_HOME_LINK);
    m_pHelpLink = place(new UxHyperLink(this), 7, 55, 60, 8);
    UxSkinDialog::SetControlId(m_pHelpLink, IDC_HELP_LINK);
    m_pOk = place(new QPushButton(this), 100, 94, 50, 16);
    UxSkinDialog::SetControlId(m_pOk, IDOK);
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);

    m_pHomeLink->SetURL(homePage());
    m_pHelpLink->SetURL(cataloguePage());
    Retranslate();
}

void CAboutDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
    QDialog::changeEvent(event);
}

void CAboutDlg::Retranslate()
{
    setWindowTitle(tr("About Reelkeeper"));
    m_pProduct->setText(tr("Reelkeeper %1").arg(QStringLiteral(REELKEEPER_VERSION)));
    m_pNotice->setText(tr("Copyright (C) 2026 The Reelkeeper developers. Licence: GPL-3.0-or-later."));
    m_pHelpLink->setText(tr("Click here for help"));
    m_pOk->setText(tr("OK"));
    // Longer translations widen the link rather than clip it.
    const int templateWidth = shell::dialogUnitsToPixels(QRect(7, 55, 60, 8)).width();
    m_pHelpLink->resize(std::max(templateWidth, m_pHelpLink->sizeHint().width()), m_pHelpLink->height());
}
