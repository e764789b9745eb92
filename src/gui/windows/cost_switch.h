#pragma once

#include "gui/windows/style_questions.h"

namespace fee::ui {

// The amount question: 低額(&L) (key_low) or 高額(&H) (key_high).
class cost_switch : public QuestionWindow {
    Q_OBJECT
public:
    cost_switch();

    // True for high amounts; empty until a button is pressed.
    std::optional<bool> high_amounts() const { return right_chosen(); }
};

} // namespace fee::ui
