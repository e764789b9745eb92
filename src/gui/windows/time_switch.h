#pragma once

#include "gui/windows/style_questions.h"

namespace fee::ui {

// The frequency question: たまに(&J) (key_few) or 頻繁(&I) (key_many).
class time_switch : public QuestionWindow {
    Q_OBJECT
public:
    time_switch();

    // True for frequent trading; empty until a button is pressed.
    std::optional<bool> frequent() const { return right_chosen(); }
};

} // namespace fee::ui
