#include "gui/windows/schedule_editor.h"

#include <QLineEdit>
#include <algorithm>

#include "gui/layout/box_text.h"
#include "gui/layout/form.h"

namespace fee::ui {
namespace {

const QString kRateTip = QStringLiteral("1%は 0.01 です");
const QString kMinimumTip = QStringLiteral("手数料の下限です。0は設定なし");
const QString kMaximumTip = QStringLiteral("手数料の上限です。0は設定なし");

// Positions within the frame. The boxes are named for a screen reader, which
// would otherwise give the frame's title to every box.
const ControlSpec kDesign[] = {
    {ControlKind::Label, "bound_heading", QStringLiteral("約定代金"), {240, 240, 735, 255}},
    {ControlKind::Label, "rate_heading", QStringLiteral("手数料率"), {1800, 240, 735, 255}},
    {ControlKind::Label, "add_on_heading", QStringLiteral("付加"), {2880, 240, 495, 255}},
    {ControlKind::AmountBox,
     "bound_box",
     {},
     {120, 480, 1095, 270},
     nullptr,
     {},
     QStringLiteral("%1 行目の約定代金の上限"),
     kBrackets,
     360},
    {ControlKind::RateBox,
     "rate_box",
     {},
     {1800, 480, 735, 270},
     nullptr,
     kRateTip,
     QStringLiteral("%1 行目の手数料率"),
     kBrackets,
     360},
    {ControlKind::AmountBox,
     "add_on_box",
     {},
     {2640, 480, 855, 270},
     nullptr,
     {},
     QStringLiteral("%1 行目の付加"),
     kBrackets,
     360},
    {ControlKind::Label,
     "up_to_label",
     QStringLiteral("以下"),
     {1320, 600, 375, 255},
     nullptr,
     {},
     {},
     kBoundedBrackets,
     360},
    {ControlKind::Label,
     "minimum_label",
     QStringLiteral("下限"),
     {3840, 360, 375, 255},
     nullptr,
     kMinimumTip},
    {ControlKind::AmountBox,
     "minimum_box",
     {},
     {3600, 600, 855, 270},
     nullptr,
     kMinimumTip,
     QStringLiteral("下限")},
    {ControlKind::Label,
     "maximum_label",
     QStringLiteral("上限"),
     {3840, 1800, 495, 255},
     nullptr,
     kMaximumTip},
    {ControlKind::AmountBox,
     "maximum_box",
     {},
     {3600, 2040, 855, 270},
     nullptr,
     kMaximumTip,
     QStringLiteral("上限")},
};

} // namespace

ScheduleEditor::ScheduleEditor(QWidget* parent) : QGroupBox(parent)
{
    const Form form(*this, kDesign);
    for (int i = 0; i < kBrackets; ++i) {
        bound_boxes_[i] = form.get<QLineEdit>("bound_box", i);
        rate_boxes_[i] = form.get<QLineEdit>("rate_box", i);
        add_on_boxes_[i] = form.get<QLineEdit>("add_on_box", i);
    }
    minimum_box_ = form.get<QLineEdit>("minimum_box");
    maximum_box_ = form.get<QLineEdit>("maximum_box");

    // The open top bracket has no bound: a fixed, locked caption in the grey of
    // the scroll bars.
    QLineEdit* top_bound = bound_boxes_[kTopBracket];
    top_bound->setAccessibleName(QStringLiteral("%1 行目の約定代金（それ以上）").arg(kBrackets));
    top_bound->setText(QStringLiteral("それ以上"));
    top_bound->setAlignment(Qt::AlignCenter);
    top_bound->setReadOnly(true);
    top_bound->setAttribute(Qt::WA_InputMethodEnabled, false); // setReadOnly resets it
    QPalette grey = top_bound->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    top_bound->setPalette(grey);
}

void ScheduleEditor::set_texts(const EditorTexts& e)
{
    for (std::size_t j = 0; j < kBrackets; ++j) {
        if (j < kBoundedBrackets)
            set_box_text(*bound_boxes_[j], e.bounds[j]);
        set_box_text(*rate_boxes_[j], e.rates[j]);
        set_box_text(*add_on_boxes_[j], e.add_ons[j]);
    }
    set_box_text(*yearly_fee_box_, e.yearly_fee);
    set_box_text(*minimum_box_, e.minimum);
    set_box_text(*maximum_box_, e.maximum);
}

EditorTexts ScheduleEditor::texts() const
{
    EditorTexts e;
    for (std::size_t j = 0; j < kBrackets; ++j) {
        if (j < kBoundedBrackets)
            e.bounds[j] = bound_boxes_[j]->text();
        e.rates[j] = rate_boxes_[j]->text();
        e.add_ons[j] = add_on_boxes_[j]->text();
    }
    e.yearly_fee = yearly_fee_box_->text();
    e.maximum = maximum_box_->text();
    e.minimum = minimum_box_->text();
    return e;
}

std::optional<BoxError> ScheduleEditor::store(Broker& broker) const
{
    const auto stored = store_editor_texts(broker, texts());
    if (stored)
        return std::nullopt;
    return stored.error();
}

QLineEdit* ScheduleEditor::box_of(const BoxError& error) const
{
    const auto i = static_cast<std::size_t>(error.index);
    switch (error.box) {
    case EditorBox::Bound:
        return bound_boxes_.at(i);
    case EditorBox::Rate:
        return rate_boxes_.at(i);
    case EditorBox::AddOn:
        return add_on_boxes_.at(i);
    case EditorBox::YearlyFee:
        return yearly_fee_box_;
    case EditorBox::Maximum:
        return maximum_box_;
    case EditorBox::Minimum:
        return minimum_box_;
    }
    return nullptr;
}

std::array<QWidget*, 3 * kBrackets> ScheduleEditor::bracket_boxes() const
{
    std::array<QWidget*, 3 * kBrackets> boxes{};
    std::copy(bound_boxes_.begin(), bound_boxes_.end(), boxes.begin());
    std::copy(rate_boxes_.begin(), rate_boxes_.end(), boxes.begin() + kBrackets);
    std::copy(add_on_boxes_.begin(), add_on_boxes_.end(), boxes.begin() + 2 * kBrackets);
    return boxes;
}

} // namespace fee::ui
