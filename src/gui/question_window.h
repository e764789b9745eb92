#pragma once

#include <QLabel>
#include <QPushButton>
#include <optional>

#include "gui/dialog.h"

namespace fee::ui {

// The design both style questions share: a caption, a question and two answer
// buttons, the left one taking the focus. A button answers and closes the
// window; closing it any other way answers nothing.
class QuestionWindow : public Dialog {
    Q_OBJECT
public:
    QLabel Label1{this};

protected:
    struct Answer {
        const char* name;
        QString text;
    };
    QuestionWindow(const char* name, const QString& question, const Answer& left, const Answer& right);

    // True for the right-hand button, false for the left; empty when unanswered.
    std::optional<bool> right_chosen() const { return right_chosen_; }

    QPushButton left_{this};
    QPushButton right_{this};

private:
    void answer(bool right);

    std::optional<bool> right_chosen_;
};

} // namespace fee::ui
