#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/document/data_document.h"
#include "core/document/data_location.h"
#include "core/editing/editor_transfer.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QSessionManager;

namespace fee {

class BrokerTable;
class HelpWindow;
namespace ui {
class Prompter;
}

// The main window: the broker list with its menu for renaming, removing and
// reordering, the schedule editor of one broker, adding brokers, the
// calculation, help and version, and the close. The document, opened before
// the window is made, owns compare.dat; the window edits its table and turns
// the document's questions at close into the user's.
//
// Every failure is reported in a message box and stops the action that hit it
// with nothing lost: a box that is not a number keeps the table row as it was
// (the row is stored only when every box converts) and gets the focus; a failed
// write keeps the window open with the file as the message says.
class fee_compare : public QMainWindow {
    Q_OBJECT
public:
    // Every message and question goes through `prompter`.
    fee_compare(DataDocument& document, ui::Prompter& prompter, QWidget* parent = nullptr);
    ~fee_compare() override;

    // The installed folder the help may come from, and the folder of the
    // data file, where a help file of its own may lie.
    void set_data_location(DataLocation where) { where_ = std::move(where); }

    // The load step on the loaded table: the list filled, broker 0 shown.
    void Form_Load();
    // A message for what the user should know once the window shows.
    void show_notice(const QString& text);

    // The broker the editor shows.
    std::uint8_t now_com() const { return now_com_; }

    // What the window reacts to, named as in its design.
    void Combo1_Click(int index);
    void Combo1_ContextMenu(const QPoint& pos);
    void k_rename_Click();
    void k_delete_Click();
    void k_up_Click();
    void k_down_Click();
    void key_add_com_Click();
    void key_cal_Click();
    void key_suspend_Click();
    void explain_Click();
    void k_version_Click();

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
    // Form_Unload: stores the editor and closes the document, asking the user
    // what the document cannot decide; anything but a finished close refuses
    // the close, so that nothing typed is lost.
    void closeEvent(QCloseEvent* event) override;
    // Enter on a focused button presses it, as in every window of the program.
    void keyPressEvent(QKeyEvent* event) override;

private:
    class UserAnswers;

    // The one close, for the close box, 終了, a signal and the end of the
    // session: the editor is stored, then the document closes with `answers`.
    // Nobody to tell (`unattended`): a box that does not convert is noted
    // there, and the rest is saved all the same.
    DataDocument::Closed close_sequence(CloseQuestions& answers, UnattendedAnswers* unattended);
    void show_broker();
    // The editor into table row now_com, only when every box converts; else
    // the refusal, naming the broker, and the row stays as it was.
    std::optional<BoxError> try_store_editor();
    // The same, and on a refusal the user is told which box, which gets the focus.
    bool store_editor();
    void fill_list();

    // Asks for a broker name until the file can hold it; empty when cancelled.
    std::optional<std::string> ask_name(const QString& title, const QString& prompt, QString text);
    void build_controls();
    void build_menu();
    void build_client_area(QWidget* client);
    void build_editor();
    void build_list_menu();
    void move_shown_broker(int step);
    void show_list_at(int row);
    void set_tab_order();
    void set_editor_texts(const EditorTexts& texts);
    EditorTexts editor_texts() const;
    QLineEdit* box_of(const BoxError& error) const;

    DataDocument& document_;
    BrokerTable& table_; // the document's
    ui::Prompter& prompter_;
    DataLocation where_;
    QPointer<HelpWindow> help_; // the open help window, if any
    std::uint8_t now_com_ = 0;
    int combo_shown_ = -1; // the list entry shown before the latest choice
    bool settled_ = false; // the document closed: the window closes without more

    // Controls; their objectNames are the names of the design.
    QMenu* k_help_;
    QAction* explain_;
    QAction* k_version_;
    QComboBox* Combo1_;
    QLineEdit* l_fix_;
    QGroupBox* Frame1_;
    QPushButton* key_cal_;
    QPushButton* key_add_com_;
    QPushButton* key_suspend_;
    // Combo1's context menu: the list itself, acting on the broker the editor shows.
    QMenu* k_list_;
    QAction* k_rename_;
    QAction* k_delete_;
    QAction* k_up_;
    QAction* k_down_;
    std::array<QLineEdit*, kBrackets> l_kubun_; // (5) is the fixed "それ以上"
    std::array<QLineEdit*, kBrackets> l_wariai_;
    std::array<QLineEdit*, kBrackets> l_add_;
    QLineEdit* l_mini_;
    QLineEdit* l_max_;
};

} // namespace fee
