#pragma once

#include <QImage>
#include <QWidget>

class QAccessibleInterface;
class QPainter;

#include <functional>

// A paint surface. Its picture lives in a canvas image the size of the widget: OnPaint paints
// the whole canvas when the surface is repainted at once or resized, and anyone may draw onto
// the canvas in between and show what they drew. A paint event that only has to show the
// surface again (an expose, a grab) puts the canvas on screen as it is.
class TPaintBox : public QWidget
{
    Q_OBJECT

public:
    using PaintHandler = std::function<void()>;
    using MouseHandler = std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)>;
    using OverlayHandler = std::function<void(QPainter &)>;
    using AccessibleHandler = std::function<QAccessibleInterface *(TPaintBox *)>;

    explicit TPaintBox(QWidget *parent = nullptr);

    // Paints into Canvas(); a painter opened there starts with the black 1-pixel pen.
    PaintHandler OnPaint;
    // Every button press, with the point relative to the surface's top-left corner.
    MouseHandler OnMouseDown;
    // Paints over the canvas whenever the surface is shown, never into it: what it draws
    // (a focus frame) comes and goes with update() and leaves the canvas as it was.
    OverlayHandler OnOverlay;
    // Makes what assistive technology reads of the surface; unset, it is a plain widget. Set
    // it before the surface is shown: the first interface made is kept for good.
    AccessibleHandler OnAccessible;

    // For QAccessible::installFactory: asks the surface's OnAccessible.
    static QAccessibleInterface *accessibleFactory(const QString &className, QObject *object);

    // Null while the surface is empty or too large to hold. It has the screen's device pixel
    // ratio: at 100 % one pixel a pixel of the surface. Repainted first if a repaint is due.
    QImage &Canvas();

    // The canvas is repainted by OnPaint before anyone draws on it or it is shown, whichever
    // comes first; the screen follows at the next pass of the event loop. So a flood of
    // repaints (a peer's moves) costs one paint, and what is drawn after this call lands on
    // the fresh picture.
    void Repaint();
    // Puts the given part of the canvas on screen now, as it is.
    void ShowCanvas(const QRect &area);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool canvasFits() const;
    void paintCanvas();

    QImage m_canvas;
    bool m_stale = false;
};
