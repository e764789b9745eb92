#pragma once

class QDialog;
class QLabel;
class QPushButton;
class QString;

namespace fee::ui {

// The two style questions share one design: a caption, a question and two
// answers, the left one taking the focus.
void lay_out_question(QDialog& window, QLabel& question, const QString& question_text, QPushButton& left,
                      const QString& left_text, QPushButton& right, const QString& right_text);

} // namespace fee::ui
