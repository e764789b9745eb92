#pragma once

#include <QAction>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "core/commission.h"
#include "gui/dialog.h"

namespace fee {
class BrokerTable;
}

namespace fee::ui {

class chart_window;

// The result grid: one row per broker with its name and the yearly cost it is
// given, in table order. 並べ替え(&S) orders it cheapest first; 閉じる(&X) ends
// the window with kCloseWithPlan, so that whoever opened it closes the trade
// plan too.
//
// The grid's context menu and shortcuts take the ranking further without
// changing the layout: コピー (Ctrl+C) and CSVで保存 (Ctrl+S) export it as shown,
// グラフ (Ctrl+G) opens the chart window for the same table and plan.
//
// Cells are addressed as in the grid's design: row 0 is the fixed header row
// and row b + 1 holds broker b; column 0 is the fixed name column.
class result : public Dialog {
    Q_OBJECT
public:
    static constexpr int kCloseWithPlan = 2;

    result(const BrokerTable& table, const TradePlan& plan, YearlyCosts costs);

    QTableWidget comp_fig{this};
    QPushButton key_sort{this};
    QPushButton key_end3{this};
    QAction k_copy{this};
    QAction k_save_csv{this};
    QAction k_chart{this};

    int rows() const;
    QString text_matrix(int row, int col) const;
    void set_text_matrix(int row, int col, const QString& text);
    Qt::Alignment cell_alignment(int row, int col) const;
    void set_cell_alignment(int row, int col, Qt::Alignment alignment);
    // Applies to the broker rows; the header cells keep their own alignment.
    void set_col_alignment(int col, Qt::Alignment alignment);
    // The exact yearly costs shown, in table order.
    const YearlyCosts& costs() const { return costs_; }
    int col_width_twips(int col) const;
    void set_col_width(int col, int width_twips);

    // Closes the chart window along with this one.
    void done(int r) override;

private:
    void key_sort_Click();
    void key_end3_Click();
    void k_copy_Click();
    void k_save_csv_Click();
    void k_chart_Click();
    void add_grid_action(QAction& action, const QString& text, const QKeySequence& keys, const char* name);
    void build_grid();
    void build_buttons();
    void build_actions();
    void z_fig_ini();
    void show_row(int grid_row, int broker);
    QTableWidgetItem* z_cell(int row, int col) const;

    const BrokerTable& table_;
    const TradePlan plan_; // what the costs were computed for
    const YearlyCosts costs_;
    std::vector<int> shown_; // table rows in the grid's current order
    QPointer<chart_window> chart_;
};

} // namespace fee::ui
