// The editor's boxes to a table row and back: a refused edit names the first
// bad box and stores nothing; an accepted one shows texts that, left as they
// are, store the same row again bit for bit.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "core/editing/editor_transfer.h"
#include "fuzz_check.h"

namespace {

using fee::BrokerTable;
using fee::EditorBox;
using fee::EditorTexts;
using fee::Money;

constexpr int kRow = 3;

// The boxes in the order the editor converts them.
std::vector<std::pair<EditorBox, int>> editor_order()
{
    std::vector<std::pair<EditorBox, int>> order;
    for (int j = 0; j < fee::kBoundedBrackets; ++j) {
        order.emplace_back(EditorBox::Bound, j);
        order.emplace_back(EditorBox::Rate, j);
        order.emplace_back(EditorBox::AddOn, j);
    }
    order.emplace_back(EditorBox::Rate, fee::kTopBracket);
    order.emplace_back(EditorBox::AddOn, fee::kTopBracket);
    order.emplace_back(EditorBox::YearlyFee, 0);
    order.emplace_back(EditorBox::Maximum, 0);
    order.emplace_back(EditorBox::Minimum, 0);
    return order;
}

// What one box alone gives: ok, or the kind of failure.
std::optional<fee::ParseError::Kind> box_failure(EditorBox box, const QString& text)
{
    if ((box == EditorBox::Maximum || box == EditorBox::Minimum) && text.isEmpty())
        return std::nullopt;
    if (box == EditorBox::Rate) {
        const auto r = fee::parse_single(text);
        return r ? std::nullopt : std::optional(r.error().kind);
    }
    const auto r = fee::parse_currency(text);
    return r ? std::nullopt : std::optional(r.error().kind);
}

bool same_table(const BrokerTable& a, const BrokerTable& b)
{
    if (a.last_broker() != b.last_broker())
        return false;
    for (int r = 0; r < fee::kMaxBrokers; ++r)
        if (a.broker(r) != b.broker(r))
            return false;
    return true;
}

BrokerTable start_table()
{
    BrokerTable t;
    t.set_last_broker(5);
    for (int r = 0; r <= 5; ++r) {
        t.broker(r).name = "row" + std::to_string(r);
        const auto stored = fee::store_editor_texts(t.broker(r), fee::standard_schedule_texts());
        FUZZ_CHECK(stored.ok(), "the standard schedule does not store");
        t.broker(r).name = "row" + std::to_string(r);
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto order = editor_order();
    // One field per line, in the editor's order; the boxes hold UTF-16, which
    // Qt decodes from the fuzzer's bytes.
    std::vector<std::string> fields(order.size());
    std::size_t field = 0;
    for (std::size_t i = 0; i < size && field < order.size(); ++i) {
        if (data[i] == '\n')
            ++field;
        else
            fields[field].push_back(static_cast<char>(data[i]));
    }
    EditorTexts texts;
    for (std::size_t k = 0; k < order.size(); ++k)
        texts.text(order[k].first, order[k].second) = QString::fromStdString(fields[k]);

    const BrokerTable before = start_table();
    BrokerTable table = before;
    const auto stored = fee::store_editor_texts(table.broker(kRow), texts);

    std::optional<std::pair<std::size_t, fee::ParseError::Kind>> first_bad;
    for (std::size_t k = 0; k < order.size() && !first_bad; ++k)
        if (const auto kind = box_failure(order[k].first, texts.text(order[k].first, order[k].second)))
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
    fee::Broker& want = expected.broker(kRow);
    for (std::size_t j = 0; j < fee::kBrackets; ++j) {
        if (j < fee::kBoundedBrackets)
            want.brackets[j].upper_bound = fee::parse_currency(texts.bounds[j]).value();
        want.brackets[j].rate = fee::parse_single(texts.rates[j]).value();
        want.brackets[j].add_on = fee::parse_currency(texts.add_ons[j]).value();
    }
    want.yearly_fee = fee::parse_currency(texts.yearly_fee).value();
    want.maximum = texts.maximum.isEmpty() ? Money{} : fee::parse_currency(texts.maximum).value();
    want.minimum = texts.minimum.isEmpty() ? Money{} : fee::parse_currency(texts.minimum).value();
    FUZZ_CHECK(same_table(table, expected), "the stored row is not the boxes' values");

    // Shown and stored again without an edit, the row stays bit for bit.
    const EditorTexts shown = fee::editor_texts_from(table.broker(kRow));
    BrokerTable again = table;
    const auto restored = fee::store_editor_texts(again.broker(kRow), shown);
    FUZZ_CHECK(restored.ok() && same_table(again, table), "an unedited editor changed the row");

    // Bounds and add-ons show every decimal they hold, so the shown text typed
    // anew stores the same value; a rate shows seven digits that read back to
    // a single showing the same text.
    const fee::Broker& row = table.broker(kRow);
    for (std::size_t j = 0; j < fee::kBrackets; ++j) {
        const fee::Bracket& b = row.brackets[j];
        const std::string at = std::to_string(j);
        if (j < fee::kBoundedBrackets) {
            const auto bound = fee::parse_currency(shown.bounds[j]);
            FUZZ_CHECK(bound && bound.value() == b.upper_bound,
                       "bound " + at + " is not shown exactly: " + shown.bounds[j].toStdString());
        }
        const auto add_on = fee::parse_currency(shown.add_ons[j]);
        FUZZ_CHECK(add_on && add_on.value() == b.add_on,
                   "add-on " + at + " is not shown exactly: " + shown.add_ons[j].toStdString());
        const auto rate = fee::parse_single(shown.rates[j]);
        FUZZ_CHECK(rate && fee::general_form(rate.value()) == shown.rates[j],
                   "rate " + at + " does not keep its seven digits: " + shown.rates[j].toStdString());
    }
    FUZZ_CHECK(row.brackets[fee::kTopBracket].upper_bound == Money{}, "an element without a box changed");
    return 0;
}
