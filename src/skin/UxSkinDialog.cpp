#include "skin/UxSkinDialog.h"

#include <QMenu>

UxSkinDialog::UxSkinDialog(int templateId, QWidget* parent) : QDialog(parent), m_templateId(templateId)
{
    SetSkinWindow(this);
    m_sysMenu = new QMenu(this);
}
UxSkinDialog::~UxSkinDialog() = default;
int UxSkinDialog::LoadSkin(const QString&) { return 1; }
void UxSkinDialog::RefreshLanguage() {}
bool UxSkinDialog::OnInitDialog() { return true; }
void UxSkinDialog::DoDataExchange() {}
void UxSkinDialog::OnSize(int, int, int) {}
bool UxSkinDialog::OnEraseBkgnd(QPainter*) { return true; }
void UxSkinDialog::SetMinWindowSize(int w, int h) { m_minSize = QSize(w, h); setMinimumSize(m_minSize); }
QSize UxSkinDialog::GetMinWindowSize() const { return m_minSize; }
QRect UxSkinDialog::GetTitleBarRect() const { return QRect(0, 0, width(), m_titleBarHeight); }
QWidget* UxSkinDialog::GetDlgItem(int id) const { return findChild<QWidget*>(QString::number(id)); }
QRect UxSkinDialog::GetDlgItemRect(int id) const
{
    QWidget* w = GetDlgItem(id);
    return w ? QRect(w->mapTo(this, QPoint(0, 0)), w->size()) : QRect();
}
QSize UxSkinDialog::GetDlgItemMaxSize(const int* ids) const
{
    QSize s(0, 0);
    for (; ids && *ids != -1; ++ids)
        s = s.expandedTo(GetDlgItemRect(*ids).size());
    return s;
}
QSize UxSkinDialog::GetDlgItemMaxSize(std::initializer_list<int> ids) const
{
    QSize s(0, 0);
    for (int id : ids)
        s = s.expandedTo(GetDlgItemRect(id).size());
    return s;
}
void UxSkinDialog::SetControlId(QWidget* child, int id)
{
    child->setObjectName(QString::number(id));
    child->setProperty("controlId", id);
}
void UxSkinDialog::SetChildBgColor(quint32 c, int v) { m_childBgColor = c; m_childBgCompanion = v; }
QAction* UxSkinDialog::systemAction(SysCommand c) const { return m_sysActions[int(c)]; }
void UxSkinDialog::showSystemMenu(const QPoint& p) { m_sysMenu->popup(p); }
void UxSkinDialog::showSystemMenu() { showSystemMenu(mapToGlobal(iconRect().bottomLeft())); }
QRect UxSkinDialog::iconRect() const { return {}; }
QRect UxSkinDialog::minimizeButtonRect() const { return {}; }
QRect UxSkinDialog::maximizeButtonRect() const { return {}; }
QRect UxSkinDialog::closeButtonRect() const { return {}; }
bool UxSkinDialog::event(QEvent* e) { return QDialog::event(e); }
void UxSkinDialog::showEvent(QShowEvent* e) { QDialog::showEvent(e); }
void UxSkinDialog::resizeEvent(QResizeEvent* e) { QDialog::resizeEvent(e); }
void UxSkinDialog::paintEvent(QPaintEvent* e) { QDialog::paintEvent(e); }
void UxSkinDialog::changeEvent(QEvent* e) { QDialog::changeEvent(e); }
void UxSkinDialog::mousePressEvent(QMouseEvent* e) { QDialog::mousePressEvent(e); }
void UxSkinDialog::mouseMoveEvent(QMouseEvent* e) { QDialog::mouseMoveEvent(e); }
void UxSkinDialog::mouseReleaseEvent(QMouseEvent* e) { QDialog::mouseReleaseEvent(e); }
void UxSkinDialog::mouseDoubleClickEvent(QMouseEvent* e) { QDialog::mouseDoubleClickEvent(e); }
void UxSkinDialog::keyPressEvent(QKeyEvent* e) { QDialog::keyPressEvent(e); }
void UxSkinDialog::leaveEvent(QEvent* e) { QDialog::leaveEvent(e); }
