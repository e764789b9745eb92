// Preloaded into fee-compare (LD_PRELOAD) by scripts/screenshots: walks the
// windows as a user would (the replay of a trade history it writes into the
// data's folder last), finding each by its caption and its buttons' texts
// only, saves each as a PNG in $FEE_SHOTS_DIR, then ends the program without
// its close. It knows nothing of the program's classes or object names, so the
// same walk compares two builds pixel for pixel.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringEncoder>
#include <QStyleHints>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

const QString kMainTitle = QStringLiteral("リョーバン-手数料比較");
const QString kQuestion = QStringLiteral("投資のスタイルは？");
const QString kResult = QStringLiteral("手数料の試算結果です");
const QString kHistoryFile = QStringLiteral("約定履歴.csv");
constexpr int kSettleMs = 800;
constexpr int kPatienceMs = 20000;

struct Step {
    std::function<bool(QWidget*)> is_it;
    QString shot; // the PNG's name, or empty
    std::function<void(QWidget*)> act;
};

template <class T> T* child_with_text(QWidget* window, const QString& text)
{
    for (T* child : window->findChildren<T*>())
        if (child->text() == text)
            return child;
    return nullptr;
}

std::function<bool(QWidget*)> titled(const QString& title, const QString& button = {})
{
    return [title, button](QWidget* w) {
        return w->windowTitle() == title && (button.isEmpty() || child_with_text<QAbstractButton>(w, button));
    };
}

// Later, so that a press that opens a modal window does not block the walk.
void press(QWidget* window, const QString& text)
{
    if (QAbstractButton* button = window ? child_with_text<QAbstractButton>(window, text) : nullptr)
        QTimer::singleShot(0, button, [button] { button->click(); });
}

void trigger(QWidget* window, const QString& text)
{
    if (QAction* action = window ? child_with_text<QAction>(window, text) : nullptr)
        QTimer::singleShot(0, action, [action] { action->trigger(); });
}

QWidget* top_level(const std::function<bool(QWidget*)>& is_it)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && is_it(w))
            return w;
    return nullptr;
}

std::vector<Step> walk()
{
    const auto main_window = titled(kMainTitle, QStringLiteral("試算(&C)"));
    const auto close = [](QWidget* w) { w->close(); };
    const auto then_press = [](const QString& text) { return [text](QWidget* w) { press(w, text); }; };
    const auto then_trigger = [](const QString& text) { return [text](QWidget* w) { trigger(w, text); }; };
    return {
        {main_window, QStringLiteral("main_window"), then_trigger(QStringLiteral("目次(&E)"))},
        {[](QWidget* w) {
             return w->findChild<QTextBrowser*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
         },
         QStringLiteral("help_window"), close},
        {main_window, {}, then_trigger(QStringLiteral("バージョン(&V)"))},
        {titled(QStringLiteral("バージョン情報")), QStringLiteral("version"), close},
        {main_window, {}, then_trigger(QStringLiteral("1日定額のプラン(&P)..."))},
        {titled(QStringLiteral("1日定額のプラン")), QStringLiteral("daily_plans"),
         then_press(QStringLiteral("編集(&E)..."))},
        {titled(QStringLiteral("1日定額のプランの編集")), QStringLiteral("daily_plan_editor"), close},
        {titled(QStringLiteral("1日定額のプラン")), {}, close},
        {main_window, {}, then_press(QStringLiteral("試算(&C)"))},
        {titled(kQuestion, QStringLiteral("低額(&L)")), QStringLiteral("amount_question"),
         then_press(QStringLiteral("低額(&L)"))},
        {titled(kQuestion, QStringLiteral("たまに(&J)")), QStringLiteral("frequency_question"),
         then_press(QStringLiteral("たまに(&J)"))},
        {titled(QStringLiteral("どのぐらい株取引をしますか")), QStringLiteral("trade_plan"),
         then_press(QStringLiteral("試算(&D)"))},
        {titled(kResult), QStringLiteral("result"), then_press(QStringLiteral("並べ替え(&S)"))},
        {titled(kResult), QStringLiteral("result_sorted"),
         then_trigger(QStringLiteral("口座の組み合わせ(&K)..."))},
        {titled(QStringLiteral("口座の組み合わせ")), QStringLiteral("accounts"), close},
        {titled(kResult), {}, then_trigger(QStringLiteral("グラフ(&G)..."))},
        {titled(QStringLiteral("手数料のグラフ")), QStringLiteral("chart_amounts"),
         [](QWidget* w) { w->findChild<QTabWidget*>()->setCurrentIndex(1); }},
        {titled(QStringLiteral("手数料のグラフ")), QStringLiteral("chart_activity"), close},
        {titled(kResult), {}, then_press(QStringLiteral("閉じる(&X)"))},
        {main_window, {}, then_trigger(QStringLiteral("取引履歴で試算(&R)..."))},
        {titled(QStringLiteral("取引履歴を開く")),
         {},
         [](QWidget* w) {
             auto* dialog = qobject_cast<QFileDialog*>(w);
             // Typed, as a user does: the dialog leaves a box with the focus as it is.
             dialog->findChild<QLineEdit*>()->setText(QDir::current().absoluteFilePath(kHistoryFile));
             QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
         }},
        {titled(QStringLiteral("取引履歴の試算 — ") + kHistoryFile), QStringLiteral("replay_window"),
         then_press(QStringLiteral("グラフ(&G)..."))},
        {titled(QStringLiteral("取引履歴のグラフ — ") + kHistoryFile), QStringLiteral("replay_chart"),
         [](QWidget*) { ::_exit(0); }},
    };
}

// Two years of a made-up broker's download, as brokers write them: CP932,
// every field quoted, a title before the header, margin trades, a deposit and
// a line that cannot be read among the cash trades.
void write_history()
{
    QString text =
        QStringLiteral("\"約定履歴照会\"\r\n\"期間\",\"2024/01/01～2025/12/31\"\r\n\r\n"
                       "\"約定日\",\"銘柄\",\"取引\",\"約定数量\",\"約定単価\",\"手数料/諸経費等\"\r\n");
    const char* const sides[] = {"株式現物買", "株式現物売", "株式現物買", "信用新規買", "株式現物売"};
    const int quantities[] = {100, 200, 500, 1000, 300};
    const char* const prices[] = {"2,650.5", "1,066.5", "512", "345.5", "8,110"};
    for (int i = 0; i < 36; ++i) {
        const QString date = QStringLiteral("%1/%2/%3")
                                 .arg(2024 + i / 18)
                                 .arg(i % 18 * 2 / 3 + 1, 2, 10, QLatin1Char('0'))
                                 .arg(i * 7 % 27 + 1, 2, 10, QLatin1Char('0'));
        const QString quantity =
            i == 20 ? QStringLiteral("百") : QString::number(quantities[i % 5] * (i % 3 + 1));
        text += QStringLiteral("\"%1\",\"銘柄%2\",\"%3\",\"%4\",\"%5\",\"%6\"\r\n")
                    .arg(date)
                    .arg(i % 7)
                    .arg(QString::fromUtf8(i == 9 ? "入金" : sides[i % 5]), quantity,
                         QString::fromUtf8(prices[i % 5]))
                    .arg(i % 4 == 0 ? 275 : 99);
    }
    QFile file(kHistoryFile);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringEncoder("CP932").encode(text));
}

class Walker : public QObject {
public:
    Walker() : steps_(walk())
    {
        clock_.start();
        auto* tick = new QTimer(this);
        connect(tick, &QTimer::timeout, this, &Walker::look);
        tick->start(100);
    }

private:
    void look()
    {
        if (clock_.elapsed() > kPatienceMs) {
            std::fprintf(stderr, "screenshot walk stuck at step %zu\n", next_ + 1);
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible())
                    std::fprintf(stderr, "  showing: %s\n", qPrintable(w->windowTitle()));
            ::_exit(2);
        }
        QWidget* window = top_level(steps_[next_].is_it);
        if (window != seen_) {
            seen_ = window;
            since_.start();
            return;
        }
        if (!window || since_.elapsed() < kSettleMs)
            return;
        const Step& step = steps_[next_++];
        if (!step.shot.isEmpty())
            window->grab().save(QDir(qEnvironmentVariable("FEE_SHOTS_DIR")).filePath(step.shot + ".png"));
        seen_ = nullptr;
        clock_.start();
        step.act(window);
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    QWidget* seen_ = nullptr;
    QElapsedTimer since_, clock_;
};

void start_walking()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // A steady cursor, so that two walks give the same pixels.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
    write_history();
    new Walker;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start_walking)
