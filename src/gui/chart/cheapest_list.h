#pragma once

#include <QStringList>
#include <QTableWidget>
#include <vector>

#include "core/fees/participants.h"
#include "core/money/money.h"

namespace fee::ui {

// The list below a chart: per stretch of amounts or factors, the cheapest
// broker and its figures at both ends, or why nobody is ranked there.
class CheapestList : public QTableWidget {
    Q_OBJECT
public:
    // Named `object_name` and, for a screen reader, `name`; `headers` head the
    // stretch, the broker and its figures.
    CheapestList(const Participants& table, const QString& object_name, const QString& name,
                 const QStringList& headers);

    // Broker `row` is the cheapest over `stretch`, from `first` to `last`.
    void add_ranked(const QString& stretch, int row, Money first, Money last);
    // Nobody is ranked over `stretch`, since the `figure` of each broker of
    // `overflowing` leaves the money range there.
    void add_unranked(const QString& stretch, const std::vector<int>& overflowing, const QString& figure);
    void add_row(const QStringList& cells);
    // Once the rows are in.
    void fit_columns();

private:
    const Participants table_; // refers to the caller's table and plans
};

} // namespace fee::ui
