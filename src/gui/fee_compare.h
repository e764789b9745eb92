#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>

#include "broker_table/data_file.h"
#include "broker_table/editor_transfer.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace fee {

class BrokerTable;

// The main window: the broker list, the schedule editor of one broker, adding
// brokers, the calculation, help and version, and the close that writes
// compare.dat. The table lives in main() and outlives the window.
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

    // The load step. False when compare.dat could not be read; the reason has
    // been shown and the window must not be shown.
    bool Form_Load();

    std::uint8_t now_com() const { return now_com_; }

    // Lets tests make the next writes of compare.dat fail at a chosen step.
    void set_save_fault(SaveFault fault) { save_fault_ = std::move(fault); }

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

    // Frame1: the schedule editor
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label6;
    std::array<QLineEdit*, 6> l_kubun; // (5) is the fixed "それ以上"
    std::array<QLabel*, 5> Label4;
    std::array<QLineEdit*, 6> l_wariai;
    std::array<QLineEdit*, 6> l_add;
    QLabel* Label7;
    QLineEdit* l_mini;
    QLabel* Label8;
    QLineEdit* l_max;

    void Combo1_Click(int index);
    void key_add_com_Click();
    void key_cal_Click();
    void key_suspend_Click();
    void explain_Click();
    void k_version_Click();

protected:
    // Form_Unload: stores the editor and writes the file; a failure of either
    // refuses the close so that nothing typed is lost.
    void closeEvent(QCloseEvent* event) override;

private:
    bool z_read_file();
    bool z_write_file();
    void z_load_data();
    bool z_save_data();
    void z_set_combo();

    void build_controls();
    void set_editor_texts(const EditorTexts& texts);
    EditorTexts editor_texts() const;
    QLineEdit* box_of(const BoxError& error) const;
    void show_error(const QString& text);

    BrokerTable& table_;
    std::uint8_t now_com_ = 0;
    int combo_shown_ = -1; // the list entry shown before the latest choice
    SaveFault save_fault_;
    bool written_for_exit_ = false;
};

} // namespace fee
