#pragma once

#include <QLineEdit>
#include <QString>

namespace fee::ui {

// Fills a box for the user to read: a number longer than the box shows its
// first digits, not its last ("0.0009923", not "0009923"). Focus by Tab still
// selects it all.
inline void set_box_text(QLineEdit& box, const QString& text)
{
    box.setText(text);
    box.setCursorPosition(0);
}

// A box the user must correct: the focus, with its text selected so that
// typing replaces it.
inline void select_for_retyping(QLineEdit& box)
{
    box.setFocus();
    box.selectAll();
}

} // namespace fee::ui
