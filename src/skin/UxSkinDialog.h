// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "skin/UxSkinItem.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <initializer_list>

class QMenu;
class QAction;
class QSizeGrip;

/**
 * Skinned dialog base: a frameless window that paints the skin's background
 * picture and a title bar (icon, caption, minimise, maximise, close) and
 * behaves like a framed window: the title bar moves it, a double click
 * maximises, the edges and the grip resize, and the icon, a right click on
 * the title bar or Alt+Space open the window menu.
 *
 * Children are found by their control id: the object name is the id
 * ("1003") and the int property "controlId" holds it too.
 */
class UxSkinDialog : public QDialog, public UxSkinItem
{
    Q_OBJECT

public:
    /** Standard entries of the window menu, in menu order. */
    enum class SysCommand { Restore, Move, Size, Minimize, Maximize, Close };

    /** templateId is kept for callers; the layout is the derived class's. */
    explicit UxSkinDialog(int templateId = 0, QWidget* parent = nullptr);
    ~UxSkinDialog() override;

    int GetTemplateId() const { return m_templateId; }

    /** Reads the title bar values and the background picture from the skin
     *  folder and repaints. Returns nonzero. */
    int LoadSkin(const QString& skinPath) override;

    /** Re-translates the window's texts; called on QEvent::LanguageChange. */
    virtual void RefreshLanguage();

    /**
     * Called once by the base, before the window is first shown (not by the
     * derived class itself). Return value unused.
     */
    virtual bool OnInitDialog();
    /** Called after every size change with the new client size (type 0 normal,
     *  1 minimised, 2 maximised). The base has already placed its grip. */
    virtual void OnSize(int type, int cx, int cy);
    /** Paints the background and the title bar. Return value unused. */
    virtual bool OnEraseBkgnd(QPainter* painter);

    /** The smallest outer size allowed. */
    void SetMinWindowSize(int width, int height);
    QSize GetMinWindowSize() const;

    /** The title bar in client coordinates. */
    QRect GetTitleBarRect() const;
    /** The child with the control id, or nullptr. */
    QWidget* GetDlgItem(int id) const;
    /** A child's rectangle in client coordinates; null when there is none. */
    QRect GetDlgItemRect(int id) const;
    /** The largest width and largest height among the ids (ended by -1). */
    QSize GetDlgItemMaxSize(const int* ids) const;
    QSize GetDlgItemMaxSize(std::initializer_list<int> ids) const;

    /** Gives a child its control id (object name and "controlId"). */
    static void SetControlId(QWidget* child, int id);

    /**
     * Colour for the children's background (0x00BBGGRR) and its companion
     * value: the opacity in percent (0 to 100) with which the colour is laid
     * over the background below the title bar; 0 leaves the background as it
     * is.
     */
    void SetChildBgColor(quint32 colorRef, int companion = 0);
    quint32 GetChildBgColor() const { return m_childBgColor; }
    int GetChildBgCompanion() const { return m_childBgCompanion; }

    /** The window menu. Derived classes append their own entries to it. */
    QMenu* systemMenu() const { return m_sysMenu; }
    QAction* systemAction(SysCommand command) const;
    /** Opens the window menu at the global position (non-blocking). */
    void showSystemMenu(const QPoint& globalPos);
    /** Opens it under the title bar's icon. */
    void showSystemMenu();

    /** Title bar button rectangles in client coordinates (for tests and hit tests). */
    QRect iconRect() const;
    QRect minimizeButtonRect() const;
    QRect maximizeButtonRect() const;
    QRect closeButtonRect() const;

    /** Title bar height and resize border width of the current skin. */
    int titleBarHeight() const { return m_titleBarHeight; }
    int resizeBorder() const { return m_resizeBorder; }

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    enum class Hit { None, Icon, Caption, Minimize, Maximize, Close, Edge };
    enum class Drag { None, PendingMove, Move, Resize, KeyboardMove, KeyboardSize };

    Hit hitTest(const QPoint& pos) const;
    Qt::Edges edgesAt(const QPoint& pos) const;
    void updateCursor(const QPoint& pos);
    void toggleMaximized();
    void beginMove(const QPoint& globalPos);
    void beginResize(Qt::Edges edges, const QPoint& globalPos);
    void beginKeyboardOp(Drag op);
    void endDrag();
    void applyDrag(const QPoint& delta);
    bool handleKeyboardOpEvent(QEvent* e);
    void placeGripAndRepaint();
    void updateSystemMenu();
    void buildSystemMenu();
    void retranslateSystemMenu();
    void paintTitleBar(QPainter& p);
    void paintBackground(QPainter& p);

    int m_templateId = 0;
    bool m_initDone = false;
    QSize m_minSize;
    quint32 m_childBgColor = 0;
    int m_childBgCompanion = 0;

    // Skin values read by LoadSkin.
    QImage m_background;
    int m_titleBarHeight = 30;
    int m_resizeBorder = 5;
    int m_titleButtonWidth = 34;
    int m_bgSliceLeft = 8;
    int m_bgSliceRight = 8;
    int m_bgSliceBottom = 8;
    QColor m_captionColor;
    QColor m_captionInactiveColor;
    QColor m_titleButtonHover;
    QColor m_titleButtonPressed;
    int m_captionFontSize = 10;

    QMenu* m_sysMenu = nullptr;
    QAction* m_sysActions[6] = {};
    QSizeGrip* m_grip = nullptr;

    Hit m_hover = Hit::None;
    Hit m_pressed = Hit::None;
    Drag m_drag = Drag::None;
    Qt::Edges m_dragEdges;
    QPoint m_dragStartGlobal;
    QRect m_dragStartGeometry;
};
