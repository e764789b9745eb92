#pragma once

#include "gui/question_window.h"

namespace fee::ui {

// The frequency question: たまに(&J) or 頻繁(&I).
class time_switch : public QuestionWindow {
    Q_OBJECT
public:
    time_switch();

    QPushButton& key_few = left_;
    QPushButton& key_many = right_;

    // True for frequent trading; empty until a button is pressed.
    std::optional<bool> frequent() const { return right_chosen(); }
};

} // namespace fee::ui
