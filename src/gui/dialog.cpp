#include "gui/dialog.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace fee::ui {

bool handle_enter(QWidget& window, QKeyEvent& event)
{
    if ((event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) ||
        (event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    event.accept();
    if (auto* button = qobject_cast<QAbstractButton*>(window.focusWidget()); button && button->isEnabled())
        button->click();
    return true;
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    if (handle_enter(*this, *event))
        return;
    QDialog::keyPressEvent(event);
}

} // namespace fee::ui
