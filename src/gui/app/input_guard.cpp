#include "gui/app/input_guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace fee::ui {
namespace {

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
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowActivate:
        // Windows and dialogs only: a list that drops down is meant to be clicked at once.
        if (auto* w = qobject_cast<QWidget*>(watched);
            w && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
            fronted_[w].start();
        break;
    case QEvent::Destroy:
        fronted_.remove(static_cast<QWidget*>(watched));
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
        if (window != ignored_press_window_)
            return false;
        ignored_press_window_.clear();
        return true;
    }
    const auto it = fronted_.constFind(window);
    if (it == fronted_.constEnd() || it->elapsed() >= QApplication::doubleClickInterval())
        return false;
    ignored_press_window_ = window;
    return true;
}

} // namespace fee::ui
