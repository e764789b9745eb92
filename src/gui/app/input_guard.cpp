#include "gui/app/input_guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace fee::ui {
namespace {

// A window hidden this soon after a mouse release was closed by that click:
// the release's handler runs before the next event, well within this.
constexpr qint64 kSameClickMs = 100;

bool is_stray_alt_key(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const int k = key.key();
    return (k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9) ||
           (!key.text().isEmpty() && key.text().at(0).isPrint());
}

} // namespace

InputGuard::InputGuard(QObject* parent) : QObject(parent) {}

void InputGuard::install()
{
    static InputGuard* guard = nullptr;
    if (!guard) {
        guard = new InputGuard(qApp);
        qApp->installEventFilter(guard);
    }
}

bool InputGuard::eventFilter(QObject* watched, QEvent* event)
{
    // Windows and dialogs only: a list that drops down is meant to be clicked at once.
    const auto* top = qobject_cast<QWidget*>(watched);
    const bool window = top && (top->windowType() == Qt::Window || top->windowType() == Qt::Dialog);
    switch (event->type()) {
    case QEvent::Show:
        if (window)
            shown_[static_cast<QWidget*>(watched)].start();
        break;
    case QEvent::Hide:
        // Hidden while a release is handled: that click closed it.
        if (window && last_release_.isValid() && last_release_.elapsed() < kSameClickMs)
            closed_by_click_.start();
        break;
    case QEvent::Destroy:
        shown_.remove(static_cast<QWidget*>(watched));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        if (auto* w = qobject_cast<QWidget*>(watched))
            return swallow_mouse(w->window(), event);
        break;
    case QEvent::KeyPress:
        if (qobject_cast<QWidget*>(watched) && is_stray_alt_key(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

bool InputGuard::swallow_mouse(QWidget* window, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        last_release_.start();
        if (window != ignored_press_window_)
            return false;
        ignored_press_window_.clear();
        return true;
    }
    const int interval = QApplication::doubleClickInterval();
    const auto shown = shown_.constFind(window);
    const bool just_shown = shown != shown_.constEnd() && shown->elapsed() < interval;
    const bool just_closed = closed_by_click_.isValid() && closed_by_click_.elapsed() < interval;
    if (!just_shown && !just_closed)
        return false;
    ignored_press_window_ = window;
    return true;
}

} // namespace fee::ui
