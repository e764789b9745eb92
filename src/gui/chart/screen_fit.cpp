#include "gui/chart/screen_fit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace fee::ui {

namespace {

// A title bar of two lines of text and thin edges.
QMargins guessed_frame(const QFontMetrics& metrics)
{
    const int line = metrics.height();
    return {line / 2, 2 * line, line / 2, line / 2};
}

} // namespace

ScreenFit::ScreenFit(QWidget& window, QSize wanted, QSize smallest)
    : QObject(&window), window_(window), smallest_(smallest)
{
    window.resize(wanted);
    fit(guessed_frame(window.fontMetrics()));
    window.installEventFilter(this);
}

// The frame is known once the window manager has framed the window; the first
// time, the guess made before is checked.
bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || event->type() != QEvent::Move || framed_)
        return false;
    const QRect frame = window_.frameGeometry();
    const QRect inner = window_.geometry();
    if (frame == inner)
        return false;
    framed_ = true;
    if (!window_.screen()->availableGeometry().contains(frame))
        fit({inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
             frame.bottom() - inner.bottom()});
    return false;
}

void ScreenFit::fit(QMargins frame)
{
    const QRect room = window_.screen()->availableGeometry();
    const QSize inside = room.size().shrunkBy(frame);
    window_.setMinimumSize(smallest_.boundedTo(inside));
    window_.resize(window_.size().boundedTo(inside));
    const QSize outside = window_.size().grownBy(frame);
    window_.move(room.x() + std::max(0, room.width() - outside.width()) / 2,
                 room.y() + std::max(0, room.height() - outside.height()) / 2);
}

} // namespace fee::ui
