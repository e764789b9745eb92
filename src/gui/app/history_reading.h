#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/fees/broker_table.h"
#include "core/fees/daily_plan.h"
#include "core/outcome.h"
#include "core/replay/history.h"
#include "core/replay/replay.h"
#include "gui/chart/chart_module.h"

class QThread;

namespace fee {

// Column choices remembered per header, the header's cells joined as the key.
using RememberedColumns = std::map<QString, std::vector<ColumnChoice>>;

// The text that identifies a header: its cells as the file writes them.
QString header_key(const QStringList& header_cells);

// One reading of a trade history and its pricing at every broker.
struct ReplayRequest {
    QString path;
    HistoryEncoding encoding = HistoryEncoding::Auto;
    // The columns chosen in the window; nothing to take those remembered for
    // a header among the file's first lines, if any.
    std::optional<std::vector<ColumnChoice>> columns;
    RememberedColumns remembered;
    BrokerTable table; // copies: the reading runs on another thread
    DailyPlans plans;
};

// What a reading found.
struct ReplayReading {
    QString path;
    HistoryEncoding encoding_asked = HistoryEncoding::Auto;
    HistorySummary summary;
    std::vector<ColumnChoice> columns; // the choices it was read with
    bool remembered = false;           // those came from the settings
    bool chosen = false;               // those came from the window
    HistoryDate first = 0, last = 0;   // the first and last trade's days
    int years = 0;                     // calendar years with a trade
    std::vector<ReplayCost> costs;     // cheapest first; empty when `problem` says why
    QString problem;                   // no cash trade, or an overflow
    ui::ReplayMonths months;           // for the chart
};
using ReplayReadingPtr = std::shared_ptr<const ReplayReading>;

// The reading itself, on the calling thread; a failure names the file. Stops
// early, with no result, once `abandoned` is set.
Outcome<ReplayReadingPtr> read_and_price(const ReplayRequest& request, const std::atomic<bool>& abandoned);

// Runs readings on a thread of their own, one at a time, so that the windows
// keep answering and a 200 MB file is in memory once. A reading that is
// started while another runs replaces it: the one running is abandoned (its
// result is dropped), and the new one starts when it has ended.
class HistoryReader : public QObject {
    Q_OBJECT
public:
    explicit HistoryReader(QObject* parent = nullptr);
    ~HistoryReader() override;

    void start(ReplayRequest request);
    // Drops the reading running and any waiting.
    void cancel();
    // A reading is running or waiting whose result is awaited.
    bool busy() const;

signals:
    // The reading last started has ended.
    void finished(const fee::Outcome<fee::ReplayReadingPtr>& outcome);

private:
    struct Job;
    void launch(ReplayRequest request);
    void ended(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> running_;
    std::unique_ptr<ReplayRequest> waiting_;
};

} // namespace fee
