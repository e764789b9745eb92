#include "gui/windows/main_window.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSessionManager>
#include <algorithm>
#include <iostream>
#include <vector>

#include "core/datafile/data_file.h"
#include "core/editing/broker_list.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"
#include "core/version.h"
#include "gui/app/prompter.h"
#include "gui/layout/box_text.h"
#include "gui/layout/form.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/windows/close_answers.h"
#include "gui/windows/daily_plans_window.h"
#include "gui/windows/dialog.h"
#include "gui/windows/help_window.h"
#include "gui/windows/schedule_editor.h"

namespace fee::ui {
namespace {

// The client area below the menu bar; the frame's controls are the editor's.
const ControlSpec kDesign[] = {
    {ControlKind::Label, "broker_list_label", QStringLiteral("証券会社の選択"), {360, 120, 1455, 255}},
    {ControlKind::List,
     "broker_list",
     {},
     {120, 360, 2295, 300},
     nullptr,
     {},
     QStringLiteral("証券会社の選択")},
    {ControlKind::Label,
     "yearly_fee_label",
     QStringLiteral("維持費(口座管理料など)"),
     {2760, 120, 1935, 255}},
    {ControlKind::AmountBox,
     "yearly_fee_box",
     {},
     {3360, 360, 855, 270},
     nullptr,
     QStringLiteral("年間の費用を入れて下さい"),
     QStringLiteral("維持費")},
    {ControlKind::Group, "schedule_editor", QStringLiteral("株売買の手数料率"), {120, 720, 4575, 2655}},
    {ControlKind::Button,
     "calculate_button",
     QStringLiteral("試算(&C)"),
     {120, 3480, 1455, 375},
     nullptr,
     QStringLiteral("手数料の試算を始めます")},
    {ControlKind::Button,
     "add_button",
     QStringLiteral("追加(&A)"),
     {1680, 3480, 1455, 375},
     nullptr,
     QStringLiteral("試算する証券会社を追加します")},
    {ControlKind::Button, "quit_button", QStringLiteral("終了(&E)"), {3240, 3480, 1455, 375}},
};
constexpr Twips kClientArea = {0, 0, 4755, 3915};

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

MainWindow::MainWindow(DataDocument& document, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      document_(document), table_(document.table()), prompter_(prompter)
{
    setObjectName(QStringLiteral("main_window"));
    setWindowTitle(program_name());
    build_menu();
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(kClientArea.width), twips(kClientArea.height));
    setCentralWidget(client);
    const Form form(*client, kDesign, {{"schedule_editor", editor_ = new ScheduleEditor}});
    yearly_fee_box_ = form.get<QLineEdit>("yearly_fee_box");
    editor_->set_yearly_fee_box(*yearly_fee_box_);
    broker_list_ = form.get<QComboBox>("broker_list");
    broker_list_->view()->setAccessibleName(QStringLiteral("証券会社の一覧"));
    calculate_button_ = form.get<QPushButton>("calculate_button");
    add_button_ = form.get<QPushButton>("add_button");
    quit_button_ = form.get<QPushButton>("quit_button");
    build_list_menu();
    set_tab_order();

    connect(broker_list_, &QComboBox::activated, this, &MainWindow::choose_broker);
    connect(add_button_, &QPushButton::clicked, this, &MainWindow::add_broker);
    connect(calculate_button_, &QPushButton::clicked, this, &MainWindow::start_calculation);
    connect(quit_button_, &QPushButton::clicked, this, &MainWindow::quit);

    setAcceptDrops(true);
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->installEventFilter(this);

    // The client area keeps its size; the window is exactly menu bar plus client.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    fit_texts(*this);
}

MainWindow::~MainWindow() = default;

void MainWindow::build_menu()
{
    menuBar()->setObjectName(QStringLiteral("menu_bar"));
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("file_menu"));
    QAction* replay = file->addAction(QStringLiteral("取引履歴で試算(&R)..."));
    replay->setObjectName(QStringLiteral("replay_action"));
    replay->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(replay, &QAction::triggered, this, &MainWindow::replay_history);
    QAction* plans = file->addAction(QStringLiteral("1日定額のプラン(&P)..."));
    plans->setObjectName(QStringLiteral("daily_plans_action"));
    connect(plans, &QAction::triggered, this, &MainWindow::edit_daily_plans);
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("help_menu"));
    QAction* contents = help->addAction(QStringLiteral("目次(&E)"));
    contents->setObjectName(QStringLiteral("help_contents"));
    QAction* version = help->addAction(QStringLiteral("バージョン(&V)"));
    version->setObjectName(QStringLiteral("version_action"));
    connect(contents, &QAction::triggered, this, &MainWindow::show_help);
    connect(version, &QAction::triggered, this, &MainWindow::show_version);
}

void MainWindow::build_list_menu()
{
    broker_list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(broker_list_, &QWidget::customContextMenuRequested, this, &MainWindow::show_list_menu);
    add_menu_shortcut(*broker_list_);
    list_menu_ = new QMenu(this);
    list_menu_->setObjectName(QStringLiteral("list_menu"));
    const struct {
        QAction** action;
        const char* name;
        QString text;
        void (MainWindow::*does)();
    } items[] = {
        {&rename_action_, "rename_action", QStringLiteral("名前の変更"), &MainWindow::rename_broker},
        {&remove_action_, "remove_action", QStringLiteral("削除"), &MainWindow::remove_broker},
        {&move_up_action_, "move_up_action", QStringLiteral("上へ"), &MainWindow::move_broker_up},
        {&move_down_action_, "move_down_action", QStringLiteral("下へ"), &MainWindow::move_broker_down},
    };
    for (const auto& item : items) {
        *item.action = list_menu_->addAction(item.text);
        (*item.action)->setObjectName(QString::fromLatin1(item.name));
        connect(*item.action, &QAction::triggered, this, item.does);
    }
    list_menu_->insertSeparator(move_up_action_);
}

void MainWindow::set_tab_order()
{
    std::vector<QWidget*> order = {broker_list_, yearly_fee_box_};
    const auto boxes = editor_->bracket_boxes();
    order.insert(order.end(), boxes.begin(), boxes.end());
    order.insert(order.end(), {calculate_button_, quit_button_, add_button_, editor_->minimum_box(),
                               editor_->maximum_box()});
    chain_tab_order(order);
}

void MainWindow::show_notice(const QString& text)
{
    prompter_.inform(text);
}

void MainWindow::load_table()
{
    shown_broker_ = 0;
    fill_list();
    show_broker();
    broker_list_->setFocus();
}

void MainWindow::show_broker()
{
    editor_->show_broker(table_.broker(shown_broker_));
}

std::optional<BoxError> MainWindow::try_store_editor()
{
    auto refused = editor_->store(table_.broker(shown_broker_));
    if (refused)
        refused->broker = broker_label(shown_broker_, table_.broker(shown_broker_).name);
    return refused;
}

bool MainWindow::store_editor()
{
    const auto refused = try_store_editor();
    if (!refused)
        return true;
    prompter_.inform(qt(refused->message()));
    if (QLineEdit* box = editor_->box_of(*refused))
        select_for_retyping(*box);
    return false;
}

void MainWindow::fill_list()
{
    broker_list_->clear();
    for (int i = 0; i <= table_.last_broker(); ++i)
        broker_list_->addItem(decode_cp932(table_.broker(i).name));
    broker_list_->setCurrentIndex(-1);
    list_shown_ = -1;
}

void MainWindow::choose_broker(int index)
{
    if (index < 0)
        return;
    if (!store_editor()) {
        // The editor still shows the previous broker; so does the list.
        broker_list_->setCurrentIndex(list_shown_);
        return;
    }
    shown_broker_ = index;
    list_shown_ = index;
    show_broker();
}

void MainWindow::add_broker()
{
    if (table_.last_broker() >= kEditorLastBroker)
        return;
    if (!store_editor())
        return;

    auto name = ask_name(QStringLiteral("証券会社名を入れて下さい"), QStringLiteral("例:**証券"), QString());
    if (!name)
        return;
    const int last = table_.last_broker() + 1;
    table_.set_last_broker(last);
    shown_broker_ = last;
    table_.broker(last).name = std::move(*name);
    fill_list();
    editor_->set_texts(standard_schedule_texts());
}

void MainWindow::show_list_menu(const QPoint& pos)
{
    // The menu acts on the broker in the editor, which the list may not show
    // yet (after the start or an add): it shows it now.
    broker_list_->setCurrentIndex(shown_broker_);
    list_shown_ = shown_broker_;
    remove_action_->setEnabled(table_.last_broker() > 0);
    move_up_action_->setEnabled(shown_broker_ > 0);
    move_down_action_->setEnabled(shown_broker_ < table_.last_broker());
    list_menu_->popup(broker_list_->mapToGlobal(pos));
}

void MainWindow::rename_broker()
{
    if (!store_editor())
        return;
    const QString shown = decode_cp932(table_.broker(shown_broker_).name);
    auto name = ask_name(QStringLiteral("名前の変更"),
                         QStringLiteral("「%1」の新しい名前を入れて下さい").arg(quoted_text(shown)), shown);
    if (!name || *name == table_.broker(shown_broker_).name)
        return;
    if (const auto renamed = fee::rename_broker(table_, shown_broker_, std::move(*name)); !renamed) {
        prompter_.inform(qt(renamed.error().message));
        return;
    }
    show_list_at(shown_broker_);
}

void MainWindow::remove_broker()
{
    // Edits that convert are stored as before any action; the rest are not
    // asked about, since they go with the broker.
    (void)try_store_editor();
    const std::string who = broker_label(shown_broker_, table_.broker(shown_broker_).name);
    if (table_.last_broker() > 0 &&
        prompter_.ask(qt(who) + QStringLiteral("を一覧から削除しますか？\n手数料の表も一緒に削除されます。"),
                      {QStringLiteral("削除"), QStringLiteral("キャンセル")}) != 0)
        return;
    if (const auto removed = fee::remove_broker(table_, shown_broker_); !removed) {
        prompter_.inform(qt(removed.error().message));
        return;
    }
    // The broker that took its place, or the new last one, fills the editor.
    shown_broker_ = std::min(shown_broker_, table_.last_broker());
    show_broker();
    show_list_at(shown_broker_);
}

void MainWindow::move_broker_up()
{
    move_shown_broker(-1);
}

void MainWindow::move_broker_down()
{
    move_shown_broker(1);
}

void MainWindow::move_shown_broker(int step)
{
    if (!store_editor())
        return;
    const int to = shown_broker_ + step;
    if (const auto moved = move_broker(table_, shown_broker_, to); !moved) {
        prompter_.inform(qt(moved.error().message));
        return;
    }
    shown_broker_ = to;
    show_list_at(shown_broker_);
}

// After a change of the list: its entries anew, with the editor's broker chosen.
void MainWindow::show_list_at(int index)
{
    document_.note_list_edited();
    fill_list();
    broker_list_->setCurrentIndex(index);
    list_shown_ = index;
}

std::optional<std::string> MainWindow::ask_name(const QString& title, const QString& prompt, QString text)
{
    for (;;) {
        // The box takes more than a name may hold, so that a pasted name too
        // long is refused, saying the limit, rather than cut without a word.
        const auto typed = prompter_.ask_text(title, prompt, text, 2 * kMaxNameCharacters);
        if (!typed)
            return std::nullopt;
        text = *typed;
        auto bytes = encode_broker_name(text);
        if (bytes)
            return std::move(bytes).value();
        // Nothing is stored; the name comes back for correction.
        prompter_.inform(qt(bytes.error().message));
    }
}

void MainWindow::edit_daily_plans()
{
    DailyPlansWindow(document_, prompter_, this).exec();
}

void MainWindow::start_calculation()
{
    if (!store_editor())
        return;
    calculation().run();
}

// Exports never write the data file or the files kept beside it.
Calculation MainWindow::calculation()
{
    return Calculation(
        table_, prompter_,
        [this](const QString& target) { return QString::fromStdString(document_.export_refusal(target)); },
        document_.daily_plans());
}

TableOrigin MainWindow::table_origin() const
{
    return {document_.path(), !document_.lost_changes().empty()};
}

void MainWindow::replay_history()
{
    if (!store_editor())
        return;
    calculation().replay_chosen(table_origin());
}

void MainWindow::replay_file(const QString& path)
{
    if (!store_editor())
        return;
    calculation().replay(path, table_origin());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!dragged_file(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = dragged_file(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended, so that the program it came from is not kept
    // waiting while the replay's window is open.
    QMetaObject::invokeMethod(
        this, [this, path] { replay_file(path); }, Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (dragged_file(drop->mimeData()).isEmpty())
            break;
        if (event->type() == QEvent::Drop)
            dropEvent(drop);
        else
            drop->acceptProposedAction();
        return true;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::quit()
{
    close();
}

DataDocument::Closed MainWindow::close_sequence(CloseQuestions& answers, UnattendedAnswers* unattended)
{
    if (!unattended) {
        if (!store_editor())
            return DataDocument::Closed::Cancelled;
    } else if (const auto refused = try_store_editor()) {
        unattended->note(refused->message() + "\nこの行の変更は保存されません。");
    }
    return document_.close(answers);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!settled_) {
        CloseAnswers answers(prompter_, table_, document_.path());
        if (close_sequence(answers, nullptr) == DataDocument::Closed::Cancelled) {
            event->ignore();
            return;
        }
        settled_ = true;
        document_.release(); // done with the file: let the next copy have it
    }
    event->accept();
}

Status<> MainWindow::close_unattended()
{
    UnattendedAnswers answers;
    if (!settled_) {
        close_sequence(answers, &answers);
        settled_ = true;
        document_.release();
    }
    close();
    std::string report = answers.report();
    if (report.empty())
        return done();
    report.pop_back();
    return Error{report};
}

void MainWindow::commit_data(QSessionManager& manager)
{
    if (settled_)
        return;
    if (!manager.allowsInteraction()) {
        if (const auto closed = close_unattended(); !closed)
            std::cerr << closed.error().message << "\n";
        return;
    }
    // The program may yet go on if the logout is cancelled elsewhere, so the
    // file is written as at a close but the window stays.
    CloseAnswers answers(prompter_, table_, document_.path());
    const auto closed = close_sequence(answers, nullptr);
    manager.release();
    if (closed == DataDocument::Closed::Cancelled)
        manager.cancel();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (!handle_enter(*this, *event))
        QMainWindow::keyPressEvent(event);
}

void MainWindow::show_help()
{
    if (!help_) {
        help_ = HelpWindow::open(find_help_file(where_), this);
        if (!help_) {
            // Say where it was looked for, so that the user can put it there.
            prompter_.inform(
                QStringLiteral("ヘルプのファイル %1 が見つからないか、読めません。探したフォルダー:\n%2\n"
                               "プログラムを入れ直すか、%1 をこのどれかに置いて下さい。")
                    .arg(QString::fromLatin1(kHelpFileName), help_folders(where_).join(u'\n')));
            return;
        }
    }
    bring_to_front(*help_);
}

void MainWindow::show_version()
{
    prompter_.inform(QStringLiteral("1999/DEC/20 ver ") + QString::fromLatin1(kVersion),
                     QStringLiteral("バージョン情報"));
}

} // namespace fee::ui
