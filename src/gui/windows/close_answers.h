#pragma once

#include <QString>

#include "core/document/data_document.h"

namespace fee::ui {

class Prompter;

// The user's answers, in message boxes, to what a save asks: what to do about
// a file another program wrote, a failed save and a file that cannot be saved
// at all. `leave` is the button that gives up the changes ("保存しないで終了"),
// `unsaved` the sentence that says which cannot be saved.
class SaveAnswers : public CloseQuestions {
public:
    SaveAnswers(Prompter& prompter, QString leave, QString unsaved)
        : prompter_(prompter), leave_(std::move(leave)), unsaved_(std::move(unsaved))
    {
    }

    Answer changed_on_disk(const QString& path) override;
    Answer save_failed(const std::string& message) override;
    Answer cannot_save(const std::string& why) override;

protected:
    Prompter& prompter_;
    QString leave_;

private:
    QString unsaved_;
};

// The answers at the program's close, with the confirmation of what would be lost.
class CloseAnswers : public SaveAnswers {
public:
    // `table` names the brokers whose changes would be lost; `path` is the
    // data file as the user knows it.
    CloseAnswers(Prompter& prompter, const BrokerTable& table, QString path);

    bool confirm_discard(const LostChanges& lost) override;

private:
    const BrokerTable& table_;
    QString path_;
};

} // namespace fee::ui
