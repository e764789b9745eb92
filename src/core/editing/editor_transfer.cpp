#include "core/editing/editor_transfer.h"

#include <optional>

#include "core/editing/box_message.h"
#include "core/text/message_text.h"

namespace fee {

std::string BoxError::box_name() const
{
    const std::string row = "（" + std::to_string(index + 1) + " 行目）";
    const std::string of = broker.empty() ? std::string() : broker + "の";
    switch (box) {
    case EditorBox::Bound:
        return of + "約定代金" + row;
    case EditorBox::Rate:
        return of + "手数料率" + row;
    case EditorBox::AddOn:
        return of + "付加" + row;
    case EditorBox::YearlyFee:
        return of + "維持費";
    case EditorBox::Maximum:
        return of + "上限";
    case EditorBox::Minimum:
        return of + "下限";
    }
    return {};
}

namespace {

// "1.15%" is the percentage a user reads on a broker's price list: say what
// the box wants instead.
std::string percent_hint(const QString& text)
{
    QString number = text.trimmed();
    if (!number.endsWith(u'%') && !number.endsWith(u'％'))
        return "手数料率は割合で入れて下さい（1% なら 0.01）。";
    number.chop(1);
    const auto percent = parse_single(number);
    if (!percent)
        return "手数料率は割合で入れて下さい（1% なら 0.01）。";
    return "手数料率は割合で入れます。" + in_brackets(text) + " なら " +
           general_form(percent.value() / 100.0f).toStdString() + " と入れて下さい。";
}

} // namespace

std::string BoxError::message() const
{
    const ParseError error{kind, below};
    if (box == EditorBox::Rate)
        return box_error_message(
            box_name(), text, error,
            {"手数料率を割合で入れて下さい（なしなら 0）。", percent_hint(text), BoxRange::None});
    return box_error_message(box_name(), text, error,
                             {"金額を円で入れて下さい（なしなら 0）。",
                              "円の金額を数字で入れて下さい（例: 1,000,000）。", BoxRange::Money});
}

const QString& EditorTexts::text(EditorBox box, int index) const
{
    const auto j = static_cast<std::size_t>(index);
    switch (box) {
    case EditorBox::Bound:
        return bounds.at(j);
    case EditorBox::Rate:
        return rates.at(j);
    case EditorBox::AddOn:
        return add_ons.at(j);
    case EditorBox::YearlyFee:
        return yearly_fee;
    case EditorBox::Maximum:
        return maximum;
    case EditorBox::Minimum:
        break;
    }
    return minimum;
}

EditorTexts editor_texts_from(const Broker& broker)
{
    EditorTexts e;
    for (std::size_t j = 0; j < kBrackets; ++j) {
        const Bracket& bracket = broker.brackets[j];
        if (j < kBoundedBrackets)
            e.bounds[j] = exact_currency_form(bracket.upper_bound);
        e.rates[j] = general_form(bracket.rate);
        e.add_ons[j] = exact_currency_form(bracket.add_on);
    }
    e.yearly_fee = general_form(broker.yearly_fee);
    e.maximum = general_form(broker.maximum);
    e.minimum = general_form(broker.minimum);
    return e;
}

Status<BoxError> store_editor_texts(Broker& broker, const EditorTexts& e)
{
    // Converted into a copy of the broker in the editor's order; the first bad
    // box is the one reported. A box that still shows what the broker holds is
    // not converted at all: a rate of more than seven digits, or anything else
    // a text cannot give back exactly, stays as it is unless the user edits it.
    Broker scratch = broker;
    const EditorTexts shown = editor_texts_from(broker);
    std::optional<BoxError> bad;

    auto money = [&](EditorBox box, int index, const QString& text, Money& out, bool empty_is_zero) {
        if (bad || text == shown.text(box, index))
            return;
        if (empty_is_zero && text.isEmpty()) {
            out = Money{};
            return;
        }
        const auto r = parse_currency(text);
        if (r)
            out = r.value();
        else
            bad = BoxError{box, index, text, r.error().kind, r.error().below, {}};
    };
    auto rate = [&](int index, const QString& text, float& out) {
        if (bad || text == shown.text(EditorBox::Rate, index))
            return;
        const auto r = parse_single(text);
        if (r)
            out = r.value();
        else
            bad = BoxError{EditorBox::Rate, index, text, r.error().kind, r.error().below, {}};
    };

    for (std::size_t j = 0; j < kBrackets; ++j) {
        Bracket& bracket = scratch.brackets[j];
        const int index = static_cast<int>(j);
        if (j < kBoundedBrackets)
            money(EditorBox::Bound, index, e.bounds[j], bracket.upper_bound, false);
        rate(index, e.rates[j], bracket.rate);
        money(EditorBox::AddOn, index, e.add_ons[j], bracket.add_on, false);
    }
    money(EditorBox::YearlyFee, 0, e.yearly_fee, scratch.yearly_fee, false);
    money(EditorBox::Maximum, 0, e.maximum, scratch.maximum, true);
    money(EditorBox::Minimum, 0, e.minimum, scratch.minimum, true);

    if (bad)
        return *bad;
    broker = scratch;
    return done();
}

EditorTexts standard_schedule_texts()
{
    EditorTexts e;
    e.bounds = {QStringLiteral("¥1,000,000"), QStringLiteral("¥5,000,000"), QStringLiteral("¥10,000,000"),
                QStringLiteral("¥30,000,000"), QStringLiteral("¥50,000,000")};
    e.rates = {QStringLiteral("0.0115"),  QStringLiteral("0.009"),   QStringLiteral("0.007"),
               QStringLiteral("0.00575"), QStringLiteral("0.00375"), QStringLiteral("0")};
    e.add_ons = {QStringLiteral("¥0"),      QStringLiteral("¥2,500"),  QStringLiteral("¥12,500"),
                 QStringLiteral("¥25,000"), QStringLiteral("¥85,000"), QStringLiteral("¥272,500")};
    e.yearly_fee = QStringLiteral("¥2,000");
    e.minimum = QStringLiteral("0");
    e.maximum = QStringLiteral("0");
    return e;
}

} // namespace fee
