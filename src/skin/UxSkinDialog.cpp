// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxSkinDialog.h"

#include "skin/GlobalHelper.h"
#include "skin/UxSkinInfo.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QSizeGrip>
#include <QWindow>

namespace {

constexpr int kIconSize = 16;
constexpr int kGripSize = 14;

QColor colourOrDefault(const UxSkinInfo& info, const char* key, quint32 def)
{
    return GlobalHelper::ColorFromRef(quint32(info.GetInt(QString::fromLatin1(key), int(def))));
}

} // namespace

UxSkinDialog::UxSkinDialog(int templateId, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinMaxButtonsHint),
      m_templateId(templateId)
{
    SetSkinWindow(this);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setSizeGripEnabled(false);

    m_captionColor = QColor(Qt::white);
    m_captionInactiveColor = QColor(0xD0, 0xD4, 0xDC);
    m_titleButtonHover = QColor(255, 255, 255, 60);
    m_titleButtonPressed = QColor(0, 0, 0, 60);

    m_grip = new QSizeGrip(this);
    m_grip->resize(kGripSize, kGripSize);

    buildSystemMenu();
    auto* altSpace = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(altSpace, &QShortcut::activated, this, [this] { showSystemMenu(); });
}

UxSkinDialog::~UxSkinDialog() = default;

int UxSkinDialog::LoadSkin(const QString& skinPath)
{
    const UxSkinInfo info(skinPath);
    m_titleBarHeight = std::clamp(info.GetInt(QStringLiteral("TitleBarHeight"), 30), 18, 80);
    m_resizeBorder = std::clamp(info.GetInt(QStringLiteral("ResizeBorder"), 5), 1, 16);
    m_titleButtonWidth = std::clamp(info.GetInt(QStringLiteral("TitleButtonWidth"), 34), 16, 80);
    m_captionFontSize = std::clamp(info.GetInt(QStringLiteral("CaptionFontSize"), 10), 6, 24);
    m_bgSliceLeft = std::max(0, info.GetInt(QStringLiteral("Bg_SliceLeft"), 8));
    m_bgSliceRight = std::max(0, info.GetInt(QStringLiteral("Bg_SliceRight"), 8));
    m_bgSliceBottom = std::max(0, info.GetInt(QStringLiteral("Bg_SliceBottom"), 8));
    m_captionColor = colourOrDefault(info, "CaptionColor", 0x00FFFFFF);
    m_captionInactiveColor = colourOrDefault(info, "CaptionInactiveColor", 0x00DCD4D0);
    QColor hover = colourOrDefault(info, "TitleButtonHoverColor", 0x00FFFFFF);
    hover.setAlpha(60);
    m_titleButtonHover = hover;
    // Labels take the window's text colour, so a dark skin can keep them readable.
    QPalette pal = palette();
    const quint32 text = quint32(info.GetInt(QStringLiteral("TextColor"), -1));
    pal.setColor(QPalette::WindowText, text == 0xFFFFFFFFu
                                           ? QApplication::palette().color(QPalette::WindowText)
                                           : GlobalHelper::ColorFromRef(text));
    setPalette(pal);
    m_background = info.LoadPicture(GetBgPictureName());
    if (!m_background.isNull())
        m_background = m_background.convertToFormat(QImage::Format_RGB32);
    placeGripAndRepaint();
    return 1;
}

void UxSkinDialog::placeGripAndRepaint()
{
    m_grip->move(width() - kGripSize - 2, height() - kGripSize - 2);
    m_grip->setVisible(!isMaximized() && !isMinimized());
    m_grip->raise();
    update();
}

void UxSkinDialog::RefreshLanguage() {}

bool UxSkinDialog::OnInitDialog() { return true; }


void UxSkinDialog::OnSize(int, int, int) {}

void UxSkinDialog::SetMinWindowSize(int width, int height)
{
    m_minSize = QSize(std::max(0, width), std::max(0, height));
    setMinimumSize(m_minSize);
}

QSize UxSkinDialog::GetMinWindowSize() const { return m_minSize; }

QRect UxSkinDialog::GetTitleBarRect() const { return QRect(0, 0, width(), m_titleBarHeight); }

QWidget* UxSkinDialog::GetDlgItem(int id) const
{
    const QString name = QString::number(id);
    const QList<QWidget*> all = findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (w->objectName() == name)
            return w;
    }
    for (QWidget* w : all) {
        bool ok = false;
        if (w->property("controlId").toInt(&ok) == id && ok)
            return w;
    }
    return nullptr;
}

QRect UxSkinDialog::GetDlgItemRect(int id) const
{
    const QWidget* w = GetDlgItem(id);
    if (!w)
        return QRect();
    return QRect(w->mapTo(this, QPoint(0, 0)), w->size());
}

QSize UxSkinDialog::GetDlgItemMaxSize(const int* ids) const
{
    QSize largest(0, 0);
    for (; ids && *ids != -1; ++ids)
        largest = largest.expandedTo(GetDlgItemRect(*ids).size());
    return largest;
}

QSize UxSkinDialog::GetDlgItemMaxSize(std::initializer_list<int> ids) const
{
    QSize largest(0, 0);
    for (int id : ids) {
        if (id == -1)
            break;
        largest = largest.expandedTo(GetDlgItemRect(id).size());
    }
    return largest;
}

void UxSkinDialog::SetControlId(QWidget* child, int id)
{
    if (!child)
        return;
    child->setObjectName(QString::number(id));
    child->setProperty("controlId", id);
}

void UxSkinDialog::SetChildBgColor(quint32 colorRef, int companion)
{
    m_childBgColor = colorRef;
    m_childBgCompanion = companion;
    update();
}

QRect UxSkinDialog::iconRect() const
{
    return QRect(8, (m_titleBarHeight - kIconSize) / 2, kIconSize, kIconSize);
}

QRect UxSkinDialog::closeButtonRect() const
{
    return QRect(width() - m_titleButtonWidth, 0, m_titleButtonWidth, m_titleBarHeight);
}

QRect UxSkinDialog::maximizeButtonRect() const { return closeButtonRect().translated(-m_titleButtonWidth, 0); }

QRect UxSkinDialog::minimizeButtonRect() const { return closeButtonRect().translated(-2 * m_titleButtonWidth, 0); }

Qt::Edges UxSkinDialog::edgesAt(const QPoint& pos) const
{
    Qt::Edges edges;
    if (isMaximized() || isMinimized())
        return edges;
    const int b = m_resizeBorder;
    if (pos.x() < b)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - b)
        edges |= Qt::RightEdge;
    if (pos.y() < b)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - b)
        edges |= Qt::BottomEdge;
    return edges;
}

UxSkinDialog::Hit UxSkinDialog::hitTest(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return Hit::None;
    if (edgesAt(pos))
        return Hit::Edge;
    if (pos.y() >= m_titleBarHeight)
        return Hit::None;
    if (closeButtonRect().contains(pos))
        return Hit::Close;
    if (maximizeButtonRect().contains(pos))
        return Hit::Maximize;
    if (minimizeButtonRect().contains(pos))
        return Hit::Minimize;
    if (iconRect().adjusted(-4, -4, 4, 4).contains(pos))
        return Hit::Icon;
    return Hit::Caption;
}

void UxSkinDialog::updateCursor(const QPoint& pos)
{
    const Qt::Edges e = edgesAt(pos);
    if ((e & Qt::LeftEdge && e & Qt::TopEdge) || (e & Qt::RightEdge && e & Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if ((e & Qt::RightEdge && e & Qt::TopEdge) || (e & Qt::LeftEdge && e & Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (e & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (e & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void UxSkinDialog::toggleMaximized()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void UxSkinDialog::beginMove(const QPoint& globalPos)
{
    if (isMaximized())
        return;
    // The move starts once the mouse has travelled a little, so that a double
    // click still reaches the title bar.
    m_drag = Drag::PendingMove;
    m_dragStartGlobal = globalPos;
    m_dragStartGeometry = geometry();
}

void UxSkinDialog::beginResize(Qt::Edges edges, const QPoint& globalPos)
{
    if (QWindow* handle = windowHandle(); handle && handle->startSystemResize(edges))
        return;
    m_drag = Drag::Resize;
    m_dragEdges = edges;
    m_dragStartGlobal = globalPos;
    m_dragStartGeometry = geometry();
}

void UxSkinDialog::endDrag()
{
    if (m_drag == Drag::KeyboardMove || m_drag == Drag::KeyboardSize) {
        qApp->removeEventFilter(this);
        releaseMouse();
        releaseKeyboard();
        unsetCursor();
    }
    m_drag = Drag::None;
}

void UxSkinDialog::applyDrag(const QPoint& delta)
{
    if (m_drag == Drag::Move || m_drag == Drag::KeyboardMove) {
        move(m_dragStartGeometry.topLeft() + delta);
        return;
    }
    QRect g = m_dragStartGeometry;
    const QSize minimum = minimumSize().expandedTo(QSize(1, 1));
    if (m_dragEdges & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - minimum.width()));
    if (m_dragEdges & Qt::RightEdge)
        g.setRight(std::max(g.right() + delta.x(), g.left() + minimum.width() - 1));
    if (m_dragEdges & Qt::TopEdge)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - minimum.height()));
    if (m_dragEdges & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() + minimum.height() - 1));
    setGeometry(g);
}

bool UxSkinDialog::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        update(GetTitleBarRect());
        break;
    default:
        break;
    }
    return QDialog::event(e);
}

void UxSkinDialog::showEvent(QShowEvent* e)
{
    if (!m_initDone) {
        m_initDone = true;
        OnInitDialog();
    }
    QDialog::showEvent(e);
}

void UxSkinDialog::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    placeGripAndRepaint();
    OnSize(isMinimized() ? 1 : isMaximized() ? 2 : 0, width(), height());
}

void UxSkinDialog::changeEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::LanguageChange:
        retranslateSystemMenu();
        RefreshLanguage();
        break;
    case QEvent::WindowStateChange:
        updateSystemMenu();
        placeGripAndRepaint();
        break;
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
        update(GetTitleBarRect());
        break;
    default:
        break;
    }
    QDialog::changeEvent(e);
}

void UxSkinDialog::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    const Hit hit = hitTest(pos);
    if (e->button() == Qt::RightButton && (hit == Hit::Caption || hit == Hit::Icon)) {
        showSystemMenu(global);
        e->accept();
        return;
    }
    if (e->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(e);
        return;
    }
    switch (hit) {
    case Hit::Edge:
        beginResize(edgesAt(pos), global);
        break;
    case Hit::Icon:
        showSystemMenu();
        break;
    case Hit::Minimize:
    case Hit::Maximize:
    case Hit::Close:
        m_pressed = hit;
        m_hover = hit;
        update(GetTitleBarRect());
        break;
    case Hit::Caption:
        beginMove(global);
        break;
    case Hit::None:
        QDialog::mousePressEvent(e);
        return;
    }
    e->accept();
}

void UxSkinDialog::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (m_drag == Drag::PendingMove) {
        const QPoint delta = e->globalPosition().toPoint() - m_dragStartGlobal;
        if (delta.manhattanLength() >= QApplication::startDragDistance()) {
            // The window system moves the window when it can; otherwise follow the mouse.
            if (QWindow* handle = windowHandle(); handle && handle->startSystemMove()) {
                m_drag = Drag::None;
            } else {
                m_drag = Drag::Move;
                applyDrag(delta);
            }
        }
        e->accept();
        return;
    }
    if (m_drag != Drag::None) {
        applyDrag(e->globalPosition().toPoint() - m_dragStartGlobal);
        e->accept();
        return;
    }
    const Hit hit = hitTest(pos);
    const Hit hover = (hit == Hit::Minimize || hit == Hit::Maximize || hit == Hit::Close) ? hit : Hit::None;
    if (hover != m_hover) {
        m_hover = hover;
        update(GetTitleBarRect());
    }
    updateCursor(pos);
    QDialog::mouseMoveEvent(e);
}

void UxSkinDialog::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_drag == Drag::PendingMove || m_drag == Drag::Move || m_drag == Drag::Resize) {
        endDrag();
        e->accept();
        return;
    }
    if (e->button() == Qt::LeftButton && m_pressed != Hit::None) {
        const Hit pressed = m_pressed;
        m_pressed = Hit::None;
        update(GetTitleBarRect());
        if (hitTest(e->position().toPoint()) == pressed) {
            if (pressed == Hit::Minimize)
                showMinimized();
            else if (pressed == Hit::Maximize)
                toggleMaximized();
            else if (pressed == Hit::Close)
                close();
        }
        e->accept();
        return;
    }
    QDialog::mouseReleaseEvent(e);
}

void UxSkinDialog::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && hitTest(e->position().toPoint()) == Hit::Caption) {
        endDrag();
        toggleMaximized();
        e->accept();
        return;
    }
    QDialog::mouseDoubleClickEvent(e);
}

void UxSkinDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space && (e->modifiers() & Qt::AltModifier)) {
        showSystemMenu();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void UxSkinDialog::leaveEvent(QEvent* e)
{
    if (m_hover != Hit::None) {
        m_hover = Hit::None;
        update(GetTitleBarRect());
    }
    QDialog::leaveEvent(e);
}
