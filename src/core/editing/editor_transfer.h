#pragma once

#include <QString>
#include <array>
#include <string>

#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/outcome.h"

namespace fee {

// The texts of the schedule editor, one per box. The window only moves these to
// and from its boxes; the conversions live here.
enum class EditorBox { Bound, Rate, AddOn, YearlyFee, Maximum, Minimum };

struct EditorTexts {
    std::array<QString, kBoundedBrackets> bounds; // bound_box(0..4)
    std::array<QString, kBrackets> rates;         // rate_box(0..5)
    std::array<QString, kBrackets> add_ons;       // add_on_box(0..5)
    QString yearly_fee;                           // yearly_fee_box
    QString maximum;                              // maximum_box
    QString minimum;                              // minimum_box

    // The text of one box; `index` is the editor's row for the arrays (checked).
    const QString& text(EditorBox box, int index) const;
    QString& text(EditorBox box, int index)
    {
        return const_cast<QString&>(static_cast<const EditorTexts&>(*this).text(box, index));
    }
};

// A box whose text is not a number of its kind.
struct BoxError {
    EditorBox box = EditorBox::YearlyFee;
    int index = 0; // row of the editor for the arrays
    QString text;
    ParseError::Kind kind = ParseError::Kind::NotNumber;
    bool below = false; // out of range on the low side
    std::string broker; // "2 社目「みなと証券」", when the caller knows which broker it is

    // The box in the user's words, for example "2 社目「みなと証券」の手数料率（3 行目）".
    std::string box_name() const;
    // What is wrong, the text in 「」, and what to do about it.
    std::string message() const;
};

// What the editor shows of a broker: bounds and add-ons in currency form, the rest in general form.
EditorTexts editor_texts_from(const Broker& broker);

// Converts every box in the editor's order and stores the broker only
// when all of them are numbers, so a refused edit never leaves a half-stored
// row. An empty maximum or minimum means none.
Status<BoxError> store_editor_texts(Broker& broker, const EditorTexts& texts);

// The texts a newly added broker starts with.
EditorTexts standard_schedule_texts();

} // namespace fee
