#include "gui/form_sl.h"

#include <QMessageBox>

#include "core/broker_table.h"
#include "core/cost_messages.h"
#include "gui/box_text.h"
#include "gui/text_fit.h"
#include "gui/twips.h"
#include "gui/ui_font.h"

namespace fee::ui {

namespace {

// Design-time texts; the questionnaire overwrites all ten before showing.
constexpr std::array<const char*, kPlanRows> kDesignAmounts = {"500,000", "1,000,000", "5,000,000",
                                                               "20,000,000", "100,000,000"};
constexpr std::array<const char*, kPlanRows> kDesignCounts = {"20", "10", "3", "0", "0"};

int row_top(int r)
{
    return 600 + 360 * r;
}

} // namespace

Form_sl::Form_sl(const BrokerTable& table) : table_(table)
{
    setObjectName(QStringLiteral("Form_sl"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("どのぐらい株取引をしますか"));
    setFont(proportional_gothic());
    setFixedSize(twips(5175), twips(2850));

    Label1.setText(QStringLiteral("１年間で、予想される株売買を記入して下さい"));
    place(&Label1, 120, 120, 3615, 255);

    for (int r = 0; r < kPlanRows; ++r) {
        const int top = row_top(r);
        for (QLineEdit* box : {&l_sm_money[r], &l_sl_num[r]}) {
            box->setParent(this);
            box->setAttribute(Qt::WA_InputMethodEnabled, false);
            box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        l_sm_money[r].setObjectName(QStringLiteral("l_sm_money_%1").arg(r));
        l_sm_money[r].setText(QString::fromLatin1(kDesignAmounts[r]));
        place(&l_sm_money[r], 120, top, 1095, 270);

        Label2[r].setParent(this);
        Label2[r].setText(QStringLiteral("円の取引を１年に"));
        place(&Label2[r], 1320, top, 1335, 255);

        l_sl_num[r].setObjectName(QStringLiteral("l_sl_num_%1").arg(r));
        l_sl_num[r].setText(QString::fromLatin1(kDesignCounts[r]));
        place(&l_sl_num[r], 2760, top, 615, 270);

        Label3[r].setParent(this);
        Label3[r].setText(QStringLiteral("回ぐらいするでしょう"));
        place(&Label3[r], 3480, top, 1575, 255);
    }

    key_cal2.setText(QStringLiteral("試算(&D)"));
    // Enter in a box does not start a computation behind the user's back.
    key_cal2.setAutoDefault(false);
    place(&key_cal2, 1680, 2400, 1815, 375);
    connect(&key_cal2, &QPushButton::clicked, this, &Form_sl::key_cal2_Click);

    // Amounts top to bottom, then counts, then the button.
    QWidget* previous = &l_sm_money[0];
    for (int r = 1; r < kPlanRows; ++r) {
        setTabOrder(previous, &l_sm_money[r]);
        previous = &l_sm_money[r];
    }
    for (int r = 0; r < kPlanRows; ++r) {
        setTabOrder(previous, &l_sl_num[r]);
        previous = &l_sl_num[r];
    }
    setTabOrder(previous, &key_cal2);
    l_sm_money[0].setFocus();
    fit_texts(*this);
}

void Form_sl::set_plan_texts(const PlanTexts& texts)
{
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        set_box_text(l_sm_money[r], texts.amount[r]);
        set_box_text(l_sl_num[r], texts.count[r]);
    }
}

void Form_sl::key_cal2_Click()
{
    PlanTexts texts;
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        texts.amount[r] = l_sm_money[r].text();
        texts.count[r] = l_sl_num[r].text();
    }
    const auto plan = parse_plan(texts);
    if (!plan) {
        const PlanBoxError& bad = plan.error();
        const auto row = static_cast<std::size_t>(bad.row);
        refuse(QString::fromStdString(bad.message()), bad.is_count ? &l_sl_num[row] : &l_sm_money[row]);
        return;
    }
    // Every broker or none: an overflow must neither show partial figures nor
    // disturb the costs of the last complete computation.
    const auto costs = compute_yearly_costs(table_, plan.value());
    if (!costs) {
        refuse(QString::fromStdString(cost_overflow_message(table_, costs.error(), plan.value())), nullptr);
        return;
    }
    emit computed(plan.value(), costs.value());
}

void Form_sl::refuse(const QString& message, QLineEdit* box)
{
    QMessageBox::warning(this, QStringLiteral("試算できません"), message);
    if (box) {
        box->setFocus();
        box->selectAll();
    }
}

} // namespace fee::ui
