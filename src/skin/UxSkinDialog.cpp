#include "skin/UxSkinDialog.h"

#include "skin/GlobalHelper.h"
#include "skin/UxSkinInfo.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QSizeGrip>
#include <QWindow>

namespace {

constexpr int kIconSize = 16;
constexpr int kGripSize = 14;

// Draws src into dst keeping left/right columns and the bottom rows unscaled.
void drawSliced(QPainter& p, const QRect& dst, const QImage& img, const QRect& src, int left, int right, int bottom)
{
    left = std::clamp(left, 0, std::min(src.width(), dst.width()) / 2);
    right = std::clamp(right, 0, std::min(src.width(), dst.width()) / 2);
    bottom = std::clamp(bottom, 0, std::min(src.height(), dst.height()) / 2);
    const int sMidW = src.width() - left - right;
    const int dMidW = dst.width() - left - right;
    const int sMidH = src.height() - bottom;
    const int dMidH = dst.height() - bottom;
    const auto row = [&](int sy, int sh, int dy, int dh) {
        if (sh <= 0 || dh <= 0)
            return;
        p.drawImage(QRect(dst.left(), dy, left, dh), img, QRect(src.left(), sy, left, sh));
        p.drawImage(QRect(dst.left() + left, dy, dMidW, dh), img, QRect(src.left() + left, sy, sMidW, sh));
        p.drawImage(QRect(dst.right() + 1 - right, dy, right, dh), img,
                    QRect(src.right() + 1 - right, sy, right, sh));
    };
    row(src.top(), sMidH, dst.top(), dMidH);
    row(src.top() + sMidH, bottom, dst.top() + dMidH, bottom);
}

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

void UxSkinDialog::buildSystemMenu()
{
    m_sysMenu = new QMenu(this);
    m_sysMenu->setObjectName(QStringLiteral("systemMenu"));
    static const char* const names[] = {"sysRestore", "sysMove", "sysSize", "sysMinimize", "sysMaximize", "sysClose"};
    for (int i = 0; i < 6; ++i) {
        m_sysActions[i] = new QAction(this);
        m_sysActions[i]->setObjectName(QString::fromLatin1(names[i]));
        if (i == int(SysCommand::Close))
            m_sysMenu->addSeparator();
        m_sysMenu->addAction(m_sysActions[i]);
    }
    QAction* close = m_sysActions[int(SysCommand::Close)];
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    addAction(close); // so Alt+F4 works while the menu is closed
    connect(m_sysActions[int(SysCommand::Restore)], &QAction::triggered, this, &QWidget::showNormal);
    connect(m_sysActions[int(SysCommand::Move)], &QAction::triggered, this,
            [this] { beginKeyboardOp(Drag::KeyboardMove); });
    connect(m_sysActions[int(SysCommand::Size)], &QAction::triggered, this,
            [this] { beginKeyboardOp(Drag::KeyboardSize); });
    connect(m_sysActions[int(SysCommand::Minimize)], &QAction::triggered, this, &QWidget::showMinimized);
    connect(m_sysActions[int(SysCommand::Maximize)], &QAction::triggered, this, &QWidget::showMaximized);
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(m_sysMenu, &QMenu::aboutToShow, this, &UxSkinDialog::updateSystemMenu);
    retranslateSystemMenu();
    updateSystemMenu();
}

void UxSkinDialog::retranslateSystemMenu()
{
    m_sysActions[int(SysCommand::Restore)]->setText(tr("&Restore"));
    m_sysActions[int(SysCommand::Move)]->setText(tr("&Move"));
    m_sysActions[int(SysCommand::Size)]->setText(tr("&Size"));
    m_sysActions[int(SysCommand::Minimize)]->setText(tr("Mi&nimize"));
    m_sysActions[int(SysCommand::Maximize)]->setText(tr("Ma&ximize"));
    m_sysActions[int(SysCommand::Close)]->setText(tr("&Close"));
}

void UxSkinDialog::updateSystemMenu()
{
    const bool max = isMaximized();
    const bool min = isMinimized();
    m_sysActions[int(SysCommand::Restore)]->setEnabled(max || min);
    m_sysActions[int(SysCommand::Move)]->setEnabled(!max && !min);
    m_sysActions[int(SysCommand::Size)]->setEnabled(!max && !min);
    m_sysActions[int(SysCommand::Minimize)]->setEnabled(!min);
    m_sysActions[int(SysCommand::Maximize)]->setEnabled(!max);
}

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

void UxSkinDialog::DoDataExchange() {}

void UxSkinDialog::OnSize(int, int, int) {}

bool UxSkinDialog::OnEraseBkgnd(QPainter* painter)
{
    if (!painter)
        return false;
    paintBackground(*painter);
    paintTitleBar(*painter);
    return true;
}

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

QAction* UxSkinDialog::systemAction(SysCommand command) const { return m_sysActions[int(command)]; }

void UxSkinDialog::showSystemMenu(const QPoint& globalPos)
{
    updateSystemMenu();
    m_sysMenu->popup(globalPos);
}

void UxSkinDialog::showSystemMenu() { showSystemMenu(mapToGlobal(QPoint(0, m_titleBarHeight))); }

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

void UxSkinDialog::beginKeyboardOp(Drag op)
{
    if (isMaximized() || isMinimized())
        return;
    m_drag = op;
    m_dragEdges = Qt::RightEdge | Qt::BottomEdge;
    m_dragStartGlobal = QCursor::pos();
    m_dragStartGeometry = geometry();
    setCursor(op == Drag::KeyboardMove ? Qt::SizeAllCursor : Qt::SizeFDiagCursor);
    grabMouse();
    grabKeyboard();
    // Keys and clicks may still reach a child (or a derived class's own key
    // handling) first where the window system does not grab; catch them all.
    qApp->installEventFilter(this);
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
        DoDataExchange();
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

void UxSkinDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    OnEraseBkgnd(&p);
}

void UxSkinDialog::paintBackground(QPainter& p)
{
    const int th = m_titleBarHeight;
    const QRect title(0, 0, width(), th);
    const QRect body(0, th, width(), std::max(0, height() - th));
    if (!m_background.isNull() && m_background.height() > th) {
        drawSliced(p, title, m_background, QRect(0, 0, m_background.width(), th), m_bgSliceLeft, m_bgSliceRight, 0);
        drawSliced(p, body, m_background, QRect(0, th, m_background.width(), m_background.height() - th),
                   m_bgSliceLeft, m_bgSliceRight, m_bgSliceBottom);
    } else {
        // Built-in look for a skin without a usable background picture.
        QLinearGradient tg(title.topLeft(), title.bottomLeft());
        tg.setColorAt(0, QColor(0x3A, 0x5F, 0x8F));
        tg.setColorAt(1, QColor(0x24, 0x40, 0x66));
        p.fillRect(title, tg);
        QLinearGradient bg(body.topLeft(), body.bottomLeft());
        bg.setColorAt(0, QColor(0xEE, 0xF1, 0xF5));
        bg.setColorAt(1, QColor(0xD6, 0xDC, 0xE4));
        p.fillRect(body, bg);
        p.setPen(QColor(0x24, 0x40, 0x66));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_childBgCompanion > 0) {
        QColor overlay = GlobalHelper::ColorFromRef(m_childBgColor);
        overlay.setAlpha(std::clamp(m_childBgCompanion, 0, 100) * 255 / 100);
        p.fillRect(body, overlay);
    }
}

void UxSkinDialog::paintTitleBar(QPainter& p)
{
    const int th = m_titleBarHeight;
    const QColor fg = isActiveWindow() ? m_captionColor : m_captionInactiveColor;

    // Icon: the window's, or a small drawn reel.
    const QRect ir = iconRect();
    const QIcon icon = windowIcon();
    if (!icon.isNull()) {
        icon.paint(&p, ir);
    } else {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(fg, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(ir).adjusted(1.5, 1.5, -1.5, -1.5));
        p.setBrush(fg);
        const QPointF c = QRectF(ir).center();
        for (int i = 0; i < 4; ++i) {
            const double a = i * 3.14159265 / 2;
            p.drawEllipse(c + QPointF(4 * std::cos(a), 4 * std::sin(a)), 1.5, 1.5);
        }
        p.restore();
    }

    // Caption.
    QFont f = font();
    f.setPointSize(m_captionFontSize);
    f.setBold(true);
    p.setFont(f);
    p.setPen(fg);
    const int textLeft = ir.right() + 8;
    const QRect textRect(textLeft, 0, std::max(0, minimizeButtonRect().left() - textLeft - 4), th);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(f).elidedText(windowTitle(), Qt::ElideRight, textRect.width()));

    // Buttons.
    const auto button = [&](Hit which, const QRect& r) {
        if (m_pressed == which && m_hover == which)
            p.fillRect(r, which == Hit::Close ? QColor(0xB0, 0x1E, 0x1E) : m_titleButtonPressed);
        else if (m_hover == which)
            p.fillRect(r, which == Hit::Close ? QColor(0xD9, 0x30, 0x30) : m_titleButtonHover);
        const QPoint c = r.center();
        const int s = std::max(4, std::min(r.width(), r.height()) / 4);
        p.save();
        p.setPen(QPen(fg, 1));
        p.setBrush(Qt::NoBrush);
        switch (which) {
        case Hit::Minimize:
            p.drawLine(c.x() - s, c.y() + s / 2, c.x() + s, c.y() + s / 2);
            break;
        case Hit::Maximize:
            if (isMaximized()) {
                p.drawRect(c.x() - s, c.y() - s + 2, 2 * s - 2, 2 * s - 2);
                p.drawLine(c.x() - s + 2, c.y() - s, c.x() + s, c.y() - s);
                p.drawLine(c.x() + s, c.y() - s, c.x() + s, c.y() + s - 2);
            } else {
                p.drawRect(c.x() - s, c.y() - s, 2 * s, 2 * s);
            }
            break;
        case Hit::Close:
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(fg, 1.4));
            p.drawLine(QPointF(c.x() - s + 0.5, c.y() - s + 0.5), QPointF(c.x() + s + 0.5, c.y() + s + 0.5));
            p.drawLine(QPointF(c.x() + s + 0.5, c.y() - s + 0.5), QPointF(c.x() - s + 0.5, c.y() + s + 0.5));
            break;
        default:
            break;
        }
        p.restore();
    };
    button(Hit::Minimize, minimizeButtonRect());
    button(Hit::Maximize, maximizeButtonRect());
    button(Hit::Close, closeButtonRect());
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

bool UxSkinDialog::handleKeyboardOpEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(e);
        QPoint step;
        switch (key->key()) {
        case Qt::Key_Left: step = QPoint(-8, 0); break;
        case Qt::Key_Right: step = QPoint(8, 0); break;
        case Qt::Key_Up: step = QPoint(0, -8); break;
        case Qt::Key_Down: step = QPoint(0, 8); break;
        case Qt::Key_Escape:
            setGeometry(m_dragStartGeometry);
            endDrag();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            endDrag();
            return true;
        default:
            return true;
        }
        // Arrow keys shift the start point, so mouse and keys combine.
        m_dragStartGlobal -= step;
        applyDrag(QCursor::pos() - m_dragStartGlobal);
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseMove:
        applyDrag(static_cast<QMouseEvent*>(e)->globalPosition().toPoint() - m_dragStartGlobal);
        return true;
    case QEvent::MouseButtonPress:
        endDrag(); // a click ends a move or size begun from the menu
        return true;
    default:
        return false;
    }
}

bool UxSkinDialog::eventFilter(QObject* watched, QEvent* e)
{
    if ((m_drag == Drag::KeyboardMove || m_drag == Drag::KeyboardSize) && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        if (handleKeyboardOpEvent(e))
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

void UxSkinDialog::leaveEvent(QEvent* e)
{
    if (m_hover != Hit::None) {
        m_hover = Hit::None;
        update(GetTitleBarRect());
    }
    QDialog::leaveEvent(e);
}
