#pragma once

#include <QMainWindow>
#include <QPointer>
#include <optional>
#include <string>

#include "core/document/data_document.h"
#include "core/document/data_location.h"
#include "core/editing/editor_transfer.h"
#include "gui/app/calculation.h"

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QSessionManager;

namespace fee {
class BrokerTable;
}

namespace fee::ui {

class HelpWindow;
class Prompter;
class ScheduleEditor;

// The main window: the broker list with its menu for renaming, removing and
// reordering, the schedule editor of one broker, adding brokers, the
// calculation, the replay of a trade-history file (chosen in the ファイル menu
// or dropped on the window), help and version, and the close. The document, opened before
// the window is made, owns compare.dat; the window edits its table and turns
// the document's questions at close into the user's.
//
// Every failure is reported in a message box and stops the action that hit it
// with nothing lost: a box that is not a number keeps the table row as it was
// (the row is stored only when every box converts) and gets the focus; a failed
// write keeps the window open with the file as the message says.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Every message and question goes through `prompter`.
    MainWindow(DataDocument& document, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The installed folder the help may come from, and the folder of the
    // data file, where a help file of its own may lie.
    void set_data_location(DataLocation where) { where_ = std::move(where); }

    // The loaded table into the window: the list filled, broker 0 shown.
    void load_table();
    // A message for what the user should know once the window shows.
    void show_notice(const QString& text);

    // The broker the editor shows.
    int shown_broker() const { return shown_broker_; }

    // What the user can do.
    void choose_broker(int index);
    void show_list_menu(const QPoint& pos);
    void rename_broker();
    void remove_broker();
    void move_broker_up();
    void move_broker_down();
    void add_broker();
    void start_calculation();
    // The daily flat plans beside compare.dat, in a window of their own.
    void edit_daily_plans();
    // A trade history chosen by the user, or `path`, priced at every broker.
    void replay_history();
    void replay_file(const QString& path);
    void quit();
    void show_help();
    void show_version();

    // The close when nobody is there to answer (a signal, the end of the
    // desktop session): the close box's sequence with the answers of nobody.
    // The editor is stored if every box converts, and the table as last
    // stored is written unless another program wrote the file since. No
    // message box; the error lists what was not saved.
    Status<> close_unattended();

    // The desktop session is ending: with interaction allowed, the close box's
    // rules, and a close that would be refused cancels the logout; without,
    // the unattended close.
    void commit_data(QSessionManager& manager);

protected:
    // Stores the editor and closes the document, asking the user what the
    // document cannot decide; anything but a finished close refuses the
    // close, so that nothing typed is lost.
    void closeEvent(QCloseEvent* event) override;
    // Enter on a focused button presses it, as in every window of the program.
    void keyPressEvent(QKeyEvent* event) override;
    // A file dropped anywhere on the window is replayed, the boxes included,
    // which would otherwise take its name as text.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The one close, for the close box, 終了, a signal and the end of the
    // session: the editor is stored, then the document closes with `answers`.
    // Nobody to tell (`unattended`): a box that does not convert is noted
    // there, and the rest is saved all the same.
    DataDocument::Closed close_sequence(CloseQuestions& answers, UnattendedAnswers* unattended);
    void show_broker();
    // The editor into the shown broker's row, only when every box converts;
    // else the refusal, naming the broker, and the row stays as it was.
    std::optional<BoxError> try_store_editor();
    // The same, and on a refusal the user is told which box, which gets the focus.
    bool store_editor();
    void fill_list();

    // Asks for a broker name until the file can hold it; empty when cancelled.
    std::optional<std::string> ask_name(const QString& title, const QString& prompt, QString text);
    void build_menu();
    void build_list_menu();
    void move_shown_broker(int step);
    void show_list_at(int index);
    void set_tab_order();
    Calculation calculation();
    TableOrigin table_origin() const;

    DataDocument& document_;
    BrokerTable& table_; // the document's
    Prompter& prompter_;
    DataLocation where_;
    QPointer<HelpWindow> help_; // the open help window, if any
    int shown_broker_ = 0;
    int list_shown_ = -1;  // the list entry shown before the latest choice
    bool settled_ = false; // the document closed: the window closes without more

    QComboBox* broker_list_ = nullptr;
    QLineEdit* yearly_fee_box_ = nullptr;
    ScheduleEditor* editor_ = nullptr;
    QPushButton* calculate_button_ = nullptr;
    QPushButton* add_button_ = nullptr;
    QPushButton* quit_button_ = nullptr;
    // The list's context menu, acting on the broker the editor shows.
    QMenu* list_menu_ = nullptr;
    QAction* rename_action_ = nullptr;
    QAction* remove_action_ = nullptr;
    QAction* move_up_action_ = nullptr;
    QAction* move_down_action_ = nullptr;
};

} // namespace fee::ui
