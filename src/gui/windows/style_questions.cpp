#include "gui/windows/style_questions.h"

#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

QuestionWindow::QuestionWindow(const char* name, const QString& question, const Answer& left,
                               const Answer& right)
{
    setObjectName(QString::fromLatin1(name));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("投資のスタイルは？"));
    setFont(proportional_gothic());
    setFixedSize(twips(2850), twips(945));

    Label1_.setObjectName(QStringLiteral("Label1"));
    Label1_.setText(question);
    place(&Label1_, 120, 120, 2655, 255);
    left_.setObjectName(QString::fromLatin1(left.name));
    left_.setText(left.text);
    place(&left_, 120, 480, 1215, 375);
    right_.setObjectName(QString::fromLatin1(right.name));
    right_.setText(right.text);
    place(&right_, 1560, 480, 1215, 375);
    connect(&left_, &QPushButton::clicked, this, [this] { answer(false); });
    connect(&right_, &QPushButton::clicked, this, [this] { answer(true); });

    setTabOrder(&left_, &right_);
    left_.setFocus();
    fit_texts(*this);
}

void QuestionWindow::answer(bool right)
{
    right_chosen_ = right;
    accept();
}

} // namespace fee::ui
