#pragma once

#include <QLabel>
#include <QPushButton>
#include <optional>

#include "gui/windows/dialog.h"

namespace fee::ui {

// The design both style questions share: a caption (Label1), a question and
// two answer buttons, the left one taking the focus. A button answers and
// closes the window; closing it any other way answers nothing.
class QuestionWindow : public Dialog {
    Q_OBJECT
protected:
    struct Answer {
        const char* name; // the button's name in the design
        QString text;
    };
    QuestionWindow(const char* name, const QString& question, const Answer& left, const Answer& right);

    // True for the right-hand button, false for the left; empty when unanswered.
    std::optional<bool> right_chosen() const { return right_chosen_; }

private:
    void answer(bool right);

    QLabel Label1_{this};
    QPushButton left_{this};
    QPushButton right_{this};
    std::optional<bool> right_chosen_;
};

} // namespace fee::ui
