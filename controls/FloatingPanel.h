#pragma once

#include "platform/AlignLayout.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class ScreenFeedback;
class TFloatForm;

// A container panel that adds, around the controls placed in it: a resize bar on the edge
// facing the rest of its parent, an optional grab handle along one edge, an optional close
// button in the handle band and an optional one-pixel bevel. Pressing on the handle and
// releasing floats the panel in a tool window of its own; the close button hides it.
//
// Its children align (by their stored "align") inside the rectangle that the child-layout
// step leaves them; the panel's own alignment in its parent is Align, stored as "align" like
// every other control's.
class TFloatingPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString BarName READ BarName WRITE setBarName)
    Q_PROPERTY(THandleType HandleType READ HandleType WRITE setHandleType)
    Q_PROPERTY(
        THandleOrientation HandleOrientation READ HandleOrientation WRITE setHandleOrientation)
    Q_PROPERTY(bool CloseButton READ CloseButton WRITE setCloseButton)
    Q_PROPERTY(bool ResizeBar READ ResizeBar WRITE setResizeBar)
    Q_PROPERTY(qint32 BarWidth READ BarWidth WRITE setBarWidth)
    Q_PROPERTY(bool Bevel READ Bevel WRITE setBevel)
    Q_PROPERTY(bool Floating READ Floating)

public:
    enum THandleType { htNone, htSingle, htDouble, htBig, htDoubleBig };
    Q_ENUM(THandleType)
    enum THandleOrientation { hoTop, hoLeft, hoBottom, hoRight };
    Q_ENUM(THandleOrientation)

    explicit TFloatingPanel(QWidget *parent = nullptr);
    ~TFloatingPanel() override;

    // Writing a value the property already has, or one outside its range, does nothing at all.
    QString BarName() const { return m_barName; }
    void setBarName(const QString &name);
    THandleType HandleType() const { return m_handleType; }
    void setHandleType(THandleType type);
    THandleOrientation HandleOrientation() const { return m_handleOrientation; }
    void setHandleOrientation(THandleOrientation orientation);
    bool CloseButton() const { return m_closeButton; }
    void setCloseButton(bool on);
    bool ResizeBar() const { return m_resizeBar; }
    void setResizeBar(bool on);
    qint32 BarWidth() const { return m_barWidth; }
    void setBarWidth(qint32 width);
    bool Bevel() const { return m_bevel; }
    void setBevel(bool on);
    bool Floating() const { return m_floating; }
    TAlign Align() const { return m_align; }
    void setAlign(TAlign align);

    // Makes the panel visible, then fires OnShow.
    void ShowPanel();
    // Docks a floating panel, then hides it and fires OnHide.
    void HidePanel();
    // Moves the panel into a new floating window, which is not shown yet.
    void Float();
    // Floats the panel and shows its window with its top-left corner at point (screen).
    void FloatAt(QPoint point);
    // Puts a floating panel back into the parent it came from, taking the window's size.
    void Defloat();

    // Where the last child-layout step put things, in client coordinates.
    QRect BevelRect() const { return m_bevelRect; }
    QRect HandleRect() const { return m_handleRect; }
    QRect BarRect() const { return m_barRect; }
    QRect CloseRect() const { return m_closeRect; }

    QWidget *FloatForm() const;
    bool Resizing() const { return m_resizing; }
    bool Dragging() const { return m_dragging; }
    bool ClosePressed() const { return m_closePressed; }
    // The screen feedback held while a drag is under way, else null.
    const ScreenFeedback *ScreenDC() const { return m_screenDC.get(); }

signals:
    void OnFloat();
    void OnDefloat();
    void OnShow();
    void OnHide();
    void OnSplit();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // One row of the handle geometry: band and grip strip thickness, number of grip bars.
    struct HandleGeometry
    {
        int band;
        int thickness;
        int bars;
    };
    static HandleGeometry handleGeometry(THandleType type);

    // The child-layout step: the bevel, handle and bar rectangles and the children's area.
    void AlignControls();
    void changed();
    int handleBand() const;
    bool hasBar() const;
    void placeInParent();

    void DrawRaised(QPainter &canvas, const QRect &rect);
    void DrawHandle(QPainter &canvas, const QRect &rect);
    void DrawGrip(QPainter &canvas, const QRect &rect);
    void DrawGripBars(QPainter &canvas, const QRect &strip);
    void DrawCloseButton(QPainter &canvas, const QRect &rect);
    void DrawDragFrame(const QRect &rect);

    void UpdateCursor(QPoint point);
    void setSizingCursor();
    void resetCursor();
    void pointerLeft();
    void watchForModalWindows();
    void endDrag();
    void cancelDrag();

    bool m_floating = false;
    QPointer<QWidget> m_savedParent;
    TFloatForm *m_floatForm = nullptr;
    int m_savedLeft = 0;
    int m_savedTop = 0;
    QString m_barName;
    THandleType m_handleType = htNone;
    THandleOrientation m_handleOrientation = hoTop;
    TAlign m_savedAlign = alNone;
    bool m_closeButton = false;
    QRect m_closeRect;
    bool m_closePressed = false;
    QRect m_handleRect;
    bool m_dragging = false;
    QPoint m_dragDownPoint;
    QRect m_dragRect;
    QRect m_dragStartRect;
    std::unique_ptr<ScreenFeedback> m_screenDC;
    bool m_resizeBar = false;
    qint32 m_barWidth = 5;
    QRect m_bevelRect;
    QRect m_barRect;
    int m_splitMin = 0;
    int m_splitMax = 0;
    QPoint m_splitDownPoint;
    QRect m_splitStartRect;
    QRect m_splitRect;
    bool m_resizing = false;
    bool m_bevel = true;
    TAlign m_align = alNone;
    // Whether this panel holds the application's cursor override.
    bool m_cursorSet = false;
    // The close glyph is drawn by the one repaint at the release of the close button.
    bool m_closeGlyph = false;
};
