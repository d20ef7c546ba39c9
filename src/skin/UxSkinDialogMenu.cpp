// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The skinned dialog's window menu and the moves and resizes begun from it.
#include "skin/UxSkinDialog.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

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

void UxSkinDialog::showSystemMenu(const QPoint& globalPos)
{
    updateSystemMenu();
    m_sysMenu->popup(globalPos);
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

QAction* UxSkinDialog::systemAction(SysCommand command) const { return m_sysActions[int(command)]; }
void UxSkinDialog::showSystemMenu() { showSystemMenu(mapToGlobal(QPoint(0, m_titleBarHeight))); }
