#pragma once

#include <array>
#include <string>

#include "broker_table/broker_table.h"
#include "broker_table/number_text.h"
#include "broker_table/result.h"

namespace fee {

// The texts of the schedule editor, one per box, in UTF-8. The window only moves
// these to and from its boxes; the conversions live here.
struct EditorTexts {
    std::array<std::string, kBoundedBrackets> kubun; // l_kubun(0..4)
    std::array<std::string, 6> wariai;               // l_wariai(0..5)
    std::array<std::string, 6> add;                  // l_add(0..5)
    std::string fix;
    std::string max;
    std::string mini;
};

enum class EditorBox { Kubun, Wariai, Add, Fix, Max, Mini };

// A box whose text is not a number of its kind.
struct BoxError {
    EditorBox box = EditorBox::Fix;
    int index = 0; // row of the editor for the arrays
    std::string text;
    ParseError::Kind kind = ParseError::Kind::NotNumber;

    // The box in the user's words, for example "手数料率 の 3 行目".
    std::string box_name() const;
    std::string message() const;
};

// z_load_data: bounds and add-ons in currency form, the rest in general form.
EditorTexts editor_texts_from_row(const BrokerTable& table, int row);

// z_save_data: converts every box in the editor's order and stores the row only
// when all of them are numbers, so a refused edit never leaves a half-stored
// row. An empty maximum or minimum means none.
Status<BoxError> store_editor_texts(BrokerTable& table, int row, const EditorTexts& texts);

// The texts a newly added broker starts with.
EditorTexts standard_schedule_texts();

} // namespace fee
