#include "core/datafile/daily_plans_file.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <cmath>

#include "core/money/number_text.h"
#include "core/storage/side_file.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

// 2^53: below it a JSON number holds every whole yen exactly.
constexpr double kExactDoubles = 9007199254740992.0;

// A plan as a message names it.
std::string plan_label(const QJsonObject& plan, int position)
{
    const QString name = plan.value(QStringLiteral("name")).toString();
    return name.isEmpty() ? std::to_string(position + 1) + " 番目のプラン" : "プラン" + in_brackets(name);
}

// Yen as JSON gives them: a whole number, or a decimal of at most four
// places, read from its shortest text so that 0.1 is 0.1 and not its double.
std::optional<Money> amount_of(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double v = value.toDouble();
    if (!std::isfinite(v) || std::fabs(v) >= kExactDoubles)
        return std::nullopt;
    if (v == std::trunc(v))
        return Money::from_yen(static_cast<std::int64_t>(v));
    const QString text = QString::number(v, 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(u'.');
    if (point < 0 || text.size() - point - 1 > 4)
        return std::nullopt;
    const auto exact = parse_currency(text); // no rounding: four places at most
    return exact ? std::optional<Money>(exact.value()) : std::nullopt;
}

// Whole yen, at least 1.
std::optional<std::int64_t> whole_yen_of(const QJsonValue& value)
{
    const double v = value.toDouble(-1);
    if (!value.isDouble() || v < 1 || v != std::trunc(v) || v > static_cast<double>(kMaxWholeYen))
        return std::nullopt;
    return static_cast<std::int64_t>(v);
}

class PlanReader {
public:
    PlanReader(const QString& file, const QJsonObject& plan, int position)
        : file_(file.toStdString()), plan_(plan), who_(plan_label(plan, position))
    {
    }

    Outcome<DailyPlan> read();

private:
    Error wrong(const std::string& what) const { return Error{file_ + " の" + who_ + "の" + what}; }
    // A fee or amount of yen at least 0; `key` absent gives 0 when `optional`.
    std::optional<Error> amount(const QJsonObject& in, const char* key, const std::string& field, Money& out,
                                bool optional = false) const;

    std::string file_;
    QJsonObject plan_;
    std::string who_;
};

std::optional<Error> PlanReader::amount(const QJsonObject& in, const char* key, const std::string& field,
                                        Money& out, bool optional) const
{
    const QJsonValue value = in.value(QLatin1String(key));
    if (value.isUndefined() && optional) {
        out = Money{};
        return std::nullopt;
    }
    const auto read = amount_of(value);
    if (!read)
        return wrong(field + " が金額ではありません（円の整数か、小数 4 桁までの数です）。");
    if (*read < Money{})
        return wrong(field + " が負です。");
    out = *read;
    return std::nullopt;
}

Outcome<DailyPlan> PlanReader::read()
{
    DailyPlan plan;
    plan.name = plan_.value(QStringLiteral("name")).toString();
    if (plan.name.trimmed().isEmpty())
        return wrong("名前（name）がありません。");
    if (auto e = amount(plan_, "yearly_fee", "年間の維持費（yearly_fee）", plan.yearly_fee, true))
        return *e;
    if (auto e = amount(plan_, "maximum", "上限（maximum）", plan.maximum, true))
        return *e;
    const QJsonArray tiers = plan_.value(QStringLiteral("tiers")).toArray();
    if (tiers.isEmpty())
        return wrong("段階（tiers）がありません。");
    for (int i = 0; i < tiers.size(); ++i) {
        const QJsonObject tier = tiers.at(i).toObject();
        const std::string which = std::to_string(i + 1) + " 段目の";
        const auto up_to = whole_yen_of(tier.value(QStringLiteral("up_to")));
        if (!up_to)
            return wrong(which + "上限額（up_to）が 1 円以上の円の整数ではありません。");
        if (!plan.tiers.empty() && *up_to <= plan.tiers.back().up_to)
            return wrong(which + "上限額（up_to）が前の段より大きくありません。");
        Money fee;
        if (auto e = amount(tier, "fee", which + "手数料（fee）", fee))
            return *e;
        plan.tiers.push_back({*up_to, fee});
    }
    if (const QJsonValue above = plan_.value(QStringLiteral("above")); !above.isUndefined()) {
        const auto per = whole_yen_of(above.toObject().value(QStringLiteral("per")));
        if (!per)
            return wrong("それ以上の刻み（above.per）が 1 円以上の円の整数ではありません。");
        Money fee;
        if (auto e = amount(above.toObject(), "fee", "それ以上の刻みの手数料（above.fee）", fee))
            return *e;
        plan.above = DailyStep{*per, fee};
    }
    return plan;
}

std::string line_and_column(const QByteArray& bytes, int offset)
{
    const QByteArray before = bytes.left(offset);
    const int line = static_cast<int>(before.count('\n')) + 1;
    const int column = static_cast<int>(offset - before.lastIndexOf('\n'));
    return std::to_string(line) + " 行 " + std::to_string(column) + " 列";
}

QJsonValue json_amount(Money amount)
{
    if (amount.units() % Money::kScale == 0)
        return QJsonValue(static_cast<qint64>(amount.units() / Money::kScale));
    return QJsonValue(static_cast<double>(amount.units()) / Money::kScale);
}

} // namespace

QString daily_plans_beside(const QString& real_data_path)
{
    return QFileInfo(real_data_path).dir().filePath(QString::fromLatin1(kDailyPlansFileName));
}

Outcome<DailyPlans> parse_daily_plans(const QByteArray& bytes, const QString& file)
{
    const std::string name = file.toStdString();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return Error{name + " を JSON として読めません（" + line_and_column(bytes, error.offset) + ": " +
                     error.errorString().toStdString() + "）。"};
    const QJsonObject top = document.object();
    if (top.value(QStringLiteral("version")).toInteger(-1) != 1)
        return Error{name + " の version が 1 ではありません。このプログラムの読める形式ではありません。"};
    const QJsonValue list = top.value(QStringLiteral("plans"));
    if (!list.isArray())
        return Error{name + " にプランの一覧（plans）がありません。"};
    const QJsonArray plans = list.toArray();
    if (plans.size() > kMaxDailyPlans)
        return Error{name + " のプランが多すぎます（" + std::to_string(plans.size()) + " 件。" +
                     std::to_string(kMaxDailyPlans) + " 件までです）。"};
    DailyPlans read;
    QSet<QString> names;
    for (int i = 0; i < plans.size(); ++i) {
        auto plan = PlanReader(file, plans.at(i).toObject(), i).read();
        if (!plan)
            return plan.error();
        if (names.contains(plan->name))
            return Error{name + " にプラン" + in_brackets(plan->name) +
                         "が二つあります。名前を変えて下さい。"};
        names.insert(plan->name);
        read.push_back(std::move(plan).value());
    }
    return read;
}

Outcome<DailyPlans> read_daily_plans_file(const QString& path)
{
    const auto opened = open_side_file(path, SideAccess::ReadAny);
    if (!opened) {
        if (opened.error().kind == SideFileError::Kind::Missing)
            return DailyPlans{};
        return Error{opened.error().message + "。1日定額のプランを読めませんでした。"};
    }
    // Far beyond 21 plans of any size: a larger file is no plan file.
    constexpr qint64 kLongestFile = 1 << 20;
    const auto read = read_open_file(opened->get(), kLongestFile);
    if (!read)
        return Error{path.toStdString() + " を読めません（大きすぎるか、読み取りの権限がありません）。"};
    return parse_daily_plans(*read, path);
}

QByteArray serialize_daily_plans(const DailyPlans& plans)
{
    QJsonArray list;
    for (const DailyPlan& plan : plans) {
        QJsonObject out{{QStringLiteral("name"), plan.name},
                        {QStringLiteral("yearly_fee"), json_amount(plan.yearly_fee)}};
        QJsonArray tiers;
        for (const DailyTier& t : plan.tiers)
            tiers.append(QJsonObject{{QStringLiteral("up_to"), static_cast<qint64>(t.up_to)},
                                     {QStringLiteral("fee"), json_amount(t.fee)}});
        out.insert(QStringLiteral("tiers"), tiers);
        if (plan.above)
            out.insert(QStringLiteral("above"),
                       QJsonObject{{QStringLiteral("per"), static_cast<qint64>(plan.above->per)},
                                   {QStringLiteral("fee"), json_amount(plan.above->fee)}});
        if (plan.maximum != Money{})
            out.insert(QStringLiteral("maximum"), json_amount(plan.maximum));
        list.append(out);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), 1}, {QStringLiteral("plans"), list}})
        .toJson(QJsonDocument::Indented);
}

} // namespace fee
