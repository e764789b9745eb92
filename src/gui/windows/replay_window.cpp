#include "gui/windows/replay_window.h"

#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>

#include "core/analysis/ranking_export.h"
#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "gui/app/csv_export.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/dialog.h"

namespace fee::ui {

namespace {

// Per field, in HistoryField's order: its caption with the access key, and
// its list's name.
struct FieldCaption {
    QString caption;
    const char* object_name;
};
const std::array<FieldCaption, kHistoryFields> kFieldCaptions = {{
    {QStringLiteral("約定日(&D)"), "date_column"},
    {QStringLiteral("数量(&Q)"), "quantity_column"},
    {QStringLiteral("単価(&P)"), "price_column"},
    {QStringLiteral("約定代金(&A)"), "amount_column"},
    {QStringLiteral("売買の区分(&S)"), "side_column"},
    {QStringLiteral("手数料(&F)"), "fee_column"},
}};

const QStringList kRankingHeadings = {QStringLiteral("順位"),   QStringLiteral("証券会社"),
                                      QStringLiteral("合計"),   QStringLiteral("手数料"),
                                      QStringLiteral("維持費"), QStringLiteral("最安との差")};
constexpr int kNameColumn = 1;

// Enough for any real file; a file of nothing but bad lines still opens at once.
constexpr int kMaxListedUnreadable = 1000;

QString caption_without_key(const QString& caption)
{
    return QString(caption).remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
}

QString count_text(qint64 n)
{
    return QLocale(QLocale::Japanese).toString(n);
}

QString date_text(HistoryDate date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date / 10000)
        .arg(date / 100 % 100, 2, 10, QLatin1Char('0'))
        .arg(date % 100, 2, 10, QLatin1Char('0'));
}

QString encoding_text(HistoryEncoding encoding)
{
    return encoding == HistoryEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("CP932（Shift_JIS）");
}

// As a POSIX shell reads it back: plain where nothing in it is special.
QString shell_quoted(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

} // namespace

ReplayWindow::ReplayWindow(const Participants& table, const QString& data_file, Prompter& prompter,
                           QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      table_(table), data_file_(data_file), prompter_(prompter)
{
    setObjectName(QStringLiteral("replay_window"));
    setWindowTitle(QStringLiteral("取引履歴の試算"));
    setFont(proportional_gothic());
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    build_summary();
    build_ranking();
    build_buttons();
    lay_out();
    // Nothing to export, chart or copy until a reading has been shown.
    for (QAction* a : {&copy_action_, &save_csv_action_, &chart_action_})
        a->setEnabled(false);
    for (QPushButton* b : {&chart_button_, &command_button_, &automatic_button_})
        b->setEnabled(false);
    moment_.setSingleShot(true);
    moment_.setInterval(300);
    connect(&moment_, &QTimer::timeout, this, &ReplayWindow::show_progress);
    reading_ended();
}

void ReplayWindow::build_summary()
{
    read_group_.setObjectName(QStringLiteral("read_group"));
    read_group_.setTitle(QStringLiteral("読み込んだ内容"));
    file_box_.setObjectName(QStringLiteral("file_box"));
    file_box_.setReadOnly(true);
    file_box_.setAccessibleName(QStringLiteral("ファイル"));
    encoding_list_.setObjectName(QStringLiteral("encoding_list"));
    encoding_list_.setAccessibleName(QStringLiteral("文字コード"));
    encoding_list_.addItem(QStringLiteral("自動"), static_cast<int>(HistoryEncoding::Auto));
    encoding_list_.addItem(encoding_text(HistoryEncoding::Utf8), static_cast<int>(HistoryEncoding::Utf8));
    encoding_list_.addItem(encoding_text(HistoryEncoding::Cp932), static_cast<int>(HistoryEncoding::Cp932));
    connect(&encoding_list_, &QComboBox::activated, this, &ReplayWindow::encoding_chosen);
    header_text_.setObjectName(QStringLiteral("header_text"));
    header_text_.setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (int f = 0; f < kHistoryFields; ++f) {
        QComboBox& list = column_lists_[static_cast<std::size_t>(f)];
        list.setObjectName(QString::fromLatin1(kFieldCaptions[static_cast<std::size_t>(f)].object_name));
        list.setAccessibleName(caption_without_key(kFieldCaptions[static_cast<std::size_t>(f)].caption) +
                               QStringLiteral("の列"));
        list.setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list.setMinimumContentsLength(8);
        connect(&list, &QComboBox::activated, this, [this, f] { column_chosen(f); });
    }
    memory_note_.setObjectName(QStringLiteral("memory_note"));
    memory_note_.setWordWrap(true);
    automatic_button_.setObjectName(QStringLiteral("automatic_button"));
    automatic_button_.setText(QStringLiteral("列を自動に戻す(&U)"));
    automatic_button_.setToolTip(QStringLiteral("選んだ列を忘れ、見出しの名前から列を探して読み直します"));
    connect(&automatic_button_, &QPushButton::clicked, this, &ReplayWindow::automatic_requested);
    counts_text_.setObjectName(QStringLiteral("counts_text"));
    counts_text_.setWordWrap(true);
    counts_text_.setTextInteractionFlags(Qt::TextSelectableByMouse);
    period_text_.setObjectName(QStringLiteral("period_text"));
    period_text_.setWordWrap(true);
    unreadable_label_.setObjectName(QStringLiteral("unreadable_label"));
    unreadable_label_.setText(QStringLiteral("読めない行(&N)"));
    unreadable_label_.setBuddy(&unreadable_list_);
    unreadable_list_.setObjectName(QStringLiteral("unreadable_list"));
    unreadable_list_.setAccessibleName(QStringLiteral("読めない行"));

    // One grid: the captions on the left, then the fields two by two, each
    // caption before its list, so that the window stays narrow at a large scale.
    auto* grid = new QGridLayout(&read_group_);
    int row = 0;
    const auto caption = [](const QString& text, const QString& name, QWidget* buddy = nullptr) {
        auto* label = new QLabel(text);
        label->setObjectName(name);
        label->setBuddy(buddy);
        return label;
    };
    grid->addWidget(caption(QStringLiteral("ファイル"), QStringLiteral("file_label")), row, 0);
    grid->addWidget(&file_box_, row++, 1, 1, 4);
    grid->addWidget(
        caption(QStringLiteral("文字コード(&E)"), QStringLiteral("encoding_label"), &encoding_list_), row, 0);
    grid->addWidget(&encoding_list_, row, 1, 1, 2);
    grid->addWidget(caption(QStringLiteral("見出しの行"), QStringLiteral("header_label")), row, 3,
                    Qt::AlignRight);
    grid->addWidget(&header_text_, row++, 4);
    grid->addWidget(caption(QStringLiteral("列"), QStringLiteral("columns_label")), row, 0);
    for (std::size_t f = 0; f < kFieldCaptions.size(); ++f) {
        const int column = static_cast<int>(f % 2) * 2 + 1;
        grid->addWidget(caption(kFieldCaptions[f].caption,
                                QString::fromLatin1(kFieldCaptions[f].object_name) + QStringLiteral("_label"),
                                &column_lists_[f]),
                        row, column, Qt::AlignRight);
        grid->addWidget(&column_lists_[f], row, column + 1);
        row += static_cast<int>(f % 2);
    }
    grid->addWidget(&memory_note_, row, 1, 1, 3);
    grid->addWidget(&automatic_button_, row++, 4, Qt::AlignRight);
    grid->addWidget(caption(QStringLiteral("行"), QStringLiteral("counts_label")), row, 0, Qt::AlignTop);
    grid->addWidget(&counts_text_, row++, 1, 1, 4);
    grid->addWidget(caption(QStringLiteral("期間"), QStringLiteral("period_label")), row, 0);
    grid->addWidget(&period_text_, row++, 1, 1, 4);
    grid->addWidget(&unreadable_label_, row, 0, Qt::AlignTop);
    grid->addWidget(&unreadable_list_, row, 1, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
}

void ReplayWindow::build_ranking()
{
    ranking_label_.setObjectName(QStringLiteral("ranking_label"));
    ranking_label_.setText(QStringLiteral("同じ取引を各社で行った場合の費用(&T)"));
    ranking_label_.setBuddy(&ranking_);
    ranking_.setObjectName(QStringLiteral("ranking"));
    ranking_.setAccessibleName(QStringLiteral("証券会社ごとの費用の表"));
    ranking_.setAccessibleDescription(QStringLiteral("合計の安い順です"));
    ranking_.setFont(proportional_gothic(9));
    ranking_.setColumnCount(static_cast<int>(kRankingHeadings.size()));
    ranking_.setHorizontalHeaderLabels(kRankingHeadings);
    ranking_.verticalHeader()->hide();
    ranking_.horizontalHeader()->setHighlightSections(false);
    ranking_.horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    ranking_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    ranking_.setSelectionBehavior(QAbstractItemView::SelectRows);
    ranking_.setTabKeyNavigation(false);
    ranking_.setWordWrap(false);
    ranking_.setTextElideMode(Qt::ElideNone);
    ranking_.setContextMenuPolicy(Qt::ActionsContextMenu);
    add_menu_shortcut(ranking_);
    add_window_action(ranking_, copy_action_, QStringLiteral("コピー(&C)"),
                      QKeySequence(Qt::CTRL | Qt::Key_C), "copy_action");
    add_window_action(ranking_, save_csv_action_, QStringLiteral("CSVで保存(&S)..."),
                      QKeySequence(Qt::CTRL | Qt::Key_S), "save_csv_action");
    add_window_action(ranking_, chart_action_, QStringLiteral("グラフ(&G)..."),
                      QKeySequence(Qt::CTRL | Qt::Key_G), "chart_action");
    connect(&copy_action_, &QAction::triggered, this, &ReplayWindow::copy_ranking);
    connect(&save_csv_action_, &QAction::triggered, this, &ReplayWindow::save_csv);
    connect(&chart_action_, &QAction::triggered, this, &ReplayWindow::chart_requested);
    // Another file from the keyboard, as from the button.
    open_action_.setObjectName(QStringLiteral("open_action"));
    open_action_.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open_action_.setShortcutContext(Qt::WindowShortcut);
    addAction(&open_action_);
    connect(&open_action_, &QAction::triggered, this, &ReplayWindow::open_requested);

    for (QLabel* text : {&paid_text_, &problem_text_}) {
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    paid_text_.setObjectName(QStringLiteral("paid_text"));
    problem_text_.setObjectName(QStringLiteral("problem_text"));
    QPalette warning = problem_text_.palette();
    warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    problem_text_.setPalette(warning);
}

void ReplayWindow::build_buttons()
{
    reading_text_.setObjectName(QStringLiteral("reading_text"));
    progress_.setObjectName(QStringLiteral("progress"));
    progress_.setAccessibleName(QStringLiteral("読み込みの進み具合"));
    progress_.setRange(0, 0); // the core says nothing of how far it is
    progress_.setTextVisible(false);
    done_text_.setObjectName(QStringLiteral("done_text"));
    const struct {
        QPushButton& button;
        const char* name;
        QString text;
        QString tip;
    } buttons[] = {
        {cancel_button_, "cancel_button", QStringLiteral("中止(&C)"),
         QStringLiteral("読み込みをやめます (Esc)")},
        {open_button_, "open_button", QStringLiteral("別のファイル(&O)..."),
         QStringLiteral("別の取引履歴を開きます (Ctrl+O)")},
        {chart_button_, "chart_button", QStringLiteral("グラフ(&G)..."),
         QStringLiteral("安い 5 社の月ごとの累計を描きます (Ctrl+G)")},
        {command_button_, "command_button", QStringLiteral("コマンドをコピー(&M)"),
         QStringLiteral("同じ数字を出す fee-compare-cli replay のコマンドをクリップボードに入れます")},
        {close_button_, "close_button", QStringLiteral("閉じる(&X)"), {}},
    };
    for (const auto& b : buttons) {
        b.button.setObjectName(QString::fromLatin1(b.name));
        b.button.setText(b.text);
        b.button.setToolTip(b.tip);
        b.button.setAutoDefault(false);
    }
    automatic_button_.setAutoDefault(false);
    connect(&cancel_button_, &QPushButton::clicked, this, &ReplayWindow::cancel_requested);
    connect(&open_button_, &QPushButton::clicked, this, &ReplayWindow::open_requested);
    connect(&chart_button_, &QPushButton::clicked, this, &ReplayWindow::chart_requested);
    connect(&command_button_, &QPushButton::clicked, this, &ReplayWindow::copy_command);
    connect(&close_button_, &QPushButton::clicked, this, &QDialog::reject);
}

void ReplayWindow::lay_out()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&read_group_);
    layout->addWidget(&ranking_label_);
    layout->addWidget(&ranking_, 1);
    layout->addWidget(&paid_text_);
    layout->addWidget(&problem_text_);
    auto* reading_row = new QHBoxLayout;
    reading_row->addWidget(&reading_text_);
    reading_row->addWidget(&progress_, 1);
    reading_row->addWidget(&cancel_button_);
    layout->addLayout(reading_row);
    auto* button_row = new QHBoxLayout;
    button_row->addWidget(&open_button_);
    button_row->addWidget(&chart_button_);
    button_row->addWidget(&command_button_);
    button_row->addWidget(&done_text_, 1);
    button_row->addWidget(&close_button_);
    layout->addLayout(button_row);

    std::vector<QWidget*> order = {&file_box_, &encoding_list_};
    for (QComboBox& list : column_lists_)
        order.push_back(&list);
    order.insert(order.end(), {&automatic_button_, &unreadable_list_, &ranking_, &cancel_button_,
                               &open_button_, &chart_button_, &command_button_, &close_button_});
    chain_tab_order(order);
}

void ReplayWindow::reading_started(const QString& path, bool at_once)
{
    reading_text_.setText(QStringLiteral("%1 を読み込んでいます...").arg(QFileInfo(path).fileName()));
    if (!shown_)
        setWindowTitle(QStringLiteral("取引履歴の試算 — %1").arg(QFileInfo(path).fileName()));
    done_text_.clear();
    if (at_once)
        show_progress();
    else
        moment_.start();
}

void ReplayWindow::show_progress()
{
    for (QWidget* w : std::initializer_list<QWidget*>{&reading_text_, &progress_, &cancel_button_})
        w->show();
}

void ReplayWindow::reading_ended()
{
    moment_.stop();
    for (QWidget* w : std::initializer_list<QWidget*>{&reading_text_, &progress_, &cancel_button_})
        w->hide();
}

void ReplayWindow::show_reading(ReplayReadingPtr reading)
{
    shown_ = std::move(reading);
    setWindowTitle(QStringLiteral("取引履歴の試算 — %1").arg(QFileInfo(shown_->path).fileName()));
    show_summary(*shown_);
    show_columns(*shown_);
    show_ranking(*shown_);
    done_text_.clear();
    if (!fitted_) {
        fitted_ = true;
        fit_to_screen();
        ranking_.setFocus(); // what the window is for, as the result grid
    }
}

void ReplayWindow::show_summary(const ReplayReading& r)
{
    const HistorySummary& s = r.summary;
    file_box_.setText(QDir::toNativeSeparators(r.path));
    file_box_.setCursorPosition(0);
    encoding_list_.setItemText(0, QStringLiteral("自動（%1）").arg(encoding_text(s.encoding)));
    encoding_list_.setCurrentIndex(encoding_list_.findData(static_cast<int>(r.encoding_asked)));
    header_text_.setText(QStringLiteral("%1 行目").arg(s.header_line));
    header_text_.setToolTip(r.summary.header.join(QStringLiteral("、")));
    QString counts =
        QStringLiteral("見出しより後の %1 行のうち、計算した現物株の売買 %2 件、対象外の信用取引 %3 "
                       "件、対象外のその他の行 %4 行、読めない行 %5 行")
            .arg(count_text(s.lines), count_text(s.trades), count_text(s.margin), count_text(s.other),
                 count_text(static_cast<qint64>(s.unreadable.size())));
    if (s.rounded > 0)
        counts += QStringLiteral("（数量×単価を 1/10,000 円に丸めた売買 %1 件）").arg(count_text(s.rounded));
    counts_text_.setText(counts + u'。');
    period_text_.setText(r.first == 0 ? QStringLiteral("—")
                                      : QStringLiteral("%1 〜 %2（%3 暦年。維持費は暦年ごとに 1 回数えます）")
                                            .arg(date_text(r.first), date_text(r.last))
                                            .arg(r.years));
    unreadable_list_.clear();
    const int listed = std::min(kMaxListedUnreadable, static_cast<int>(s.unreadable.size()));
    for (int i = 0; i < listed; ++i) {
        const UnreadableLine& u = s.unreadable[static_cast<std::size_t>(i)];
        unreadable_list_.addItem(
            QStringLiteral("%1 行目: %2").arg(u.line).arg(QString::fromStdString(u.reason)));
    }
    if (static_cast<int>(s.unreadable.size()) > listed)
        unreadable_list_.addItem(
            QStringLiteral("ほか %1 行").arg(count_text(static_cast<qint64>(s.unreadable.size()) - listed)));
    // As tall as its lines, up to a few: the ranking below keeps the room.
    const int shown_lines = std::clamp(unreadable_list_.count(), 1, 4);
    unreadable_list_.setFixedHeight(unreadable_list_.sizeHintForRow(0) * shown_lines +
                                    2 * unreadable_list_.frameWidth());
    unreadable_label_.setVisible(!s.unreadable.empty());
    unreadable_list_.setVisible(!s.unreadable.empty());
}

void ReplayWindow::show_columns(const ReplayReading& r)
{
    for (int f = 0; f < kHistoryFields; ++f) {
        const auto field = static_cast<HistoryField>(f);
        QComboBox& list = column_lists_[static_cast<std::size_t>(f)];
        const bool chosen = std::any_of(r.columns.begin(), r.columns.end(),
                                        [field](const ColumnChoice& c) { return c.field == field; });
        const QStringList& found = r.summary.column(field);
        list.clear();
        list.addItem(
            chosen ? QStringLiteral("自動")
                   : QStringLiteral("自動（%1）")
                         .arg(found.isEmpty() ? QStringLiteral("なし") : found.join(QStringLiteral("、"))));
        QStringList offered;
        for (const QString& cell : r.summary.header)
            if (!cell.isEmpty() && !offered.contains(cell)) {
                offered << cell;
                list.addItem(cell, cell);
            }
        list.setCurrentIndex(chosen && !found.isEmpty() ? std::max(0, list.findData(found.front())) : 0);
        // The grid shares its room by stretch, not by what a list needs: each
        // list whole, as far as a header of reasonable length goes.
        list.setMinimumWidth(std::min(list.sizeHint().width(), fontMetrics().averageCharWidth() * 30));
        list.setToolTip(found.isEmpty() ? QStringLiteral("この項目の列はありません")
                                        : QStringLiteral("読んだ列: ") + found.join(QStringLiteral("、")));
    }
    memory_note_.setText(
        r.columns.empty() ? QStringLiteral("列は見出しの名前から見つけました。")
        : r.remembered    ? QStringLiteral("前回この見出しのファイルで選んだ列で読みました（記憶しています）。")
                       : QStringLiteral("選んだ列は、同じ見出しの次のファイルのために記憶しました。"));
    automatic_button_.setEnabled(!r.columns.empty());
}

void ReplayWindow::show_ranking(const ReplayReading& r)
{
    const std::size_t rows = r.costs.size();
    ranking_.clearContents();
    ranking_.setRowCount(static_cast<int>(rows));
    for (std::size_t place = 0; place < rows; ++place) {
        const QStringList cells = ranking_line(place);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            item->setTextAlignment((c == kNameColumn ? Qt::AlignLeft
                                    : c == 0         ? Qt::AlignHCenter
                                                     : Qt::AlignRight) |
                                   Qt::AlignVCenter);
            if (c == kNameColumn) {
                // The name column is drawn like the header, as in the result grid.
                item->setBackground(palette().button());
                item->setForeground(palette().buttonText());
            }
            // A screen reader reads the row whole, whichever of its cells it is on.
            QStringList spoken;
            for (int k = 0; k < cells.size(); ++k)
                spoken << (k == kNameColumn ? cells[k] : kRankingHeadings[k] + u' ' + cells[k]);
            item->setData(Qt::AccessibleTextRole, spoken.join(QStringLiteral("、")));
            ranking_.setItem(static_cast<int>(place), c, item);
        }
    }
    ranking_.resizeColumnsToContents();
    ranking_.horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    ranking_.resizeRowsToContents();
    if (rows > 0)
        ranking_.setCurrentCell(0, kNameColumn);
    for (QAction* a : {&copy_action_, &save_csv_action_, &chart_action_})
        a->setEnabled(rows > 0);
    chart_button_.setEnabled(rows > 0);
    command_button_.setEnabled(true);

    const HistorySummary& s = r.summary;
    QString paid;
    if (s.paid) {
        const QString column = s.column(HistoryField::Fee).value(0);
        paid = QStringLiteral("この履歴で支払った手数料は %1 です（「%2」の列の合計）。")
                   .arg(currency_form(*s.paid), column);
        if (rows > 0)
            paid += QStringLiteral("同じ取引は、最も安い %1 では %2（維持費を含む）です。")
                        .arg(table_.name(r.costs.front().broker), currency_form(r.costs.front().total));
    }
    paid_text_.setText(paid);
    paid_text_.setVisible(!paid.isEmpty());
    problem_text_.setText(r.problem);
    problem_text_.setVisible(!r.problem.isEmpty());
}

// One line of the ranking as the table shows it.
QStringList ReplayWindow::ranking_line(std::size_t place) const
{
    const auto& costs = shown_->costs;
    const ReplayCost& c = costs[place];
    const auto over = c.total.minus(costs.front().total);
    return {QString::number(place + 1),
            table_.name(c.broker),
            currency_form(c.total),
            currency_form(c.commission),
            currency_form(c.yearly_fees),
            place == 0 ? QStringLiteral("—") : QStringLiteral("+") + currency_form(over.value_or(Money{}))};
}

void ReplayWindow::copy_ranking()
{
    if (shown_ && !shown_->costs.empty())
        QGuiApplication::clipboard()->setText(replay_ranking_tsv(table_, shown_->costs));
}

void ReplayWindow::save_csv()
{
    if (!shown_ || shown_->costs.empty())
        return;
    const QString history = shown_->path;
    const auto refusal = [this, history](const QString& target) {
        // The history itself is never written over.
        if (QFileInfo::exists(target) &&
            QFileInfo(target).canonicalFilePath() == QFileInfo(history).canonicalFilePath())
            return QStringLiteral("%1 は読み込んだ取引履歴です。別の名前を選んで下さい。").arg(target);
        return export_refusal_ ? export_refusal_(target) : QString();
    };
    const QByteArray bytes = replay_ranking_csv(table_, shown_->costs);
    if (const auto path = export_csv(
            prompter_, QFileInfo(history).completeBaseName() + QStringLiteral("_試算.csv"), refusal, bytes))
        done_text_.setText(QStringLiteral("%1 に保存しました。").arg(QFileInfo(*path).fileName()));
}

// The companion's command that reads the same file the same way: the columns
// this window read with, remembered ones included, which the companion does
// not know.
void ReplayWindow::copy_command()
{
    if (!shown_)
        return;
    QStringList words = {QStringLiteral("fee-compare-cli"), QStringLiteral("replay"), shown_->path,
                         QStringLiteral("--data"), data_file_};
    if (shown_->encoding_asked != HistoryEncoding::Auto)
        words << QStringLiteral("--encoding")
              << QString::fromUtf8(history_encoding_name(shown_->encoding_asked));
    for (const ColumnChoice& c : shown_->columns)
        words << QStringLiteral("--column") << column_choice_text(c);
    QStringList quoted;
    for (const QString& w : words)
        quoted << shell_quoted(w);
    QGuiApplication::clipboard()->setText(quoted.join(u' '));
    done_text_.setText(QStringLiteral("コマンドをコピーしました。"));
    if (table_edited_)
        prompter_.inform(QStringLiteral("コマンドをコピーしました。ただし手数料の表の変更がまだ %1 "
                                        "に保存されていません。コマンドは保存されている表で計算するため、この"
                                        "画面とは違う数字になることがあります。")
                             .arg(data_file_));
}

void ReplayWindow::column_chosen(int field)
{
    if (!shown_)
        return;
    const auto which = static_cast<HistoryField>(field);
    QComboBox& list = column_lists_[static_cast<std::size_t>(field)];
    // The other fields keep what they were read with; this one takes the choice.
    std::vector<ColumnChoice> columns;
    for (const ColumnChoice& c : shown_->columns)
        if (c.field != which)
            columns.push_back(c);
    if (list.currentIndex() > 0)
        columns.push_back({which, list.currentData().toString()});
    chosen_encoding_ = shown_->encoding_asked;
    chosen_columns_ = std::move(columns);
    emit read_requested();
}

void ReplayWindow::encoding_chosen()
{
    // Another encoding gives other header texts: the columns are found anew.
    chosen_encoding_ = static_cast<HistoryEncoding>(encoding_list_.currentData().toInt());
    chosen_columns_.reset();
    emit read_requested();
}

void ReplayWindow::fit_to_screen()
{
    ranking_.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    // The hint from the texts just shown, in the style they are drawn in,
    // not from the empty window.
    ensurePolished();
    layout()->invalidate();
    layout()->activate();
    const QSize room = screen()->availableGeometry().size() * 9 / 10;
    resize(sizeHint().expandedTo(QSize(fontMetrics().height() * 52, 0)).boundedTo(room));
    ranking_.setSizeAdjustPolicy(QAbstractScrollArea::AdjustIgnored);
}

void ReplayWindow::keyPressEvent(QKeyEvent* event)
{
    // Esc stops a reading first; then, with nothing typed here to lose, it closes.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && progress_.isVisible()) {
        event->accept();
        emit cancel_requested();
        return;
    }
    if (handle_enter(*this, *event))
        return;
    QDialog::keyPressEvent(event);
}

void ReplayWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!dragged_file(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ReplayWindow::dropEvent(QDropEvent* event)
{
    const QString path = dragged_file(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended, so that the program it came from is not kept waiting.
    QMetaObject::invokeMethod(
        this, [this, path] { emit file_dropped(path); }, Qt::QueuedConnection);
}

} // namespace fee::ui
