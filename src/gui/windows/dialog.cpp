#include "gui/windows/dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

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

void bring_to_front(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

void add_menu_shortcut(QWidget& widget)
{
    auto* keys =
        new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), &widget, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(keys, &QShortcut::activated, &widget, [&widget] {
        const QPoint at = widget.rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, widget.mapToGlobal(at));
        QCoreApplication::sendEvent(&widget, &menu);
    });
}

QString dragged_file(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return {};
    return data->urls().front().toLocalFile();
}

void add_window_action(QWidget& holder, QAction& action, const QString& text, const QKeySequence& keys,
                       const char* name)
{
    action.setObjectName(QString::fromLatin1(name));
    action.setText(text);
    action.setShortcut(keys);
    action.setShortcutContext(Qt::WindowShortcut);
    holder.addAction(&action);
}

void chain_tab_order(const std::vector<QWidget*>& widgets)
{
    for (std::size_t i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

void Dialog::set_fixed_frame(const QString& name, const QString& title, int width, int height)
{
    setObjectName(name);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(title);
    setFont(proportional_gothic());
    setFixedSize(twips(width), twips(height));
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
