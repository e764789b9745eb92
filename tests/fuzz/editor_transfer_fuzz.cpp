// The editor's boxes to a table row and back: a refused edit names the first
// bad box and stores nothing; an accepted one shows texts that store the same
// row again, except that a bound or add-on comes back in whole yen and a rate
// at seven significant digits.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "broker_table/editor_transfer.h"
#include "fuzz_check.h"

namespace {

using fee::BrokerTable;
using fee::EditorBox;
using fee::EditorTexts;
using fee::Money;
using Int128 = __int128;

constexpr int kRow = 3;

std::string& text_of(EditorTexts& e, EditorBox box, int index)
{
    switch (box) {
    case EditorBox::Kubun:
        return e.kubun.at(index);
    case EditorBox::Wariai:
        return e.wariai.at(index);
    case EditorBox::Add:
        return e.add.at(index);
    case EditorBox::Fix:
        return e.fix;
    case EditorBox::Max:
        return e.max;
    case EditorBox::Mini:
        return e.mini;
    }
    std::abort();
}

// The boxes in the order the editor converts them.
std::vector<std::pair<EditorBox, int>> editor_order()
{
    std::vector<std::pair<EditorBox, int>> order;
    for (int j = 0; j < fee::kBoundedBrackets; ++j) {
        order.emplace_back(EditorBox::Kubun, j);
        order.emplace_back(EditorBox::Wariai, j);
        order.emplace_back(EditorBox::Add, j);
    }
    order.emplace_back(EditorBox::Wariai, fee::kTopBracket);
    order.emplace_back(EditorBox::Add, fee::kTopBracket);
    order.emplace_back(EditorBox::Fix, 0);
    order.emplace_back(EditorBox::Max, 0);
    order.emplace_back(EditorBox::Mini, 0);
    return order;
}

// What one box alone gives: ok, or the kind of failure.
std::optional<fee::ParseError::Kind> box_failure(EditorBox box, const std::string& text)
{
    if ((box == EditorBox::Max || box == EditorBox::Mini) && text.empty())
        return std::nullopt;
    if (box == EditorBox::Wariai) {
        const auto r = fee::parse_single(text);
        return r ? std::nullopt : std::optional(r.error().kind);
    }
    const auto r = fee::parse_currency(text);
    return r ? std::nullopt : std::optional(r.error().kind);
}

bool same_row(const BrokerTable::Row& a, const BrokerTable::Row& b)
{
    return a.name == b.name && a.fix == b.fix && a.max == b.max && a.mini == b.mini && a.cost == b.cost &&
           a.kubun == b.kubun && a.wariai == b.wariai && a.add == b.add;
}

bool same_table(const BrokerTable& a, const BrokerTable& b)
{
    if (a.com_last() != b.com_last())
        return false;
    for (int r = 0; r < fee::kTableRows; ++r)
        if (!same_row(a.row(r), b.row(r)))
            return false;
    return true;
}

Int128 whole_yen_units(Money m)
{
    const Int128 u = m.units();
    const Int128 mag = u < 0 ? -u : u;
    const Int128 yen = mag / Money::kScale + (mag % Money::kScale >= Money::kScale / 2 ? 1 : 0);
    return (u < 0 ? -yen : yen) * Money::kScale;
}

bool in_money_range(Int128 units)
{
    return units >= INT64_MIN && units <= INT64_MAX;
}

BrokerTable start_table()
{
    BrokerTable t;
    t.set_com_last(5);
    for (int r = 0; r <= 5; ++r) {
        t.com_name(r) = "row" + std::to_string(r);
        const auto stored = fee::store_editor_texts(t, r, fee::standard_schedule_texts());
        FUZZ_CHECK(stored.ok(), "the standard schedule does not store");
        t.com_cost(r) = Money::from_units(77 + r);
    }
    t.com_wariai(kRow, 6) = 0.5f; // bracket 6 is never touched
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto order = editor_order();
    EditorTexts texts;
    std::size_t field = 0;
    for (std::size_t i = 0; i < size && field < order.size(); ++i) {
        if (data[i] == '\n')
            ++field;
        else
            text_of(texts, order[field].first, order[field].second).push_back(static_cast<char>(data[i]));
    }

    const BrokerTable before = start_table();
    BrokerTable table = before;
    const auto stored = fee::store_editor_texts(table, kRow, texts);

    std::optional<std::pair<std::size_t, fee::ParseError::Kind>> first_bad;
    for (std::size_t k = 0; k < order.size() && !first_bad; ++k)
        if (const auto kind = box_failure(order[k].first, text_of(texts, order[k].first, order[k].second)))
            first_bad = std::pair(k, *kind);

    if (!stored) {
        const fee::BoxError& e = stored.error();
        FUZZ_CHECK(first_bad.has_value(), "refused although every box is a number: " + e.message());
        FUZZ_CHECK(e.box == order[first_bad->first].first && e.index == order[first_bad->first].second &&
                       e.kind == first_bad->second,
                   "the message names another box than the first bad one: " + e.message());
        FUZZ_CHECK(e.message().find(e.box_name()) == 0,
                   "the message does not start with the box: " + e.message());
        FUZZ_CHECK(same_table(table, before), "a refused edit changed the table");
        return 0;
    }
    FUZZ_CHECK(!first_bad.has_value(), "a bad box was stored");

    // Only the edited row changes, and only its editor elements.
    BrokerTable expected = before;
    BrokerTable::Row& want = expected.row(kRow);
    for (int j = 0; j < fee::kBoundedBrackets; ++j) {
        want.kubun[j] = fee::parse_currency(texts.kubun[j]).value();
        want.wariai[j] = fee::parse_single(texts.wariai[j]).value();
        want.add[j] = fee::parse_currency(texts.add[j]).value();
    }
    want.wariai[5] = fee::parse_single(texts.wariai[5]).value();
    want.add[5] = fee::parse_currency(texts.add[5]).value();
    want.fix = fee::parse_currency(texts.fix).value();
    want.max = texts.max.empty() ? Money{} : fee::parse_currency(texts.max).value();
    want.mini = texts.mini.empty() ? Money{} : fee::parse_currency(texts.mini).value();
    FUZZ_CHECK(same_table(table, expected), "the stored row is not the boxes' values");

    // Shown and stored again.
    const EditorTexts shown = fee::editor_texts_from_row(table, kRow);
    BrokerTable again = table;
    const auto restored = fee::store_editor_texts(again, kRow, shown);
    const BrokerTable::Row& row1 = table.row(kRow);
    if (!restored) {
        // Only a bound or add-on in the last half yen of the range shows a whole
        // yen that lies outside it.
        const fee::BoxError& e = restored.error();
        FUZZ_CHECK(e.kind == fee::ParseError::Kind::OutOfRange &&
                       (e.box == EditorBox::Kubun || e.box == EditorBox::Add),
                   "shown texts do not store again: " + e.message());
        const Money m = e.box == EditorBox::Kubun ? row1.kubun.at(e.index) : row1.add.at(e.index);
        FUZZ_CHECK(!in_money_range(whole_yen_units(m)), "shown texts do not store again: " + e.message());
        return 0;
    }
    const BrokerTable::Row& row2 = again.row(kRow);
    FUZZ_CHECK(row2.fix == row1.fix && row2.max == row1.max && row2.mini == row1.mini,
               "fee, maximum or minimum changed through the editor");
    for (int j = 0; j <= fee::kTopBracket; ++j) {
        if (j < fee::kBoundedBrackets)
            FUZZ_CHECK(Int128{row2.kubun[j].units()} == whole_yen_units(row1.kubun[j]),
                       "bound " + std::to_string(j) + " is not shown in whole yen: " + shown.kubun[j]);
        FUZZ_CHECK(Int128{row2.add[j].units()} == whole_yen_units(row1.add[j]),
                   "add-on " + std::to_string(j) + " is not shown in whole yen: " + shown.add[j]);
        FUZZ_CHECK(fee::general_form(row2.wariai[j]) == shown.wariai[j],
                   "rate " + std::to_string(j) + " does not keep its seven digits: " + shown.wariai[j]);
    }
    FUZZ_CHECK(row2.kubun[5] == Money{} && row2.kubun[6] == Money{} && row2.wariai[6] == 0.5f,
               "an element without a box changed");

    // From here on the row is a fixed point of showing and storing.
    const EditorTexts shown2 = fee::editor_texts_from_row(again, kRow);
    BrokerTable third = again;
    FUZZ_CHECK(fee::store_editor_texts(third, kRow, shown2).ok() && same_table(third, again),
               "the second trip through the editor changed the row");
    FUZZ_CHECK(shown2.kubun == shown.kubun && shown2.wariai == shown.wariai && shown2.add == shown.add &&
                   shown2.fix == shown.fix && shown2.max == shown.max && shown2.mini == shown.mini,
               "the editor shows other texts the second time");
    return 0;
}
