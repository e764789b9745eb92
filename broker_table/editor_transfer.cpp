#include "broker_table/editor_transfer.h"

#include <optional>

namespace fee {
namespace {

// Quoted texts in messages stay short.
std::string clipped(const std::string& text)
{
    constexpr std::size_t kMaxCodePoints = 40;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++count > kMaxCodePoints)
            return text.substr(0, i) + "…";
    }
    return text;
}

} // namespace

std::string BoxError::box_name() const
{
    const std::string row = " の " + std::to_string(index + 1) + " 行目";
    switch (box) {
    case EditorBox::Kubun:
        return "約定代金" + row;
    case EditorBox::Wariai:
        return "手数料率" + row;
    case EditorBox::Add:
        return "付加" + row;
    case EditorBox::Fix:
        return "維持費";
    case EditorBox::Max:
        return "上限";
    case EditorBox::Mini:
        return "下限";
    }
    return {};
}

std::string BoxError::message() const
{
    if (text.empty())
        return box_name() + "が空です。数値を入れて下さい。";
    if (kind == ParseError::Kind::OutOfRange)
        return box_name() + "の数値が大きすぎるか範囲外です: \"" + clipped(text) + "\"";
    return box_name() + "が数値ではありません: \"" + clipped(text) + "\"";
}

EditorTexts editor_texts_from_row(const BrokerTable& t, int row)
{
    EditorTexts e;
    for (int j = 0; j < kBoundedBrackets; ++j) {
        e.kubun[j] = currency_form(t.com_kubun(row, j));
        e.wariai[j] = general_form(t.com_wariai(row, j));
        e.add[j] = currency_form(t.com_add(row, j));
    }
    e.wariai[kTopBracket] = general_form(t.com_wariai(row, kTopBracket));
    e.add[kTopBracket] = currency_form(t.com_add(row, kTopBracket));
    e.fix = general_form(t.com_fix(row));
    e.max = general_form(t.com_max(row));
    e.mini = general_form(t.com_mini(row));
    return e;
}

Status<BoxError> store_editor_texts(BrokerTable& table, int row, const EditorTexts& e)
{
    // Converted into a copy of the row in the editor's order; the first bad box
    // is the one reported.
    BrokerTable::Row scratch = table.row(row);
    std::optional<BoxError> bad;

    auto money = [&](EditorBox box, int index, const std::string& text, Money& out, bool empty_is_zero) {
        if (bad)
            return;
        if (empty_is_zero && text.empty()) {
            out = Money{};
            return;
        }
        const auto r = parse_currency(text);
        if (r)
            out = r.value();
        else
            bad = BoxError{box, index, text, r.error().kind};
    };
    auto rate = [&](int index, const std::string& text, float& out) {
        if (bad)
            return;
        const auto r = parse_single(text);
        if (r)
            out = r.value();
        else
            bad = BoxError{EditorBox::Wariai, index, text, r.error().kind};
    };

    for (int j = 0; j < kBoundedBrackets; ++j) {
        money(EditorBox::Kubun, j, e.kubun[j], scratch.kubun.at(j), false);
        rate(j, e.wariai[j], scratch.wariai.at(j));
        money(EditorBox::Add, j, e.add[j], scratch.add.at(j), false);
    }
    rate(kTopBracket, e.wariai[kTopBracket], scratch.wariai.at(kTopBracket));
    money(EditorBox::Add, kTopBracket, e.add[kTopBracket], scratch.add.at(kTopBracket), false);
    money(EditorBox::Fix, 0, e.fix, scratch.fix, false);
    money(EditorBox::Max, 0, e.max, scratch.max, true);
    money(EditorBox::Mini, 0, e.mini, scratch.mini, true);

    if (bad)
        return *bad;
    table.row(row) = scratch;
    return done();
}

EditorTexts standard_schedule_texts()
{
    EditorTexts e;
    e.kubun = {"¥1,000,000", "¥5,000,000", "¥10,000,000", "¥30,000,000", "¥50,000,000"};
    e.wariai = {"0.0115", "0.009", "0.007", "0.00575", "0.00375", "0"};
    e.add = {"¥0", "¥2,500", "¥12,500", "¥25,000", "¥85,000", "¥272,500"};
    e.fix = "¥2,000";
    e.mini = "0";
    e.max = "0";
    return e;
}

} // namespace fee
