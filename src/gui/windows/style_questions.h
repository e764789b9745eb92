#pragma once

#include <QString>
#include <optional>

#include "gui/windows/dialog.h"

namespace fee::ui {

// The design both style questions share: a caption, a question and two answer
// buttons, the left one taking the focus. A button answers and closes the
// window; closing it any other way answers nothing.
class QuestionWindow : public Dialog {
    Q_OBJECT
protected:
    struct Answer {
        const char* name; // the button's objectName
        QString text;
    };
    QuestionWindow(const char* name, const QString& question, const Answer& left, const Answer& right);

    // True for the right-hand button, false for the left; empty when unanswered.
    std::optional<bool> right_chosen() const { return right_chosen_; }

private:
    void answer(bool right);

    std::optional<bool> right_chosen_;
};

// The amount question: 低額(&L) or 高額(&H).
class AmountQuestion : public QuestionWindow {
    Q_OBJECT
public:
    AmountQuestion();

    // True for high amounts; empty until a button is pressed.
    std::optional<bool> high_amounts() const { return right_chosen(); }
};

// The frequency question: たまに(&J) or 頻繁(&I).
class FrequencyQuestion : public QuestionWindow {
    Q_OBJECT
public:
    FrequencyQuestion();

    // True for frequent trading; empty until a button is pressed.
    std::optional<bool> frequent() const { return right_chosen(); }
};

} // namespace fee::ui
