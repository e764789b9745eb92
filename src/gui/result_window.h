#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>

namespace fee {
class BrokerTable;
}

namespace fee::ui {

// The result grid: one row per broker with its name and yearly cost. The trade
// plan window sets it up and fills it; 並べ替え(&S) orders it cheapest first,
// 閉じる(&X) closes it together with the trade plan window.
//
// Cells are addressed as in the grid's design: row 0 is the fixed header row
// and row b + 1 holds broker b; column 0 is the fixed name column.
class result : public QDialog {
    Q_OBJECT
public:
    result(QDialog& plan_window, const BrokerTable& table);

    QTableWidget comp_fig{this};
    QPushButton key_sort{this};
    QPushButton key_end3{this};

    int rows() const;
    QString text_matrix(int row, int col) const;
    void set_text_matrix(int row, int col, const QString& text);
    Qt::Alignment cell_alignment(int row, int col) const;
    void set_cell_alignment(int row, int col, Qt::Alignment alignment);
    // Applies to the broker rows; the header cells keep their own alignment.
    void set_col_alignment(int col, Qt::Alignment alignment);
    int col_width_twips(int col) const;
    void set_col_width(int col, int width_twips);

private:
    void key_sort_Click();
    void key_end3_Click();
    QTableWidgetItem* z_cell(int row, int col) const;

    QDialog& plan_window_;
    const BrokerTable& table_;
};

} // namespace fee::ui
