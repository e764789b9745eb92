#pragma once

#include <QDialog>
#include <vector>

class QAction;
class QKeyEvent;
class QKeySequence;
class QMimeData;

namespace fee::ui {

// Enter presses the button that has the focus, the same in every window; in a
// text box it presses nothing, since no window has a default button. True when
// the key was Enter.
bool handle_enter(QWidget& window, QKeyEvent& event);

// A window of its own shown above the others, with the input.
void bring_to_front(QWidget& window);

// Shift+F10 on `widget` opens its context menu as the Menu key does.
void add_menu_shortcut(QWidget& widget);

// The one local file a drag carries, if it carries one and no more.
QString dragged_file(const QMimeData* data);

// Tab moves through `widgets` in their order.
void chain_tab_order(const std::vector<QWidget*>& widgets);

// `action`, named `name`, in the context menu of `holder` (a window's grid);
// its shortcut works wherever the focus is in that window.
void add_window_action(QWidget& holder, QAction& action, const QString& text, const QKeySequence& keys,
                       const char* name);

// The modal windows of a calculation. Esc does nothing: only the close box and
// the window's own buttons close it, so that a key pressed to back out of a box
// never throws away the plan or the answers.
class Dialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    // A window of the design's fixed size in twips, named `name` and titled
    // `title`, with a title bar, a system menu and a close box only.
    void set_fixed_frame(const QString& name, const QString& title, int width, int height);

    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace fee::ui
