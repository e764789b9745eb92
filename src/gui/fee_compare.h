#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/data_location.h"
#include "core/editor_transfer.h"

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
class DataSession;

// The main window: the broker list with its menu for renaming, removing and
// reordering, the schedule editor of one broker, adding brokers, the
// calculation, help and version, and the close that writes compare.dat. The
// table lives in main() and outlives the window.
//
// Every failure is reported in a message box and stops the action that hit it
// with nothing lost: a box that is not a number keeps the table row as it was
// (the row is stored only when every box converts) and gets the focus; a failed
// read at start keeps the window from showing; a failed write keeps the window
// open and the previous file in place.
class fee_compare : public QMainWindow {
    Q_OBJECT
public:
    explicit fee_compare(BrokerTable& table, QWidget* parent = nullptr);
    ~fee_compare() override;

    // The compare.dat to read and write and the installed folder the help may
    // come from; set before Form_Load. By default compare.dat in the current
    // folder and no installed folder.
    void set_data_location(DataLocation where) { where_ = std::move(where); }

    // The load step. False when compare.dat could not be read; the reason has
    // been shown and the window must not be shown.
    bool Form_Load();

    std::uint8_t now_com() const { return now_com_; }

    // Menu
    QMenu* k_help;
    QAction* explain;
    QAction* k_version;

    // Client area
    QLabel* Label1;
    QComboBox* Combo1;
    QLabel* Label2;
    QLineEdit* l_fix;
    QGroupBox* Frame1;
    QPushButton* key_cal;
    QPushButton* key_add_com;
    QPushButton* key_suspend;

    // Combo1's context menu: the list itself, acting on the broker the editor
    // shows (now_com).
    QMenu* k_list;
    QAction* k_rename;
    QAction* k_delete;
    QAction* k_up;
    QAction* k_down;

    // Frame1: the schedule editor
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label6;
    std::array<QLineEdit*, kBrackets> l_kubun; // (5) is the fixed "それ以上"
    std::array<QLabel*, kBoundedBrackets> Label4;
    std::array<QLineEdit*, kBrackets> l_wariai;
    std::array<QLineEdit*, kBrackets> l_add;
    QLabel* Label7;
    QLineEdit* l_mini;
    QLabel* Label8;
    QLineEdit* l_max;

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

protected:
    // Enter on a focused button presses it, as in every window of the program.
    void keyPressEvent(QKeyEvent* event) override;

public:
    // The close when nobody is there to answer (a signal, the end of the
    // desktop session): the editor is stored if every box converts, and the
    // table as last stored is written unless another program wrote the file
    // since. No message box; the error lists what was not saved.
    Status<> close_unattended();

    // The desktop session is ending: with interaction allowed, the close box's
    // rules, and a close that would be refused cancels the logout; without,
    // the unattended close.
    void commit_data(QSessionManager& manager);

    // Form_Unload: stores the editor and writes the file; a failure of either
    // refuses the close so that nothing typed is lost.
    void closeEvent(QCloseEvent* event) override;

private:
    bool z_read_file();
    bool z_write_file();
    void z_load_data();
    bool z_save_data();
    void z_set_combo();

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
    void show_error(const QString& text);
    // A message with buttons; returns the index of the answer. Esc or the close
    // box give the last one.
    int ask(const QString& text, const QStringList& answers);
    bool confirm_quit_without_saving();

    BrokerTable& table_;
    DataLocation where_;
    QPointer<HelpWindow> help_; // the open help window, if any
    std::uint8_t now_com_ = 0;
    int combo_shown_ = -1;                 // the list entry shown before the latest choice
    std::unique_ptr<DataSession> session_; // the file's lock, from load to close
    bool file_settled_ = false;            // written, or to be left as it is: the close writes no more
    bool list_edited_ = false;             // renamed, removed or moved since the file was read
};

} // namespace fee
