#include "ScreenFeedback.h"

#include <QImage>
#include <QPalette>
#include <QRegion>
#include <QWidget>

#include <algorithm>

ScreenFeedback::ScreenFeedback() = default;

ScreenFeedback::~ScreenFeedback() = default;

void ScreenFeedback::DrawFocusRect(const QRect &rect)
{
    const auto shown = std::find_if(m_shown.begin(), m_shown.end(),
                                    [&](const Outline &outline) { return outline.rect == rect; });
    if (shown != m_shown.end())
        m_shown.erase(shown);
    else
        m_shown.push_back({rect, showOutline(rect)});
}

QList<QRect> ScreenFeedback::Shown() const
{
    QList<QRect> rects;
    for (const Outline &outline : m_shown)
        rects << outline.rect;
    return rects;
}

std::unique_ptr<QWidget> ScreenFeedback::showOutline(const QRect &rect)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return nullptr;
    // Bypassing the window manager keeps it from placing, decorating or focusing the window;
    // the pointer goes through to whatever lies below.
    auto window = std::make_unique<QWidget>(
        nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                     Qt::BypassWindowManagerHint | Qt::WindowTransparentForInput |
                     Qt::WindowDoesNotAcceptFocus);
    window->setAttribute(Qt::WA_ShowWithoutActivating);

    // Black and white pixels in turn stay visible on any background.
    QImage dots(2, 2, QImage::Format_RGB32);
    dots.fill(Qt::white);
    dots.setPixel(0, 0, qRgb(0, 0, 0));
    dots.setPixel(1, 1, qRgb(0, 0, 0));
    QPalette palette;
    palette.setBrush(QPalette::Window, QBrush(dots));
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    window->setGeometry(rect);
    const QRegion whole(0, 0, rect.width(), rect.height());
    window->setMask(rect.width() > 2 && rect.height() > 2
                        ? whole.subtracted(QRegion(1, 1, rect.width() - 2, rect.height() - 2))
                        : whole);
    window->show();
    return window;
}
