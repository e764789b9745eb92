#include "questionnaire/question_layout.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "main_window/twips.h"
#include "main_window/ui_font.h"

namespace fee::ui {

void lay_out_question(QDialog& window, QLabel& question, const QString& question_text, QPushButton& left,
                      const QString& left_text, QPushButton& right, const QString& right_text)
{
    window.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    window.setWindowTitle(QStringLiteral("投資のスタイルは？"));
    window.setFont(proportional_gothic());
    window.setFixedSize(twips(2850), twips(945));

    question.setText(question_text);
    place(&question, 120, 120, 2655, 255);
    left.setText(left_text);
    place(&left, 120, 480, 1215, 375);
    right.setText(right_text);
    place(&right, 1560, 480, 1215, 375);

    QWidget::setTabOrder(&left, &right);
    left.setFocus();
}

} // namespace fee::ui
