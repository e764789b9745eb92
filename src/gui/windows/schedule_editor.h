#pragma once

#include <QGroupBox>
#include <array>
#include <optional>

#include "core/editing/editor_transfer.h"

class QLineEdit;

namespace fee::ui {

// The commission schedule of one broker in the main window's fixed design:
// the six brackets' bounds, rates and add-ons, the minimum and the maximum in
// the frame 株売買の手数料率, and the yearly fee in a box of the window's that
// it is handed before use. It moves a broker's elements to its boxes as texts and back,
// storing them only when every box converts.
class ScheduleEditor : public QGroupBox {
    Q_OBJECT
public:
    explicit ScheduleEditor(QWidget* parent = nullptr);
    // The yearly fee's box, which the window's design places outside the frame.
    void set_yearly_fee_box(QLineEdit& box) { yearly_fee_box_ = &box; }

    void show_broker(const Broker& broker) { set_texts(editor_texts_from(broker)); }
    void set_texts(const EditorTexts& texts);
    EditorTexts texts() const;
    // The boxes into `broker` when every one converts; else the box that does
    // not, and `broker` stays as it was.
    std::optional<BoxError> store(Broker& broker) const;
    // The box an error names, for the user to correct.
    QLineEdit* box_of(const BoxError& error) const;

    // The boxes of the frame in the design's tab order: bounds, rates,
    // add-ons; then the minimum and the maximum, which come last of all.
    std::array<QWidget*, 3 * kBrackets> bracket_boxes() const;
    QLineEdit* minimum_box() const { return minimum_box_; }
    QLineEdit* maximum_box() const { return maximum_box_; }

private:
    QLineEdit* yearly_fee_box_ = nullptr;
    std::array<QLineEdit*, kBrackets> bound_boxes_{}; // (5) is the fixed "それ以上"
    std::array<QLineEdit*, kBrackets> rate_boxes_{};
    std::array<QLineEdit*, kBrackets> add_on_boxes_{};
    QLineEdit* minimum_box_ = nullptr;
    QLineEdit* maximum_box_ = nullptr;
};

} // namespace fee::ui
