#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "core/analysis/accounts.h"
#include "core/datafile/daily_plans_file.h"
#include "core/datafile/data_file.h"
#include "core/editing/editor_transfer.h"
#include "core/fees/commission.h"
#include "core/fees/participants.h"
#include "core/fees/preset_plans.h"
#include "core/money/number_text.h"
#include "core/replay/history.h"
#include "core/replay/replay.h"
#include "core/text/codepage.h"
#include "qt_print.h"
#include "replay/history_files.h"

// The help's worked examples, recomputed with the program's own formula. Every
// figure the help gives is marked with an id; a figure that no longer matches
// the program, or a marked figure that nothing here checks, fails.

using namespace fee;

namespace {

class HelpDocument {
public:
    HelpDocument()
    {
        QFile file(QStringLiteral(FEE_HELP_FILE));
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot open " << FEE_HELP_FILE;
            return;
        }
        bytes_ = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        html_ = utf8(bytes_);
        valid_utf8_ = !utf8.hasError();

        static const QRegularExpression marked(
            QStringLiteral(R"re(<(\w+)\b[^>]*\bid="([^"]+)"[^>]*>(.*?)</\1>)re"),
            QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
        for (auto it = marked.globalMatch(html_); it.hasNext();) {
            const auto m = it.next();
            QString text = m.captured(3);
            text.remove(tag).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
            if (!figures_.emplace(m.captured(2), text.simplified()).second)
                ADD_FAILURE() << "id used twice: " << m.captured(2);
        }
    }

    const QString& html() const { return html_; }
    bool valid_utf8() const { return valid_utf8_; }
    bool has(const QString& id) const { return figures_.count(id) != 0; }

    // The marked text; a missing id is a failure of its own.
    QString text(const QString& id) const
    {
        used_.insert(id);
        const auto it = figures_.find(id);
        if (it == figures_.end()) {
            ADD_FAILURE() << "the help has no figure " << id;
            return {};
        }
        return it->second;
    }

    Money money(const QString& id) const
    {
        const auto r = parse_currency(text(id));
        EXPECT_TRUE(r) << id << " " << text(id);
        return r ? r.value() : Money{};
    }

    float rate(const QString& id) const
    {
        const auto r = parse_single(text(id));
        EXPECT_TRUE(r) << id << " " << text(id);
        return r ? r.value() : -1.0f;
    }

    std::int32_t count(const QString& id) const
    {
        const auto r = parse_int32(text(id));
        EXPECT_TRUE(r) << id << " " << text(id);
        return r ? r.value() : -1;
    }

    std::set<QString> ids() const
    {
        std::set<QString> all;
        for (const auto& [id, text] : figures_)
            all.insert(id);
        return all;
    }
    const std::set<QString>& used() const { return used_; }

private:
    QByteArray bytes_;
    QString html_;
    bool valid_utf8_ = false;
    std::map<QString, QString> figures_;
    mutable std::set<QString> used_;
};

QString id(const QString& prefix, const char* what, int n)
{
    return QStringLiteral("%1-%2%3").arg(prefix, QString::fromLatin1(what)).arg(n);
}

// A schedule as one of the help's tables shows it: PREFIX-bound-1..5,
// PREFIX-rate-1..6, PREFIX-add-1..6, and fee, minimum and maximum where the
// table gives them (the text around says 0 otherwise).
Broker shown_schedule(const HelpDocument& help, const QString& prefix)
{
    Broker b;
    for (int k = 0; k < kBrackets; ++k) {
        Bracket& bracket = b.brackets[static_cast<std::size_t>(k)];
        if (k < kBoundedBrackets)
            bracket.upper_bound = help.money(id(prefix, "bound-", k + 1));
        bracket.rate = help.rate(id(prefix, "rate-", k + 1));
        bracket.add_on = help.money(id(prefix, "add-", k + 1));
    }
    const std::pair<Money*, const char*> others[] = {
        {&b.yearly_fee, "fee"}, {&b.minimum, "min"}, {&b.maximum, "max"}};
    for (auto [field, name] : others) {
        const QString key = prefix + u'-' + QLatin1String(name);
        if (help.has(key))
            *field = help.money(key);
    }
    return b;
}

void expect_same_schedule(const Broker& shown, const Broker& actual, const QString& what)
{
    for (std::size_t k = 0; k < kBrackets; ++k) {
        EXPECT_EQ(shown.brackets[k].upper_bound.units(), actual.brackets[k].upper_bound.units()) << what << k;
        EXPECT_EQ(shown.brackets[k].rate, actual.brackets[k].rate) << what << k;
        EXPECT_EQ(shown.brackets[k].add_on.units(), actual.brackets[k].add_on.units()) << what << k;
    }
    EXPECT_EQ(shown.yearly_fee.units(), actual.yearly_fee.units()) << what;
    EXPECT_EQ(shown.minimum.units(), actual.minimum.units()) << what;
    EXPECT_EQ(shown.maximum.units(), actual.maximum.units()) << what;
}

QString row_name(int bracket)
{
    return bracket == kTopBracket ? QStringLiteral("それ以上") : QStringLiteral("%1 行目").arg(bracket + 1);
}

// The help's way of writing an exact amount: whole yen with separators, and
// four decimals only when there is a fraction ("29,499.9988").
QString exact_yen(Money m)
{
    const std::int64_t units = m.units();
    const std::uint64_t mag =
        units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    QString whole = QString::number(mag / Money::kScale);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, u',');
    if (units < 0)
        whole.prepend(u'-');
    const std::uint64_t fraction = mag % Money::kScale;
    return fraction == 0 ? whole : whole + QStringLiteral(".%1").arg(fraction, 4, 10, QChar(u'0'));
}

// PREFIX-aN is an amount; PREFIX-rN, where given, the row it uses; PREFIX-xN the
// exact commission of one trade.
int check_trade_examples(const HelpDocument& help, const QString& prefix, const Broker& broker)
{
    int n = 1;
    for (; help.has(id(prefix, "a", n)); ++n) {
        const Money amount = help.money(id(prefix, "a", n));
        if (help.has(id(prefix, "r", n)))
            EXPECT_EQ(help.text(id(prefix, "r", n)), row_name(bracket_index(broker, amount))) << prefix << n;
        const auto c = trade_commission(broker, amount);
        EXPECT_TRUE(c.has_value()) << prefix << n;
        EXPECT_EQ(help.text(id(prefix, "x", n)), c ? exact_yen(*c) : QString()) << prefix << n;
    }
    return n - 1;
}

BrokerTable sample_table()
{
    BrokerTable t;
    const auto loaded = read_data_file(QStringLiteral(FEE_SAMPLE_DATA), t);
    EXPECT_TRUE(loaded) << (loaded ? "" : loaded.error().message);
    return t;
}

const Broker* sample_named(const BrokerTable& t, const QString& name)
{
    for (int b = 0; b <= t.last_broker(); ++b)
        if (decode_cp932(t.broker(b).name) == name)
            return &t.broker(b);
    ADD_FAILURE() << "no sample broker " << name;
    return nullptr;
}

Broker standard_broker()
{
    Broker b;
    EXPECT_TRUE(store_editor_texts(b, standard_schedule_texts()));
    return b;
}

void check_standard_schedule(const HelpDocument& help)
{
    Broker shown = shown_schedule(help, QStringLiteral("std"));
    // One figure stands for both limits: "下限と上限は 0 (なし)".
    shown.maximum = shown.minimum;
    expect_same_schedule(shown, standard_broker(), QStringLiteral("standard "));
    EXPECT_EQ(check_trade_examples(help, QStringLiteral("std"), shown), 5);
}

void check_zero_bound_pitfall(const HelpDocument& help)
{
    const Broker wrong = shown_schedule(help, QStringLiteral("pit"));
    const Broker fixed = shown_schedule(help, QStringLiteral("fix"));
    for (std::size_t k = 2; k < kBoundedBrackets; ++k) {
        EXPECT_EQ(wrong.brackets[k].upper_bound, Money{}) << "the pitfall leaves row " << k + 1 << " at 0";
        EXPECT_EQ(fixed.brackets[k].upper_bound, fixed.brackets[1].upper_bound)
            << "the fix repeats the last bound";
    }
    EXPECT_GE(check_trade_examples(help, QStringLiteral("pit"), wrong), 1);
    EXPECT_GE(check_trade_examples(help, QStringLiteral("fix"), fixed), 3);
}

void check_sample_schedules(const HelpDocument& help)
{
    const BrokerTable t = sample_table();
    for (const char* prefix : {"aoba", "minato"}) {
        const QString p = QString::fromLatin1(prefix);
        const Broker shown = shown_schedule(help, p);
        if (const Broker* sample = sample_named(t, help.text(p + QStringLiteral("-name"))))
            expect_same_schedule(shown, *sample, p + u' ');
        EXPECT_GE(check_trade_examples(help, p, shown), 3) << prefix;
    }
    if (const Broker* sakura = sample_named(t, help.text(QStringLiteral("sakura-name"))))
        expect_same_schedule(*sakura, standard_broker(), QStringLiteral("sakura "));
    EXPECT_FALSE(parse_single(help.text(QStringLiteral("bad-rate")))) << "the help says a % sign is refused";
}

void check_presets(const HelpDocument& help)
{
    for (const PresetPlan& p : preset_plans()) {
        const QString prefix = QStringLiteral("plan-") + QLatin1String(p.key.data(), p.key.size());
        std::int64_t total = 0;
        for (int r = 0; r < kPlanRows; ++r) {
            EXPECT_EQ(help.text(id(prefix, "a", r + 1)),
                      QLatin1String(p.amount[r].data(), p.amount[r].size()));
            EXPECT_EQ(help.text(id(prefix, "n", r + 1)), QLatin1String(p.count[r].data(), p.count[r].size()));
            total += help.count(id(prefix, "n", r + 1));
        }
        EXPECT_EQ(help.text(prefix + QStringLiteral("-total")), general_form(total)) << prefix;
        const QString answer = help.text(prefix + QStringLiteral("-answer"));
        const bool high = answer.contains(QStringLiteral("高額"));
        const bool frequent = answer.contains(QStringLiteral("頻繁"));
        EXPECT_NE(high, answer.contains(QStringLiteral("低額"))) << answer;
        EXPECT_NE(frequent, answer.contains(QStringLiteral("たまに"))) << answer;
        EXPECT_EQ(&preset_plan(high, frequent), &p) << answer;
    }
}

void check_sample_results(const HelpDocument& help)
{
    const BrokerTable t = sample_table();
    const auto costs = compute_yearly_costs(t, parse_plan(preset_plan(false, false).texts()).value());
    ASSERT_TRUE(costs);
    for (int b = 0; b <= t.last_broker(); ++b) {
        EXPECT_EQ(help.text(id(QStringLiteral("res"), "name-", b + 1)), decode_cp932(t.broker(b).name));
        EXPECT_EQ(help.text(id(QStringLiteral("res"), "cost-", b + 1)),
                  currency_form(costs.value().at(static_cast<std::size_t>(b))));
    }
    EXPECT_FALSE(help.has(id(QStringLiteral("res"), "name-", t.broker_count() + 1)));
    const std::vector<int> order = cost_order(costs.value());
    for (std::size_t j = 0; j < order.size(); ++j)
        EXPECT_EQ(help.text(id(QStringLiteral("rank"), "", static_cast<int>(j) + 1)),
                  decode_cp932(t.broker(order[j]).name));

    for (const char* key : {"sample-count", "sample-count-2"})
        EXPECT_EQ(help.count(QString::fromLatin1(key)), t.broker_count());
    QFile file(QStringLiteral(FEE_SAMPLE_DATA));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto lines = file.readAll().count('\n');
    EXPECT_EQ(help.count(QStringLiteral("sample-lines")), lines);
    EXPECT_EQ(lines, data_file_lines(t.broker_count()));
}

void check_worked_example(const HelpDocument& help)
{
    const Broker broker = shown_schedule(help, QStringLiteral("std"));
    const QString w = QStringLiteral("wex");
    EXPECT_EQ(help.money(QStringLiteral("wex-fee")), broker.yearly_fee);
    const TradePlan preset = parse_plan(preset_plan(false, false).texts()).value();
    TradePlan plan{};
    Money sum;
    for (int r = 0; r < kPlanRows; ++r) {
        plan[r] = PlanRow{help.money(id(w, "a", r + 1)), help.count(id(w, "n", r + 1))};
        EXPECT_EQ(plan[r].amount, preset[r].amount) << "the example is the 低額・たまに plan";
        EXPECT_EQ(plan[r].count, preset[r].count) << "the example is the 低額・たまに plan";
        EXPECT_EQ(help.text(id(w, "r", r + 1)), row_name(bracket_index(broker, plan[r].amount)));
        const Money c = trade_commission(broker, plan[r].amount).value();
        EXPECT_EQ(help.text(id(w, "x", r + 1)), exact_yen(c));
        const Money part = c.times(plan[r].count).value();
        EXPECT_EQ(help.text(id(w, "s", r + 1)), exact_yen(part));
        sum = sum.plus(part).value();
    }
    EXPECT_EQ(help.text(QStringLiteral("wex-sum")), exact_yen(sum));
    const Money total = yearly_cost(broker, plan).value();
    EXPECT_EQ(help.text(QStringLiteral("wex-total")), exact_yen(total));
    EXPECT_EQ(help.text(QStringLiteral("wex-shown")), currency_form(total));
}

QString readme_text()
{
    QFile readme(QStringLiteral(FEE_README));
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly));
    return QString::fromUtf8(readme.readAll());
}

// The accounts example: the best single broker, the best pair, the row the
// pair's newcomer takes over, its fee and the saving. The README tells the
// same example with the same figures.
void check_accounts_example(const HelpDocument& help)
{
    const BrokerTable t = sample_table();
    const TradePlan plan = parse_plan(preset_plan(false, false).texts()).value();
    const auto sets = cheapest_account_sets(t, plan, 2).value();
    ASSERT_EQ(sets.size(), 2u);
    const AccountSet& one = sets[0];
    const AccountSet& two = sets[1];
    const auto name = [&t](int row) { return decode_cp932(t.broker(row).name); };
    EXPECT_EQ(help.text(QStringLiteral("acc-one")), name(one.members[0]));
    EXPECT_EQ(help.text(QStringLiteral("acc-one-total")), currency_form(one.total));
    EXPECT_EQ(help.text(QStringLiteral("acc-two-first")), name(two.members[0]));
    EXPECT_EQ(help.text(QStringLiteral("acc-two-second")), name(two.members[1]));
    EXPECT_EQ(help.text(QStringLiteral("acc-two-total")), currency_form(two.total));
    EXPECT_EQ(help.text(QStringLiteral("acc-saving")), currency_form(*one.total.minus(two.total)));
    const int newcomer = two.members[0] == one.members[0] ? two.members[1] : two.members[0];
    EXPECT_EQ(help.money(QStringLiteral("acc-two-fee")), t.broker(newcomer).yearly_fee);
    std::size_t r = 0;
    while (r < kPlanRows && two.taker[r] == one.taker[r])
        ++r;
    ASSERT_LT(r, kPlanRows);
    EXPECT_EQ(*two.taker[r], newcomer);
    const auto part = [&](int b) {
        return trade_commission(t.broker(b), plan[r].amount)->times(plan[r].count);
    };
    EXPECT_EQ(help.text(QStringLiteral("acc-row-amount")), currency_form(plan[r].amount));
    EXPECT_EQ(help.count(QStringLiteral("acc-row-count")), plan[r].count);
    EXPECT_EQ(help.text(QStringLiteral("acc-row-one")), currency_form(*part(one.members[0])));
    EXPECT_EQ(help.text(QStringLiteral("acc-row-two")), currency_form(*part(newcomer)));
    const QString text = readme_text();
    for (const char* id :
         {"acc-one-total", "acc-two-total", "acc-two-fee", "acc-row-one", "acc-row-two", "acc-saving"})
        EXPECT_TRUE(text.contains(help.text(QString::fromLatin1(id)))) << "README lacks the help's " << id;
}

// The replay example: the generated download line by line, what was read and
// its ranking at the sample brokers. The README shows the same file and figures.
void check_replay_example(const HelpDocument& help)
{
    const std::string file = test::worked_example_history();
    const QString text = decode_cp932(file);
    EXPECT_EQ(help.text(QStringLiteral("rex-file")), text.simplified());
    const auto history = read_history(file, QStringLiteral("history.csv"));
    ASSERT_TRUE(history.ok());
    const HistorySummary& s = history->summary;
    const std::pair<const char*, int> counts[] = {{"rex-header", s.header_line},
                                                  {"rex-lines", s.lines},
                                                  {"rex-trades", s.trades},
                                                  {"rex-margin", s.margin},
                                                  {"rex-other", s.other}};
    for (const auto& [id, count] : counts)
        EXPECT_EQ(help.count(QString::fromLatin1(id)), count) << id;
    const BrokerTable t = sample_table();
    const auto costs = price_history(t, *history).value();
    const auto name = [&t](int row) { return decode_cp932(t.broker(row).name); };
    const QString readme = readme_text();
    for (std::size_t i = 0; i < costs.size(); ++i) {
        const ReplayCost& c = costs[i];
        const auto figure = [&](const char* what) {
            return help.text(id(QStringLiteral("rex"), what, int(i) + 1));
        };
        EXPECT_EQ(figure("name-"), name(c.broker));
        EXPECT_EQ(figure("commission-"), currency_form(c.commission));
        EXPECT_EQ(figure("fees-"), currency_form(c.yearly_fees));
        EXPECT_EQ(figure("total-"), currency_form(c.total));
        EXPECT_TRUE(readme.contains(general_form(c.total)) && readme.contains(currency_form(c.total))) << i;
    }
    EXPECT_EQ(help.text(QStringLiteral("rex-paid")), currency_form(*s.paid));
    EXPECT_EQ(help.text(QStringLiteral("rex-best")), name(costs.front().broker));
    EXPECT_EQ(help.text(QStringLiteral("rex-best-total")), currency_form(costs.front().total));
    const auto plan = compute_yearly_costs(t, parse_plan(preset_plan(false, false).texts()).value()).value();
    EXPECT_EQ(help.text(QStringLiteral("rex-plan-first")), name(cost_order(plan).front()));
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        EXPECT_TRUE(readme.contains(line)) << "README lacks the example's line " << line;
    EXPECT_TRUE(readme.contains(help.text(QStringLiteral("rex-paid"))));
}

// The daily plan example: the sample's first plan as the help describes it, two
// days priced by its rule, and its year under the 低額・たまに plan.
void check_daily_plan_example(const HelpDocument& help)
{
    const QString path =
        QFileInfo(QStringLiteral(FEE_SAMPLE_DATA)).dir().filePath(QStringLiteral("daily-plans.json"));
    const DailyPlans plans = read_daily_plans_file(path).value();
    const DailyPlan& plan = plans.at(0);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(help.money(id(QStringLiteral("dpx"), "t", t + 1)),
                  Money::from_whole_yen(plan.tiers.at(t).up_to));
        EXPECT_EQ(help.money(id(QStringLiteral("dpx"), "f", t + 1)), plan.tiers.at(t).fee);
    }
    EXPECT_EQ(help.money(QStringLiteral("dpx-per")), Money::from_whole_yen(plan.above->per));
    EXPECT_EQ(help.money(QStringLiteral("dpx-step")), plan.above->fee);
    EXPECT_EQ(help.money(QStringLiteral("dpx-max")), plan.maximum);
    EXPECT_EQ(day_fee(plan, help.money(QStringLiteral("dpx-day"))),
              help.money(QStringLiteral("dpx-day-fee")));
    const Money big = help.money(QStringLiteral("dpx-big"));
    DailyPlan uncapped = plan;
    uncapped.maximum = {};
    EXPECT_EQ(day_fee(uncapped, big), help.money(QStringLiteral("dpx-big-uncapped")));
    EXPECT_EQ(*day_fee(uncapped, big), *plan.tiers.back().fee.plus(*plan.above->fee.times(
                                           help.count(QStringLiteral("dpx-big-steps")))));
    EXPECT_EQ(day_fee(plan, big), plan.maximum);
    const BrokerTable t = sample_table();
    const TradePlan low = parse_plan(preset_plan(false, false).texts()).value();
    const Participants both(t, plans);
    EXPECT_EQ(yearly_cost(both, t.broker_count(), low).value(), help.money(QStringLiteral("dpx-plan-total")));
    const QString readme = readme_text();
    for (const char* figure : {"dpx-day-fee", "dpx-big-uncapped", "dpx-plan-total"})
        EXPECT_TRUE(readme.contains(help.text(QString::fromLatin1(figure))))
            << "README lacks the help's " << figure;
}

void check_limits(const HelpDocument& help)
{
    EXPECT_EQ(help.count(QStringLiteral("max-brokers")), kEditorLastBroker + 1);
    EXPECT_EQ(help.count(QStringLiteral("count-max")), INT32_MAX);
}

} // namespace

TEST(HelpBracketRule, RowAfterTheLastExceededBoundInTheStandardSchedule)
{
    check_standard_schedule(HelpDocument());
}

TEST(HelpBracketRule, ZeroBoundsSendEveryTradeToTheTopRowRepeatingTheLastBoundDoesNot)
{
    check_zero_bound_pitfall(HelpDocument());
}

TEST(HelpSchedules, SampleBrokersAreShownAsTheSampleFileHoldsThemFlatFeeAndLimits)
{
    check_sample_schedules(HelpDocument());
}

TEST(HelpPresets, FourPlansMatchTheirAnswersAndTradeCounts)
{
    check_presets(HelpDocument());
}

TEST(HelpResults, SampleYearlyCostsAndSortedOrder)
{
    check_sample_results(HelpDocument());
}

TEST(HelpResults, WorkedExampleAddsUpByTheProgramsArithmetic)
{
    check_worked_example(HelpDocument());
}

TEST(HelpResults, TheAccountsExampleByTheSearchItself)
{
    check_accounts_example(HelpDocument());
}

TEST(HelpResults, TheReplayExampleByTheReaderAndThePricing)
{
    check_replay_example(HelpDocument());
}

TEST(HelpResults, BrokerAndCountLimits)
{
    check_limits(HelpDocument());
}

TEST(HelpDocument, OneSelfContainedUtf8PageWhoseLinksAllLand)
{
    const HelpDocument help;
    EXPECT_TRUE(help.valid_utf8());
    const QString& html = help.html();
    static const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
    EXPECT_TRUE(title.match(html).hasMatch());
    // Shown by the program's own browser: nothing that it would fetch or run.
    for (const char* banned : {"<script", "<img", "<link", " src=", "http://", "https://", "(&amp;"})
        EXPECT_FALSE(html.contains(QLatin1String(banned), Qt::CaseInsensitive)) << banned;

    static const QRegularExpression link(QStringLiteral(R"re(href="#([^"]+)")re"));
    int links = 0;
    for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
        const QString target = it.next().captured(1);
        EXPECT_TRUE(html.contains(QStringLiteral("<a name=\"%1\">").arg(target))) << target;
    }
    EXPECT_GE(links, 13);
}

TEST(HelpDocument, EveryMarkedFigureIsChecked)
{
    const HelpDocument help;
    check_standard_schedule(help);
    check_zero_bound_pitfall(help);
    check_sample_schedules(help);
    check_presets(help);
    check_sample_results(help);
    check_worked_example(help);
    check_accounts_example(help);
    check_replay_example(help);
    check_daily_plan_example(help);
    check_limits(help);
    std::set<QString> unchecked;
    for (const QString& figure : help.ids())
        if (!help.used().count(figure))
            unchecked.insert(figure);
    EXPECT_TRUE(unchecked.empty()) << QStringList(unchecked.begin(), unchecked.end()).join(u' ');
}
