// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxChooseSkinDlg.h"

#include "skin/SkinKit.h"
#include "skin/UxAppPref.h"
#include "skin/UxSkinMgr.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

UxChooseSkinDlg::UxChooseSkinDlg(QWidget* parent, UxSkinMgr* skinMgr, UxAppPref* pref)
    : QDialog(parent),
      m_skinMgr(skinMgr ? skinMgr : SkinKitSkinMgr()),
      m_pref(pref ? pref : SkinKitPref())
{
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("skinList"));
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_caption);
    layout->addWidget(m_list);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &UxChooseSkinDlg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &UxChooseSkinDlg::reject);
    connect(m_list, &QListWidget::itemActivated, this, &UxChooseSkinDlg::accept);

    if (m_skinMgr) {
        const QString current = QFileInfo(m_skinMgr->GetCurrentSkinPath()).fileName();
        for (const QString& name : m_skinMgr->GetSkinNames()) {
            m_list->addItem(name);
            if (name == current)
                m_list->setCurrentRow(m_list->count() - 1);
        }
    }
    if (m_list->currentRow() < 0 && m_list->count() > 0)
        m_list->setCurrentRow(0);
    retranslate();
    resize(320, 260);
}

void UxChooseSkinDlg::retranslate()
{
    setWindowTitle(tr("Choose Skin"));
    m_caption->setText(tr("Skins:"));
}

void UxChooseSkinDlg::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(e);
}

void UxChooseSkinDlg::accept()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (item && m_skinMgr) {
        const QString path = QDir::cleanPath(m_skinMgr->GetSkinLibPath() + u'/' + item->text());
        m_skinMgr->LoadSkin(path);
        m_chosen = m_skinMgr->GetCurrentSkinPath();
        if (m_pref)
            m_pref->PutString(QStringLiteral("last_skin"), m_chosen);
    }
    QDialog::accept();
}
