#pragma once

#include <QList>
#include <QRect>

#include <memory>
#include <vector>

class QWidget;

// Dotted rectangles drawn straight on the screen, the way focus rectangles are drawn by
// exclusive-or on the whole screen's device context: drawing a rectangle that is shown erases
// it. Each one shows in a masked frameless window above all others, which needs no
// compositing manager. Destroying the object takes every rectangle off the screen.
class ScreenFeedback
{
public:
    ScreenFeedback();
    ~ScreenFeedback();
    ScreenFeedback(const ScreenFeedback &) = delete;
    ScreenFeedback &operator=(const ScreenFeedback &) = delete;

    // rect is in screen coordinates. An empty one is remembered but shows nothing.
    void DrawFocusRect(const QRect &rect);

    // The rectangles on the screen, oldest first.
    QList<QRect> Shown() const;

private:
    struct Outline
    {
        QRect rect;
        std::unique_ptr<QWidget> window;
    };

    static std::unique_ptr<QWidget> showOutline(const QRect &rect);

    std::vector<Outline> m_shown;
};
