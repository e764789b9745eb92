#pragma once

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <array>
#include <optional>
#include <vector>

#include "core/fees/participants.h"
#include "gui/app/history_reading.h"
#include "gui/app/prompter.h"

namespace fee::ui {

// 取引履歴の試算: a broker's trade-history download priced at every broker.
// At the top what was read (the encoding, the header line, the column each
// field was read from with a list to choose another, what was counted and
// left out, the lines that could not be read); below, the brokers cheapest
// first, and what the file says was paid. An ordinary window that can be
// resized; it shows what it is given and asks for the rest by its signals:
// another reading (another column, encoding or file), the chart, a stop.
//
// The ranking's context menu and shortcuts export it as the result window's
// do: コピー (Ctrl+C), CSVで保存 (Ctrl+S). コマンドをコピー puts on the clipboard
// the companion's command that gives the same figures.
class ReplayWindow : public QDialog {
    Q_OBJECT
public:
    // `data_file` is the file the table came from, for the companion's command.
    ReplayWindow(const Participants& table, const QString& data_file, Prompter& prompter,
                 QWidget* parent = nullptr);

    // Files the CSV export must not write (the data file and its own files).
    void set_export_refusal(Prompter::SaveRefusal refusal) { export_refusal_ = std::move(refusal); }
    // The table holds changes not yet saved to the data file, which the
    // companion would not see.
    void set_table_edited(bool edited) { table_edited_ = edited; }

    // A reading of `path` has started: after a moment (`at_once`: now) the
    // progress and the button that stops it show.
    void reading_started(const QString& path, bool at_once = false);
    void reading_ended();
    // What a reading found; shown until the next.
    void show_reading(ReplayReadingPtr reading);
    const ReplayReadingPtr& shown() const { return shown_; }

    // What the user chose last: the encoding, and the columns (nothing: those
    // remembered for the header, or found by their names).
    HistoryEncoding chosen_encoding() const { return chosen_encoding_; }
    const std::optional<std::vector<ColumnChoice>>& chosen_columns() const { return chosen_columns_; }

signals:
    // Read the file again as chosen.
    void read_requested();
    // Forget the columns chosen for this header and read as found.
    void automatic_requested();
    void open_requested();
    void file_dropped(const QString& path);
    void cancel_requested();
    void chart_requested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void show_progress();
    void build_summary();
    void build_ranking();
    void build_buttons();
    void lay_out();
    void show_summary(const ReplayReading& reading);
    void show_columns(const ReplayReading& reading);
    void show_ranking(const ReplayReading& reading);
    void column_chosen(int field);
    void encoding_chosen();
    QStringList ranking_line(std::size_t place) const;
    void copy_ranking();
    void save_csv();
    void copy_command();
    void fit_to_screen();

    const Participants table_; // refers to the caller's table and plans
    const QString data_file_;
    Prompter& prompter_;
    Prompter::SaveRefusal export_refusal_;
    bool table_edited_ = false;
    ReplayReadingPtr shown_;
    HistoryEncoding chosen_encoding_ = HistoryEncoding::Auto;
    std::optional<std::vector<ColumnChoice>> chosen_columns_;
    bool fitted_ = false;

    QGroupBox read_group_{this};
    QLineEdit file_box_;
    QComboBox encoding_list_;
    QLabel header_text_;
    std::array<QComboBox, kHistoryFields> column_lists_;
    QLabel memory_note_;
    QPushButton automatic_button_;
    QLabel counts_text_;
    QLabel period_text_;
    QLabel unreadable_label_;
    QListWidget unreadable_list_;
    QLabel ranking_label_{this};
    QTableWidget ranking_{this};
    QLabel paid_text_{this};
    QLabel problem_text_{this};
    QLabel reading_text_{this};
    QProgressBar progress_{this};
    QPushButton cancel_button_{this};
    QLabel done_text_{this};
    QPushButton open_button_{this};
    QPushButton chart_button_{this};
    QPushButton command_button_{this};
    QPushButton close_button_{this};
    QAction copy_action_{this};
    QAction save_csv_action_{this};
    QAction chart_action_{this};
    QAction open_action_{this};
    QTimer moment_;
};

} // namespace fee::ui
