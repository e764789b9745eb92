#include "gui/windows/style_questions.h"

#include <QPushButton>

#include "gui/layout/form.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {
namespace {

constexpr Twips kWindow = {0, 0, 2850, 945};

} // namespace

QuestionWindow::QuestionWindow(const char* name, const QString& question, const Answer& left,
                               const Answer& right)
{
    set_fixed_frame(QString::fromLatin1(name), QStringLiteral("投資のスタイルは？"), kWindow.width,
                    kWindow.height);

    const ControlSpec design[] = {
        {ControlKind::Label, "question_label", question, {120, 120, 2655, 255}},
        {ControlKind::Answer, left.name, left.text, {120, 480, 1215, 375}},
        {ControlKind::Answer, right.name, right.text, {1560, 480, 1215, 375}},
    };
    const Form form(*this, design);
    auto* left_button = form.get<QPushButton>(left.name);
    auto* right_button = form.get<QPushButton>(right.name);
    connect(left_button, &QPushButton::clicked, this, [this] { answer(false); });
    connect(right_button, &QPushButton::clicked, this, [this] { answer(true); });

    setTabOrder(left_button, right_button);
    left_button->setFocus();
    fit_texts(*this);
}

void QuestionWindow::answer(bool right)
{
    right_chosen_ = right;
    accept();
}

AmountQuestion::AmountQuestion()
    : QuestionWindow("amount_question", QStringLiteral("投資の金額はどのぐらいでしょうか"),
                     {"low_button", QStringLiteral("低額(&L)")}, {"high_button", QStringLiteral("高額(&H)")})
{
}

FrequencyQuestion::FrequencyQuestion()
    : QuestionWindow("frequency_question", QStringLiteral("売買の回数はどのぐらいでしょうか"),
                     {"occasional_button", QStringLiteral("たまに(&J)")},
                     {"frequent_button", QStringLiteral("頻繁(&I)")})
{
}

} // namespace fee::ui
