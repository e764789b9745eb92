#pragma once

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "core/fees/commission.h"
#include "core/fees/participants.h"
#include "gui/app/prompter.h"
#include "gui/windows/dialog.h"

namespace fee {
}

namespace fee::ui {

// The result grid: one row per broker with its name and the yearly cost it is
// given, in table order. 並べ替え(&S) orders it cheapest first; 閉じる(&X) ends
// the window with kCloseWithPlan, so that whoever opened it closes the trade
// plan too.
//
// The grid's context menu and shortcuts take the ranking further without
// changing the layout: コピー (Ctrl+C) and CSVで保存 (Ctrl+S) export it as shown,
// グラフ (Ctrl+G) asks for the chart of the same table and plan
// (chart_requested) and 口座の組み合わせ (Ctrl+K) for the cheapest sets of
// accounts (accounts_requested), which whoever opened this window shows.
class ResultWindow : public Dialog {
    Q_OBJECT
public:
    static constexpr int kCloseWithPlan = 2;

    // Every message and question of the window goes through `prompter`.
    ResultWindow(const Participants& table, YearlyCosts costs, Prompter& prompter, QWidget* parent = nullptr);

    // Files the CSV export must not write (the data file and its own files).
    void set_export_refusal(Prompter::SaveRefusal refusal) { export_refusal_ = std::move(refusal); }

signals:
    void chart_requested();
    void accounts_requested();

private:
    void sort_cheapest_first();
    void close_with_plan();
    void copy_ranking();
    void save_csv();
    void build_grid();
    void build_buttons();
    void build_actions();
    void set_up_columns();
    void show_broker(int grid_row, int broker);

    // Cells are addressed as in the grid's design: row 0 is the fixed header
    // row and row b + 1 holds broker b, so the broker rows run from 1 to
    // broker_rows(); column 0 is the fixed name column.
    int broker_rows() const { return cost_grid_->rowCount(); }
    QTableWidgetItem* cell(int row, int col) const;
    void set_cell_text(int row, int col, const QString& text);
    void set_cell_alignment(int row, int col, Qt::Alignment alignment);
    // Applies to the broker rows; the header cells keep their own alignment.
    void set_column_alignment(int col, Qt::Alignment alignment);
    void set_column_width(int col, int width_twips);

    const Participants table_; // refers to the caller's table and plans
    const YearlyCosts costs_;
    Prompter& prompter_;
    Prompter::SaveRefusal export_refusal_;
    std::vector<int> shown_; // table rows in the grid's current order
    QTableWidget* cost_grid_ = nullptr;
    QPushButton* sort_button_ = nullptr;
    QPushButton* close_button_ = nullptr;
    QAction copy_action_{this};
    QAction save_csv_action_{this};
    QAction chart_action_{this};
    QAction accounts_action_{this};
};

} // namespace fee::ui
