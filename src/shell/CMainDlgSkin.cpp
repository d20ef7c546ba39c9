// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's skin, layout, window menu and languages.
#include "shell/CMainDlg.h"

#include "shell/CAboutDlg.h"
#include "shell/CMainStatusBar.h"
#include "skin/GlobalHelper.h"
#include "skin/RegionReader.h"
#include "skin/UxAppPref.h"
#include "skin/UxButton.h"
#include "skin/UxChooseSkinDlg.h"
#include "skin/UxHyperLink.h"
#include "skin/UxLanguage.h"
#include "skin/UxSkinInfo.h"
#include "skin/UxSkinMgr.h"
#include "skin/UxStatic.h"
#include "widgets/CVideoListCtrl.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

quint32 colourOrSystem(const UxSkinInfo& info, const QString& key, int systemIndex)
{
    const int value = info.GetInt(key, -1);
    return value == -1 ? GlobalHelper::GetSysColor(systemIndex) : static_cast<quint32>(value);
}

} // namespace

int CMainDlg::LoadSkin(const QString& skinPath)
{
    // Pictures and values come from the manager's current skin; the argument goes to the base.
    const QString current = m_pSkinMgr->GetCurrentSkinPath();
    const UxSkinInfo info(current);

    SetChildBgColor(static_cast<quint32>(info.GetInt(QStringLiteral("ChildBgColor"), 0)), 0);

    const quint32 up = colourOrSystem(info, QStringLiteral("ButtonTextColor_Up"), GlobalHelper::kColorBtnText);
    const quint32 down = colourOrSystem(info, QStringLiteral("ButtonTextColor_Down"), GlobalHelper::kColorBtnText);
    const quint32 active =
        colourOrSystem(info, QStringLiteral("ButtonTextColor_Active"), GlobalHelper::kColorBtnText);
    const quint32 disabled =
        colourOrSystem(info, QStringLiteral("ButtonTextColor_Disabled"), GlobalHelper::kColorGrayText);

    const QString narrow = info.GetPicturePath(QStringLiteral("Btn.bmp"));
    const QString wide = info.GetPicturePath(QStringLiteral("WideBtn.bmp"));
    const std::pair<UxButton*, const QString*> buttons[] = {
        {m_pBrowse, &narrow},   {m_pRefresh, &narrow},  {m_pCopyTo, &wide}, {m_pCopyFrom, &wide},
        {m_pMoveTo, &wide},     {m_pMoveFrom, &wide},   {m_pDelete, &wide}, {m_pAbout, &wide},
    };
    for (const auto& [button, picture] : buttons) {
        button->SetBitmapFile(*picture);
        button->SetTextColor(up, down, active, disabled);
        button->Resize(button->GetWindowSize());
    }

    m_pHeader->SetPictureFile(info.GetPicturePath(QStringLiteral("logo.bmp")));
    m_pHeader->SetSize();
    m_pHeader->SetSplitPos(0, info.GetInt(QStringLiteral("BgVSplitter"), 100, QStringLiteral("Logo")));
    m_pHeader->SetBgMode(0);

    info.GetSpacingInfo(&m_spacing);

    // Corners come from the skin's own folder: a skin without them is a plain rectangle.
    m_corners.reset();
    const auto corner = [&current](const char* name) {
        return RegionReader::Read(current + QLatin1Char('/') + QLatin1String(name), 0);
    };
    m_corners.lt = corner("regionLT.bmp");
    m_corners.rt = corner("regionRT.bmp");
    m_corners.lb = corner("regionLB.bmp");
    m_corners.rb = corner("regionRB.bmp");

    const QSize minimum(info.GetInt(QStringLiteral("MinSize_X"), 620), info.GetInt(QStringLiteral("MinSize_Y"), 466));
    SetMinWindowSize(minimum.width(), minimum.height());
    const QSize size = frameGeometry().size();
    const QSize grown = size.expandedTo(minimum);
    if (grown != size)
        resize(grown); // keeps the top-left corner
    // A hidden window gets its resize event only when shown, so the outline is made here too.
    UpdateOutline();
    RunLayout();

    const QRect titleBar = GetTitleBarRect();
    const int result = UxSkinDialog::LoadSkin(skinPath);
    // The base reads the title bar's height only now; the header sits right under it.
    if (GetTitleBarRect() != titleBar)
        RunLayout();
    return result;
}

void CMainDlg::OnSize(int type, int cx, int cy)
{
    UxSkinDialog::OnSize(type, cx, cy);
    RunLayout();
    UpdateOutline();
}

void CMainDlg::UpdateOutline()
{
    WindowOutline::Apply(this, m_corners);
}

std::map<int, QRect> CMainDlg::CurrentRects() const
{
    std::map<int, QRect> rects;
    for (const auto& [id, widget] : m_controls)
        rects[toInt(id)] = widget->geometry();
    rects[toInt(ControlId::Status)] = m_pStatusBar->geometry();
    return rects;
}

shell::LayoutSpacing CMainDlg::Spacing() const
{
    return {m_spacing.nBottomMargin, m_spacing.nLeftMargin, m_spacing.nRightMargin, m_spacing.nVertGap,
            m_spacing.nHorzGap};
}

void CMainDlg::RunLayout()
{
    if (!m_pBrowse || !m_pStatusBar)
        return;
    const auto rects = shell::computeLayout(size(), GetTitleBarRect(), CurrentRects(), Spacing());
    for (const auto& [id, rect] : rects) {
        if (QWidget* item = Control(static_cast<ControlId>(id)))
            item->setGeometry(rect);
    }
    if (m_bInitialised) {
        m_pLocalList->FitColumn();
        m_pPspList->FitColumn();
    }
}

void CMainDlg::ExtendSystemMenu()
{
    QMenu* menu = systemMenu();
    if (!menu)
        return;
    m_pSysSeparator = menu->addSeparator();
    m_pChangeSkinAction = menu->addAction(QString(), this, [this] { OnSysCommand(IDM_CHANGE_SKIN); });
    m_pChangeSkinAction->setObjectName(QStringLiteral("changeSkin"));
    m_pLanguageMenu = new QMenu(this);
    m_pLanguageMenu->setObjectName(QStringLiteral("languageMenu"));
    menu->addMenu(m_pLanguageMenu);
    BuildLanguageMenu();
    AddConversionMenus(menu);
    m_pAboutAction = menu->addAction(QString(), this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    m_pAboutAction->setObjectName(QStringLiteral("aboutBox"));
    RefreshLanguage();
}

void CMainDlg::BuildLanguageMenu()
{
    const QString current = m_pLanguage->GetLanguage();
    for (int i = 0; i < m_pLanguage->GetNumLanguageStrings(); ++i) {
        const QString name = m_pLanguage->GetLanguageString(i);
        const int command = IDM_LANGUAGE_FIRST + i;
        QAction* action = m_pLanguageMenu->addAction(name, this, [this, command] { OnSysCommand(command); });
        action->setCheckable(true);
        action->setChecked(name == current);
        action->setData(command);
        m_languageActions << action;
    }
}

void CMainDlg::OnSysCommand(int command)
{
    // Every listed language has its own command value; none is lost to masking.
    if (command == IDM_ABOUTBOX)
        OnAbout();
    else if (command == IDM_CHANGE_SKIN)
        OnChangeSkin();
    else if (command >= IDM_LANGUAGE_FIRST && command < IDM_LANGUAGE_FIRST + m_languageActions.size())
        OnLanguage(command - IDM_LANGUAGE_FIRST);
}

void CMainDlg::OnAbout()
{
    // Window-modal and opened with open(): the window's one event loop goes on.
    if (m_pOpenDialog && m_pOpenDialog->isVisible())
        return m_pOpenDialog->activateWindow();
    auto* about = new CAboutDlg(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    m_pOpenDialog = about;
    about->open();
}

void CMainDlg::OnChangeSkin()
{
    if (m_pOpenDialog && m_pOpenDialog->isVisible())
        return m_pOpenDialog->activateWindow();
    // The chooser loads the chosen skin through the manager, which reaches LoadSkin.
    auto* chooser = new UxChooseSkinDlg(this, m_pSkinMgr, m_pPref);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &QDialog::finished, this, &CMainDlg::RepaintButtons);
    m_pOpenDialog = chooser;
    chooser->open();
}

void CMainDlg::OnLanguage(int index)
{
    m_pLanguage->SetLanguage(m_pLanguage->GetLanguageString(index));
    m_pPref->PutString(QStringLiteral("language"), m_pLanguage->GetLanguage());
    for (QAction* action : std::as_const(m_languageActions))
        action->setChecked(false);
    if (index >= 0 && index < m_languageActions.size())
        m_languageActions[index]->setChecked(true);
    RefreshLanguage();
    RepaintButtons();
}

void CMainDlg::RepaintButtons()
{
    for (UxButton* button : {m_pBrowse, m_pRefresh, m_pCopyTo, m_pCopyFrom, m_pMoveTo, m_pMoveFrom, m_pDelete, m_pAbout})
        button->update();
}

void CMainDlg::RefreshLanguage()
{
    UxSkinDialog::RefreshLanguage();
    if (!m_pBrowse)
        return;
    m_pPathLabel->setText(tr("Path:"));
    m_pBrowse->setText(tr("Browse"));
    m_pPspLabel->setText(tr("PSP:"));
    m_pMoveTo->setText(tr("Move->"));
    m_pCopyTo->setText(tr("Copy->"));
    m_pMoveFrom->setText(tr("<-Move"));
    m_pCopyFrom->setText(tr("<-Copy"));
    m_pDelete->setText(tr("Delete"));
    m_pAbout->setText(tr("About"));
    m_pRefresh->setText(tr("&Refresh"));
    m_pNextNumLabel->setText(tr("Next Num"));
    if (m_pStop)
        m_pStop->setText(tr("Stop"));
    RetranslateConversionMenus();
    RetranslateListCommands();
    if (m_pChangeSkinAction)
        m_pChangeSkinAction->setText(tr("Change skin..."));
    if (m_pLanguageMenu)
        m_pLanguageMenu->setTitle(tr("Lanaguage"));
    if (m_pAboutAction)
        m_pAboutAction->setText(tr("&About Reelkeeper..."));
}
