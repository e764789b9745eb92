#include "simulation/form_sl.h"

#include <QMessageBox>

#include "broker_table/broker_table.h"
#include "broker_table/codepage.h"
#include "broker_table/number_text.h"
#include "main_window/twips.h"
#include "main_window/ui_font.h"
#include "simulation/commission.h"
#include "simulation/cost_messages.h"
#include "simulation/result_window.h"

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

Form_sl::Form_sl(BrokerTable& table) : table_(table)
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
}

Form_sl::~Form_sl() = default;

void Form_sl::key_cal2_Click()
{
    z_fig_ini();

    PlanTexts texts;
    for (int r = 0; r < kPlanRows; ++r) {
        texts.amount[r] = l_sm_money[r].text().toStdString();
        texts.count[r] = l_sl_num[r].text().toStdString();
    }
    const auto plan = parse_plan(texts);
    if (!plan) {
        const PlanBoxError& bad = plan.error();
        QLineEdit* box = bad.is_count ? &l_sl_num[bad.row] : &l_sm_money[bad.row];
        z_refuse(QString::fromStdString(bad.message()), box);
        return;
    }
    // Every broker or none: an overflow must neither show partial figures nor
    // disturb the costs of the last complete computation.
    const auto costs = compute_yearly_costs(table_, plan.value());
    if (!costs) {
        z_refuse(QString::fromStdString(cost_overflow_message(table_, costs.error())), nullptr);
        return;
    }

    for (int b = 0; b <= table_.com_last(); ++b) {
        result_->set_text_matrix(b + 1, 0, decode_cp932(table_.com_name(b)));
        table_.com_cost(b) = costs.value()[b];
        result_->set_text_matrix(b + 1, 1, QString::fromStdString(currency_form(table_.com_cost(b))));
    }

    result_->exec();
    // Closed by its close box or together with this window by 閉じる(&X); either
    // way the next computation loads a fresh grid.
    result_.reset();
}

void Form_sl::z_fig_ini()
{
    if (!result_)
        result_ = std::make_unique<ui::result>(*this, table_);
    ui::result& r = *result_;
    r.set_col_width(0, 2000);
    r.set_col_width(1, 1250);
    r.set_cell_alignment(0, 0, Qt::AlignCenter);
    r.set_cell_alignment(0, 1, Qt::AlignCenter);
    r.set_col_alignment(0, Qt::AlignCenter);
    r.set_col_alignment(1, Qt::AlignRight | Qt::AlignVCenter);
    r.set_text_matrix(0, 0, QStringLiteral("会社名"));
    r.set_text_matrix(0, 1, QStringLiteral("試算結果"));
}

void Form_sl::z_refuse(const QString& message, QLineEdit* box)
{
    // The grid set up for this computation is never shown.
    result_.reset();
    QMessageBox::warning(this, QStringLiteral("試算できません"), message);
    if (box) {
        box->setFocus();
        box->selectAll();
    }
}

} // namespace fee::ui
