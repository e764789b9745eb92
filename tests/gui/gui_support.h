#pragma once

// Support for the window tests: a script runner for modal dialogs that can never
// hang a test, typing of Japanese text and Alt access keys.
//
// Typical use (a chain of modal dialogs opened by a click):
//
//     fee::test::ModalScript script({
//         {"QInputDialog", [](QWidget* d) {
//              fee::test::type_text(d->focusWidget(), QStringLiteral("みらい証券"));
//              fee::test::click_button(d, QStringLiteral("OK"));
//          }},
//     });
//     QTest::mouseClick(&window.add_button, Qt::LeftButton); // blocks inside exec()
//     QVERIFY2(script.finish(), qPrintable(script.failure()));
//
// A script with no steps is a plain watchdog: any modal dialog that shows up
// while it runs fails the test and is closed.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "gui/app/prompter.h"

class QAbstractButton;
class QAction;
class QMenu;
class QPushButton;
class QComboBox;
class QLineEdit;
class QWidget;

namespace fee {
class BrokerTable;
class DataDocument;
} // namespace fee

namespace fee::ui {
class MainWindow;
} // namespace fee::ui

namespace fee::test {

// One step of a script: wait until the modal widget on top matches `expect`,
// then run `act` on it.
struct ModalStep {
    // Matches the objectName, the class name (with or without namespace) or any
    // base class name ("QMessageBox", "QDialog", "amount_question").
    QString expect;
    // Runs when the widget is on top, visible and active. It may open a nested
    // modal dialog and so block; later steps still run. QCOMPARE/QVERIFY inside
    // it mark the test failed, and the script then closes every modal widget.
    std::function<void(QWidget*)> act;
    // Time for the widget to appear, counted from the end of the previous step
    // (or from the script's start).
    int timeout_ms = 5000;
};

// Runs its steps from fresh single-shot timers (a repeating timer would stall
// while its own slot blocks in exec()). When a step times out, or after the last
// step a modal widget stays on top for `idle_grace_ms`, the failure is recorded
// and every modal widget is rejected/closed, innermost first, so the nested
// exec() calls unwind and the test fails instead of hanging.
class ModalScript : public QObject {
    Q_OBJECT
public:
    explicit ModalScript(std::vector<ModalStep> steps = {}, int idle_grace_ms = 1500);
    ~ModalScript() override;

    // Waits (processing events) until every step has run or the script failed,
    // then stops watching. Returns true when every step ran without failure.
    // Records a failure if steps remain after `timeout_ms`.
    bool finish(int timeout_ms = 10000);

    bool failed() const { return !failure_.isEmpty(); }
    QString failure() const { return failure_; }
    int steps_done() const { return next_; }

    // Rejects or closes every modal widget, innermost first.
    static void close_all_modals();

private:
    void poll();
    void fail(const QString& why);

    std::vector<ModalStep> steps_;
    std::size_t next_ = 0;
    int idle_grace_ms_;
    QElapsedTimer step_clock_;
    QElapsedTimer idle_clock_;
    QPointer<QWidget> idle_widget_;
    QString failure_;
    bool watching_ = true;
};

// Types `text` into `target` with one key event per character that carries the
// character as its text, so that kana and kanji arrive (QTest::keyClicks drops
// anything outside Latin-1).
void type_text(QWidget* target, const QString& text);

// Replaces a box's text as a user does: click, select all, delete, then type,
// or paste when the text is long. Records a failure if the box does not end up
// holding `text`.
void retype(QLineEdit* box, const QString& text);

// Chooses entry `index` of a drop-down list with the mouse, as a user does:
// open it, click the entry, wait until it has closed.
void choose_entry(QComboBox* list, int index);

// Waits until `window` is the active window (activating it first), then sends
// Alt+`letter` to it. Returns false if the window never became active.
bool press_alt(QWidget* window, char letter, int timeout_ms = 5000);

// The child of `parent` named `name`; a test failure, and null, when there is
// none. For a control array, the name and the index: child<QLineEdit>(w,
// "add_on_box", 2) finds "add_on_box(2)".
QObject* find_named(QObject* parent, const QString& name);
template <typename T> T* child(QObject* parent, const QString& name)
{
    return qobject_cast<T*>(find_named(parent, name));
}
template <typename T> T* child(QObject* parent, const QString& name, int index)
{
    return child<T>(parent, QStringLiteral("%1(%2)").arg(name).arg(index));
}

// The main window's controls by their names; a test failure when missing.
QLineEdit* edit(QWidget* window, const QString& name);
QLineEdit* edit(QWidget* window, const QString& name, int index);
QPushButton* button(QWidget* window, const QString& name);
QComboBox* combo(QWidget* window);
QAction* action(QWidget* window, const QString& name);
QMenu* menu(QWidget* window, const QString& name);

// What a user would notice of a fixed layout: a control that reaches outside
// its parent, two controls that take input overlapping, a caption that does
// not fit its room. Empty when there is none.
QStringList layout_problems(QWidget& window);

// The first visible button under `parent` whose text, without "&", is `text`.
QAbstractButton* find_button(QWidget* parent, const QString& text);
// Clicks that button; records a test failure when there is none.
void click_button(QWidget* parent, const QString& text);

// Delivers every event already posted, so that a test can assert that a key
// or click changed nothing, without waiting a fixed time.
void settle();

// True when the IPA Gothic fonts the layouts were drawn with are installed.
bool ipa_fonts_installed();

// For the checks that only hold with those fonts.
#define FEE_SKIP_WITHOUT_IPA_FONTS()                                                                         \
    do {                                                                                                     \
        if (!fee::test::ipa_fonts_installed())                                                               \
            QSKIP("needs the IPA Gothic fonts (Debian package fonts-ipafont-gothic)");                       \
    } while (0)

// Drops the offscreen platform's lines about what it cannot do with windows
// ("propagateSizeHints", "raise()", keyboard and mouse grabs, printed for every
// dialog and popup) and passes every other message on to the previous handler. Call once, e.g. in
// initTestCase().
void install_message_filter();

// The steps of a calculation from its first question to the result grid:
// Alt+`amount` and Alt+`frequency` answer the questions, Alt+D computes, then
// `at_result` acts on the grid.
std::vector<ModalStep> to_the_result(char amount, char frequency, std::function<void(QWidget*)> at_result);

// A step for a real message box (the DialogPrompter's) whose text holds every
// one of `parts`: its first button is pressed.
ModalStep press_in_message(const QStringList& parts);

// What the user does at one of the program's prompts (see ScriptedPrompter).
struct PromptStep {
    enum class Kind { Message, Question, Text, SavePath, OpenPath };
    Kind kind = Kind::Message;
    QStringList parts;            // each one is in the text (Text: the text offered)
    QString answer;               // Question: the button pressed
    std::optional<QString> reply; // Text, SavePath, OpenPath: what is typed; empty to cancel
    QString* seen = nullptr;      // receives the text (SavePath: the path offered; OpenPath: the title)
};

// A message with one button whose text holds every one of `parts`, read and closed.
PromptStep expect_message(const QStringList& parts, QString* seen = nullptr);
// A question whose text holds every one of `parts`, answered with the button `answer`.
PromptStep answer_message(const QStringList& parts, const QString& answer, QString* seen = nullptr);
// A line of text asked for, offering a text that holds every one of
// `offered`: `reply` typed and confirmed, or cancelled when empty.
PromptStep answer_text(std::optional<QString> reply, const QStringList& offered = {});
// A file to save to: `path` chosen, or cancelled when empty; `suggested`
// receives the path offered.
PromptStep answer_save_path(std::optional<QString> path, QString* suggested = nullptr);
// A file to read: `path` chosen, or cancelled when empty; `title` receives the dialog's title.
PromptStep answer_open_path(std::optional<QString> path, QString* title = nullptr);

// The program's prompts answered from a script, as a user would, at once and
// without a dialog. Anything asked that the script did not expect is a
// failure, answered with the answer that changes nothing.
class ScriptedPrompter : public ui::Prompter {
public:
    // The steps to come; an earlier script's state is dropped.
    void script(std::vector<PromptStep> steps);
    // True when every step was used (waiting a moment for them) and nothing
    // else was asked since script().
    bool finish();
    QString failure() const { return failure_; }

    void inform(const QString& text, const QString& own_title = {}) override;
    int ask(const QString& text, const QStringList& answers) override;
    std::optional<QString> ask_text(const QString& title, const QString& prompt, const QString& text,
                                    int max_length) override;
    // A refused reply is told as a message, then the next reply is taken.
    std::optional<QString> ask_save_path(const QString& title, const QString& suggested,
                                         const QString& filter, const SaveRefusal& refusal) override;
    std::optional<QString> ask_open_path(const QString& title, const QString& folder,
                                         const QString& filter) override;

private:
    const PromptStep* next(PromptStep::Kind kind, const QString& text);

    std::vector<PromptStep> steps_;
    std::size_t next_ = 0;
    QString failure_;
};

// compare.dat in the current directory, byte for byte.
void write_data_file_bytes(const QByteArray& bytes);
std::optional<QByteArray> read_data_file_bytes();

// Lowers this process's file size limit, so that the system refuses writes the
// way a full disk does (SIGXFSZ ignored, the write fails with EFBIG); the
// previous limit comes back when this is destroyed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long previous_soft_ = 0;
};

// Counts how often `name` in `folder` is replaced by a rename, as every
// completed save does, from construction until count() is called.
class ReplacementCounter {
public:
    ReplacementCounter(const QString& folder, const QString& name);
    ~ReplacementCounter();
    ReplacementCounter(const ReplacementCounter&) = delete;
    ReplacementCounter& operator=(const ReplacementCounter&) = delete;

    int count();

private:
    int fd_ = -1;
    QByteArray name_;
    int seen_ = 0;
};

// A fresh temporary folder made the current directory, where the program looks
// for compare.dat; the previous directory comes back when this is destroyed.
class TemporaryWorkingDir {
public:
    TemporaryWorkingDir();
    ~TemporaryWorkingDir();
    TemporaryWorkingDir(const TemporaryWorkingDir&) = delete;
    TemporaryWorkingDir& operator=(const TemporaryWorkingDir&) = delete;

    // False when the folder could not be made or entered.
    bool isValid() const { return valid_; }
    QString path() const { return dir_.path(); }

private:
    QString previous_;
    QTemporaryDir dir_;
    bool valid_ = false;
};

// The program as main() starts it, each test in a fresh temporary folder that
// is the current directory, with a ScriptedPrompter for the user: call
// set_up() from init() and tear_down() from cleanup(); start() runs the load
// step and shows the window.
class ProgramFixture {
public:
    ProgramFixture();
    ~ProgramFixture();

    // False when the folder could not be made.
    bool set_up();
    // Closes any modal dialog left open, then the window, the table and the folder.
    void tear_down();
    // Opens compare.dat of the folder, then loads and shows the window as
    // main() does and waits until it is active; false when the start was
    // refused (its message has then been shown, and there is no window).
    bool start();

    bool has_window() const { return window_ != nullptr; }
    fee::ui::MainWindow& window() { return *window_; }
    BrokerTable& table();
    QString folder() const;
    // Answers every message and question of the program from its script.
    ScriptedPrompter& prompter() { return prompter_; }

private:
    ScriptedPrompter prompter_;
    std::unique_ptr<TemporaryWorkingDir> dir_;
    std::unique_ptr<DataDocument> document_;
    std::unique_ptr<fee::ui::MainWindow> window_;
};

} // namespace fee::test
