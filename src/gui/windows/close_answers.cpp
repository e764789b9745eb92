#include "gui/windows/close_answers.h"

#include <QStringList>

#include "core/text/codepage.h"
#include "gui/app/prompter.h"

namespace fee::ui {
namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

CloseQuestions::Answer answer(int index)
{
    return index == 0   ? CloseQuestions::Answer::Save
           : index == 1 ? CloseQuestions::Answer::Discard
                        : CloseQuestions::Answer::Cancel;
}

} // namespace

CloseQuestions::Answer SaveAnswers::changed_on_disk(const QString& path)
{
    return answer(
        prompter_.ask(QStringLiteral("%1 は、このプログラムが読み込んだ後に、ほかのプログラムによって"
                                     "書き換えられています。\nこのプログラムの内容で上書きしますか？")
                          .arg(path),
                      {QStringLiteral("上書き保存"), leave_, QStringLiteral("キャンセル")}));
}

CloseQuestions::Answer SaveAnswers::save_failed(const std::string& message)
{
    return answer(
        prompter_.ask(qt(message), {QStringLiteral("もう一度"), leave_, QStringLiteral("キャンセル")}));
}

CloseQuestions::Answer SaveAnswers::cannot_save(const std::string& why)
{
    return prompter_.ask(qt(why) + unsaved_, {leave_, QStringLiteral("キャンセル")}) == 0 ? Answer::Discard
                                                                                          : Answer::Cancel;
}

CloseAnswers::CloseAnswers(Prompter& prompter, const BrokerTable& table, QString path)
    : SaveAnswers(prompter, QStringLiteral("保存しないで終了"), QStringLiteral("変更は保存できません。")),
      table_(table), path_(std::move(path))
{
}

bool CloseAnswers::confirm_discard(const LostChanges& lost)
{
    QStringList lines;
    if (lost.list_edited)
        lines << QStringLiteral("証券会社の一覧の名前の変更・削除・並べ替え");
    for (const int r : lost.brokers) {
        // Quoted like every name in a message, so that a long one keeps the buttons on screen.
        QString line = qt(broker_label(r, table_.broker(r).name));
        if (r > lost.saved_last_broker)
            line += QStringLiteral("（追加）");
        lines << line;
    }
    const QString what =
        lines.isEmpty() ? QStringLiteral("変更はありません。%1 は今のままです。").arg(path_)
                        : QStringLiteral("次の証券会社の変更は失われます。%1 は今のままです。\n").arg(path_) +
                              lines.join(QStringLiteral("\n"));
    return prompter_.ask(what + QStringLiteral("\n\n保存しないで終了しますか？"),
                         {leave_, QStringLiteral("キャンセル")}) == 0;
}

} // namespace fee::ui
