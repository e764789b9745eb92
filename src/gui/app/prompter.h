#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>

class QWidget;

namespace fee::ui {

// Every message and question the program puts to the user goes through one
// Prompter, handed to each window from outside, so that one rule holds for all
// of them and a test can answer from a script. The rule: the title is the
// program's name; Enter presses the focused button, which at first is the last
// answer; Esc and the close box give the last answer, which is always the one
// that changes nothing.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A message with one OK button. A message with a name of its own (the
    // version box) shows that name as its title and no icon.
    virtual void inform(const QString& text, const QString& own_title = {}) = 0;
    // A message with `answers` as its buttons, left to right; the index of
    // the one chosen.
    virtual int ask(const QString& text, const QStringList& answers) = 0;
    // One line of text, starting from `text`, at most `max_length`
    // characters; empty when cancelled or left empty.
    virtual std::optional<QString> ask_text(const QString& title, const QString& prompt, const QString& text,
                                            int max_length) = 0;
    // Why a file chosen to be written must not be; empty when it may be.
    using SaveRefusal = std::function<QString(const QString& path)>;
    // A file to save to, starting from `suggested`; empty when cancelled. A
    // file `refusal` refuses is not taken: the user is told why and chooses
    // again.
    virtual std::optional<QString> ask_save_path(const QString& title, const QString& suggested,
                                                 const QString& filter, const SaveRefusal& refusal) = 0;
    // An existing file to read, starting in `folder`; empty when cancelled.
    virtual std::optional<QString> ask_open_path(const QString& title, const QString& folder,
                                                 const QString& filter) = 0;
};

// The prompter of the running program: dialog boxes over the window the user
// is looking at (the active modal window, else the active window).
class DialogPrompter : public Prompter {
public:
    void inform(const QString& text, const QString& own_title = {}) override;
    int ask(const QString& text, const QStringList& answers) override;
    std::optional<QString> ask_text(const QString& title, const QString& prompt, const QString& text,
                                    int max_length) override;
    std::optional<QString> ask_save_path(const QString& title, const QString& suggested,
                                         const QString& filter, const SaveRefusal& refusal) override;
    std::optional<QString> ask_open_path(const QString& title, const QString& folder,
                                         const QString& filter) override;
};

// The program's name, the title of its messages and of its main window.
QString program_name();

// Where a file dialog starts: the first of `folders` that is named and
// exists, else the last of them.
QString start_folder(std::initializer_list<QString> folders);

} // namespace fee::ui
