#pragma once

#include <QString>

#include "core/document/data_document.h"

namespace fee::ui {

class Prompter;

// The user's answers to the document's questions at close, in message boxes:
// what to do about a file another program wrote, a failed save, a file that
// cannot be saved at all, and the confirmation of what would be lost.
class CloseAnswers : public CloseQuestions {
public:
    // `table` names the brokers whose changes would be lost; `path` is the
    // data file as the user knows it.
    CloseAnswers(Prompter& prompter, const BrokerTable& table, QString path)
        : prompter_(prompter), table_(table), path_(std::move(path))
    {
    }

    Answer changed_on_disk(const QString& path) override;
    Answer save_failed(const std::string& message) override;
    Answer cannot_save(const std::string& why) override;
    bool confirm_discard(const LostChanges& lost) override;

private:
    Prompter& prompter_;
    const BrokerTable& table_;
    QString path_;
};

} // namespace fee::ui
