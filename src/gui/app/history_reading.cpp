#include "gui/app/history_reading.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QList>
#include <QThread>
#include <algorithm>
#include <mutex>

namespace fee {

namespace {

// The brokers the chart draws: as many lines as the eye follows.
constexpr std::size_t kChartedBrokers = 5;

QString no_trade_message(const QString& path, const HistorySummary& s)
{
    QString text = QStringLiteral("%1 には、計算できる現物株の売買がありません（見出しの %2 行目より後の %3 "
                                  "行のうち、信用取引 %4 件、その他の行 %5 行、読めない行 %6 行）。")
                       .arg(path)
                       .arg(s.header_line)
                       .arg(s.lines)
                       .arg(s.margin)
                       .arg(s.other)
                       .arg(s.unreadable.size());
    if (!s.unreadable.empty())
        text += QStringLiteral("\n%1 行目: %2")
                    .arg(s.unreadable.front().line)
                    .arg(QString::fromStdString(s.unreadable.front().reason));
    return text + QStringLiteral("\n列の選び方を確かめて下さい。");
}

// Where no header was found by the names the program knows, the window's
// lists of columns are the way to choose them.
QString no_header_message(const std::string& core_message, bool columns_chosen)
{
    QString text = QString::fromStdString(core_message);
    if (!columns_chosen)
        text += QStringLiteral("取引履歴（約定履歴）の CSV ファイルか確かめて下さい。");
    return text;
}

void price(const ReplayRequest& request, const History& history, ReplayReading& reading)
{
    const HistorySummary& s = history.summary;
    if (history.trades.empty()) {
        reading.problem = no_trade_message(request.path, s);
        return;
    }
    const auto [first, last] =
        std::minmax_element(history.trades.begin(), history.trades.end(),
                            [](const HistoryTrade& a, const HistoryTrade& b) { return a.date < b.date; });
    reading.first = first->date;
    reading.last = last->date;
    reading.years = trading_years(history);
    const Participants participants(request.table, request.plans);
    auto costs = price_history(participants, history);
    if (!costs) {
        reading.problem =
            QStringLiteral("%1 を試算できません。").arg(request.path) +
            QString::fromStdString(replay_overflow_message(participants, history, costs.error()));
        return;
    }
    reading.costs = std::move(costs).value();
    reading.months.file_name = QFileInfo(request.path).fileName();
    for (std::size_t i = 0; i < std::min(kChartedBrokers, reading.costs.size()); ++i) {
        const int row = reading.costs[i].broker;
        reading.months.brokers.push_back(row);
        reading.months.costs.push_back(monthly_costs(participants, row, history));
    }
    if (s.paid)
        reading.months.paid = monthly_paid(history);
}

// Threads whose reader went before they ended: the program waits for them
// before it ends, since they use the core's tables until they return.
std::mutex threads_lock;
QList<QThread*>& live_threads()
{
    static QList<QThread*> threads;
    return threads;
}

void wait_for_threads()
{
    const std::lock_guard hold(threads_lock);
    for (QThread* thread : live_threads())
        thread->wait();
}

} // namespace

QString header_key(const QStringList& header_cells)
{
    return header_cells.join(u',');
}

Outcome<ReplayReadingPtr> read_and_price(const ReplayRequest& request, const std::atomic<bool>& abandoned)
{
    auto loaded = load_history_file(request.path);
    if (!loaded)
        return loaded.error();
    const std::string_view view = loaded.value().bytes();
    // A remembered header may stand on any of the lines the header is looked for among.
    const auto lines = first_history_lines(view, history_encoding(view, request.encoding));
    auto reading = std::make_shared<ReplayReading>();
    reading->path = request.path;
    reading->encoding_asked = request.encoding;
    reading->chosen = request.columns.has_value();
    if (request.columns) {
        reading->columns = *request.columns;
    } else {
        for (const HistoryLine& line : lines)
            if (const auto known = request.remembered.find(header_key(line.cells));
                known != request.remembered.end()) {
                reading->columns = known->second;
                reading->remembered = true;
                break;
            }
    }
    if (abandoned)
        return Error{};
    HistoryOptions options{request.encoding, reading->columns};
    auto history = read_history(view, request.path, options);
    if (!history && reading->remembered) {
        // Remembered for a header that no longer reads with them: as found.
        reading->columns.clear();
        reading->remembered = false;
        history = read_history(view, request.path, {request.encoding, {}});
    }
    if (!history)
        return Error{no_header_message(history.error().message, !reading->columns.empty()).toStdString()};
    if (abandoned)
        return Error{};
    reading->summary = history.value().summary;
    price(request, history.value(), *reading);
    return ReplayReadingPtr(std::move(reading));
}

struct HistoryReader::Job {
    explicit Job(ReplayRequest r) : request(std::move(r)) {}
    ReplayRequest request;
    std::atomic<bool> abandoned = false;
    std::optional<Outcome<ReplayReadingPtr>> outcome;
};

HistoryReader::HistoryReader(QObject* parent) : QObject(parent)
{
    static std::once_flag hooked;
    std::call_once(hooked, [] { qAddPostRoutine(wait_for_threads); });
}

HistoryReader::~HistoryReader()
{
    cancel();
}

bool HistoryReader::busy() const
{
    return waiting_ || (running_ && !running_->abandoned);
}

void HistoryReader::start(ReplayRequest request)
{
    if (running_) {
        running_->abandoned = true;
        waiting_ = std::make_unique<ReplayRequest>(std::move(request));
        return;
    }
    launch(std::move(request));
}

void HistoryReader::cancel()
{
    if (running_)
        running_->abandoned = true;
    waiting_.reset();
}

void HistoryReader::launch(ReplayRequest request)
{
    auto job = std::make_shared<Job>(std::move(request));
    running_ = job;
    QThread* thread = QThread::create([job] { job->outcome = read_and_price(job->request, job->abandoned); });
    {
        const std::lock_guard hold(threads_lock);
        live_threads() << thread;
    }
    connect(thread, &QThread::finished, this, [this, job] { ended(job); });
    connect(thread, &QThread::finished, thread, [thread] {
        {
            const std::lock_guard hold(threads_lock);
            live_threads().removeOne(thread);
        }
        thread->deleteLater();
    });
    thread->start();
}

void HistoryReader::ended(const std::shared_ptr<Job>& job)
{
    if (job != running_)
        return;
    running_.reset();
    if (!job->abandoned && job->outcome) {
        emit finished(*job->outcome);
        return;
    }
    if (waiting_) {
        auto next = std::move(waiting_);
        launch(std::move(*next));
    }
}

} // namespace fee
