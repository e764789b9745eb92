#include "gui/windows/main_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSessionManager>
#include <algorithm>
#include <iostream>
#include <iterator>

#include "core/datafile/data_file.h"
#include "core/editing/broker_list.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"
#include "core/version.h"
#include "gui/app/calculation.h"
#include "gui/app/prompter.h"
#include "gui/layout/box_text.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/dialog.h"
#include "gui/windows/help_window.h"

namespace fee {
namespace {

QLabel* make_label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLineEdit* make_box(QWidget* parent, const QString& name, Qt::Alignment align)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAlignment(align | Qt::AlignVCenter);
    e->setFont(ui::number_box_font());
    if (align & Qt::AlignRight) {
        // The yen sign is full width in this font: without trimming the inner
        // margin, "¥10,000,000" would scroll out of its box.
        e->setTextMargins(-3, 0, -2, 0);
    }
    // Numbers only: typing goes straight into the box, never through an IME.
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

QPushButton* make_button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter and Esc trigger nothing.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

// The user's answers to the document's questions at close, in message boxes.
class fee_compare::UserAnswers : public CloseQuestions {
public:
    explicit UserAnswers(fee_compare& window) : window_(window) {}

    Answer changed_on_disk(const QString& path) override
    {
        return answer(window_.prompter_.ask(
            QStringLiteral("%1 は、このプログラムが読み込んだ後に、ほかのプログラムによって"
                           "書き換えられています。\nこのプログラムの内容で上書きしますか？")
                .arg(path),
            {QStringLiteral("上書き保存"), QStringLiteral("保存しないで終了"),
             QStringLiteral("キャンセル")}));
    }

    Answer save_failed(const std::string& message) override
    {
        return answer(window_.prompter_.ask(
            qt(message),
            {QStringLiteral("もう一度"), QStringLiteral("保存しないで終了"), QStringLiteral("キャンセル")}));
    }

    Answer cannot_save(const std::string& why) override
    {
        return window_.prompter_.ask(qt(why) + QStringLiteral("変更は保存できません。"),
                                     {QStringLiteral("保存しないで終了"), QStringLiteral("キャンセル")}) == 0
                   ? Answer::Discard
                   : Answer::Cancel;
    }

    bool confirm_discard(const LostChanges& lost) override
    {
        QStringList lines;
        if (lost.list_edited)
            lines << QStringLiteral("証券会社の一覧の名前の変更・削除・並べ替え");
        for (const int r : lost.brokers) {
            // Quoted like every name in a message, so that a long one keeps the buttons on screen.
            QString line = qt(broker_label(r, window_.table_.broker(r).name));
            if (r > lost.saved_last_broker)
                line += QStringLiteral("（追加）");
            lines << line;
        }
        const QString path = window_.document_.path();
        const QString what =
            lines.isEmpty()
                ? QStringLiteral("変更はありません。%1 は今のままです。").arg(path)
                : QStringLiteral("次の証券会社の変更は失われます。%1 は今のままです。\n").arg(path) +
                      lines.join(QStringLiteral("\n"));
        return window_.prompter_.ask(what + QStringLiteral("\n\n保存しないで終了しますか？"),
                                     {QStringLiteral("保存しないで終了"), QStringLiteral("キャンセル")}) == 0;
    }

private:
    static Answer answer(int index)
    {
        return index == 0 ? Answer::Save : index == 1 ? Answer::Discard : Answer::Cancel;
    }

    fee_compare& window_;
};

fee_compare::fee_compare(DataDocument& document, ui::Prompter& prompter, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      document_(document), table_(document.table()), prompter_(prompter)
{
    setObjectName(QStringLiteral("fee_compare"));
    setWindowTitle(ui::program_name());
    build_controls();
    ui::fit_texts(*this);
}

fee_compare::~fee_compare() = default;

void fee_compare::build_controls()
{
    build_menu();
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ui::twips(4755), ui::twips(3915));
    setCentralWidget(client);
    build_client_area(client);
    build_editor();
    build_list_menu();
    set_tab_order();

    connect(Combo1_, &QComboBox::activated, this, &fee_compare::Combo1_Click);
    connect(key_add_com_, &QPushButton::clicked, this, &fee_compare::key_add_com_Click);
    connect(key_cal_, &QPushButton::clicked, this, &fee_compare::key_cal_Click);
    connect(key_suspend_, &QPushButton::clicked, this, &fee_compare::key_suspend_Click);

    // The client area keeps its size; the window is exactly menu bar plus client.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void fee_compare::build_menu()
{
    menuBar()->setObjectName(QStringLiteral("menu_bar"));
    k_help_ = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    k_help_->setObjectName(QStringLiteral("k_help"));
    explain_ = k_help_->addAction(QStringLiteral("目次(&E)"));
    explain_->setObjectName(QStringLiteral("explain"));
    k_version_ = k_help_->addAction(QStringLiteral("バージョン(&V)"));
    k_version_->setObjectName(QStringLiteral("k_version"));
    connect(explain_, &QAction::triggered, this, &fee_compare::explain_Click);
    connect(k_version_, &QAction::triggered, this, &fee_compare::k_version_Click);
}

void fee_compare::build_list_menu()
{
    Combo1_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Combo1_, &QWidget::customContextMenuRequested, this, &fee_compare::Combo1_ContextMenu);
    ui::add_menu_shortcut(*Combo1_);
    k_list_ = new QMenu(this);
    k_list_->setObjectName(QStringLiteral("k_list"));
    const std::pair<QAction**, const char*> items[] = {
        {&k_rename_, "k_rename"}, {&k_delete_, "k_delete"}, {&k_up_, "k_up"}, {&k_down_, "k_down"}};
    const QString texts[] = {QStringLiteral("名前の変更"), QStringLiteral("削除"), QStringLiteral("上へ"),
                             QStringLiteral("下へ")};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        *items[i].first = k_list_->addAction(texts[i]);
        (*items[i].first)->setObjectName(QString::fromLatin1(items[i].second));
    }
    k_list_->insertSeparator(k_up_);
    connect(k_rename_, &QAction::triggered, this, &fee_compare::k_rename_Click);
    connect(k_delete_, &QAction::triggered, this, &fee_compare::k_delete_Click);
    connect(k_up_, &QAction::triggered, this, &fee_compare::k_up_Click);
    connect(k_down_, &QAction::triggered, this, &fee_compare::k_down_Click);
}

void fee_compare::build_client_area(QWidget* client)
{
    using ui::place;
    QLabel* Label1 = make_label(client, "Label1", QStringLiteral("証券会社の選択"));
    place(Label1, 360, 120, 1455, 255);
    Combo1_ = new QComboBox(client);
    Combo1_->setObjectName(QStringLiteral("Combo1"));
    Combo1_->setAccessibleName(QStringLiteral("証券会社の選択"));
    Combo1_->view()->setAccessibleName(QStringLiteral("証券会社の一覧"));
    Combo1_->setEditable(false);
    place(Combo1_, 120, 360, 2295, 300);
    QLabel* Label2 = make_label(client, "Label2", QStringLiteral("維持費(口座管理料など)"));
    place(Label2, 2760, 120, 1935, 255);
    l_fix_ = make_box(client, QStringLiteral("l_fix"), Qt::AlignRight);
    l_fix_->setAccessibleName(QStringLiteral("維持費"));
    l_fix_->setToolTip(QStringLiteral("年間の費用を入れて下さい"));
    place(l_fix_, 3360, 360, 855, 270);

    Frame1_ = new QGroupBox(QStringLiteral("株売買の手数料率"), client);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    place(Frame1_, 120, 720, 4575, 2655);

    key_cal_ = make_button(client, "key_cal", QStringLiteral("試算(&C)"));
    key_cal_->setToolTip(QStringLiteral("手数料の試算を始めます"));
    place(key_cal_, 120, 3480, 1455, 375);
    key_add_com_ = make_button(client, "key_add_com", QStringLiteral("追加(&A)"));
    key_add_com_->setToolTip(QStringLiteral("試算する証券会社を追加します"));
    place(key_add_com_, 1680, 3480, 1455, 375);
    key_suspend_ = make_button(client, "key_suspend", QStringLiteral("終了(&E)"));
    place(key_suspend_, 3240, 3480, 1455, 375);
}

// Inside the frame, positions are relative to the frame.
void fee_compare::build_editor()
{
    using ui::place;
    QLabel* Label3 = make_label(Frame1_, "Label3", QStringLiteral("約定代金"));
    place(Label3, 240, 240, 735, 255);
    QLabel* Label5 = make_label(Frame1_, "Label5", QStringLiteral("手数料率"));
    place(Label5, 1800, 240, 735, 255);
    QLabel* Label6 = make_label(Frame1_, "Label6", QStringLiteral("付加"));
    place(Label6, 2880, 240, 495, 255);

    const QString rate_tip = QStringLiteral("1%は 0.01 です");
    for (int i = 0; i < kBrackets; ++i) {
        const int top = 480 + 360 * i;
        // Named for a screen reader, which would otherwise give the frame's title to every box.
        const QString row = QStringLiteral("%1 行目の").arg(i + 1);
        l_kubun_[i] = make_box(Frame1_, ui::indexed("l_kubun", i), Qt::AlignRight);
        l_kubun_[i]->setAccessibleName(row + (i < kBoundedBrackets ? QStringLiteral("約定代金の上限")
                                                                   : QStringLiteral("約定代金（それ以上）")));
        place(l_kubun_[i], 120, top, 1095, 270);
        l_wariai_[i] = make_box(Frame1_, ui::indexed("l_wariai", i), Qt::AlignLeft);
        l_wariai_[i]->setAccessibleName(row + QStringLiteral("手数料率"));
        l_wariai_[i]->setToolTip(rate_tip);
        place(l_wariai_[i], 1800, top, 735, 270);
        l_add_[i] = make_box(Frame1_, ui::indexed("l_add", i), Qt::AlignRight);
        l_add_[i]->setAccessibleName(row + QStringLiteral("付加"));
        place(l_add_[i], 2640, top, 855, 270);
        if (i < kBoundedBrackets) {
            QLabel* Label4 = make_label(Frame1_, "Label4", QStringLiteral("以下"));
            Label4->setObjectName(ui::indexed("Label4", i));
            place(Label4, 1320, 600 + 360 * i, 375, 255);
        }
    }
    // The open top bracket has no bound: a fixed, locked caption in the grey of
    // the scroll bars.
    QLineEdit* top_bound = l_kubun_[kTopBracket];
    top_bound->setText(QStringLiteral("それ以上"));
    top_bound->setAlignment(Qt::AlignCenter);
    top_bound->setReadOnly(true);
    top_bound->setAttribute(Qt::WA_InputMethodEnabled, false); // setReadOnly resets it
    QPalette grey = top_bound->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    top_bound->setPalette(grey);

    const QString mini_tip = QStringLiteral("手数料の下限です。0は設定なし");
    QLabel* Label7 = make_label(Frame1_, "Label7", QStringLiteral("下限"));
    Label7->setToolTip(mini_tip);
    place(Label7, 3840, 360, 375, 255);
    l_mini_ = make_box(Frame1_, QStringLiteral("l_mini"), Qt::AlignRight);
    l_mini_->setAccessibleName(QStringLiteral("下限"));
    l_mini_->setToolTip(mini_tip);
    place(l_mini_, 3600, 600, 855, 270);
    const QString max_tip = QStringLiteral("手数料の上限です。0は設定なし");
    QLabel* Label8 = make_label(Frame1_, "Label8", QStringLiteral("上限"));
    Label8->setToolTip(max_tip);
    place(Label8, 3840, 1800, 495, 255);
    l_max_ = make_box(Frame1_, QStringLiteral("l_max"), Qt::AlignRight);
    l_max_->setAccessibleName(QStringLiteral("上限"));
    l_max_->setToolTip(max_tip);
    place(l_max_, 3600, 2040, 855, 270);
}

void fee_compare::set_tab_order()
{
    std::vector<QWidget*> order = {Combo1_, l_fix_};
    order.insert(order.end(), l_kubun_.begin(), l_kubun_.end());
    order.insert(order.end(), l_wariai_.begin(), l_wariai_.end());
    order.insert(order.end(), l_add_.begin(), l_add_.end());
    order.insert(order.end(), {key_cal_, key_suspend_, key_add_com_, l_mini_, l_max_});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void fee_compare::show_notice(const QString& text)
{
    prompter_.inform(text);
}

void fee_compare::Form_Load()
{
    now_com_ = 0;
    fill_list();
    show_broker();
    Combo1_->setFocus();
}

void fee_compare::show_broker()
{
    set_editor_texts(editor_texts_from(table_.broker(now_com_)));
}

std::optional<BoxError> fee_compare::try_store_editor()
{
    const auto stored = store_editor_texts(table_.broker(now_com_), editor_texts());
    if (stored)
        return std::nullopt;
    BoxError named = stored.error();
    named.broker = broker_label(now_com_, table_.broker(now_com_).name);
    return named;
}

bool fee_compare::store_editor()
{
    const auto refused = try_store_editor();
    if (!refused)
        return true;
    prompter_.inform(qt(refused->message()));
    if (QLineEdit* box = box_of(*refused))
        ui::select_for_retyping(*box);
    return false;
}

void fee_compare::fill_list()
{
    Combo1_->clear();
    for (int i = 0; i <= table_.last_broker(); ++i)
        Combo1_->addItem(decode_cp932(table_.broker(i).name));
    Combo1_->setCurrentIndex(-1);
    combo_shown_ = -1;
}

void fee_compare::Combo1_Click(int index)
{
    if (index < 0)
        return;
    if (!store_editor()) {
        // The editor still shows the previous broker; so does the list.
        Combo1_->setCurrentIndex(combo_shown_);
        return;
    }
    now_com_ = static_cast<std::uint8_t>(index);
    combo_shown_ = index;
    show_broker();
}

void fee_compare::key_add_com_Click()
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
    now_com_ = static_cast<std::uint8_t>(last);
    table_.broker(last).name = std::move(*name);
    fill_list();
    set_editor_texts(standard_schedule_texts());
}

void fee_compare::Combo1_ContextMenu(const QPoint& pos)
{
    // The menu acts on the broker in the editor, which the list may not show
    // yet (after the start or an add): it shows it now.
    Combo1_->setCurrentIndex(now_com_);
    combo_shown_ = now_com_;
    k_delete_->setEnabled(table_.last_broker() > 0);
    k_up_->setEnabled(now_com_ > 0);
    k_down_->setEnabled(now_com_ < table_.last_broker());
    k_list_->popup(Combo1_->mapToGlobal(pos));
}

void fee_compare::k_rename_Click()
{
    if (!store_editor())
        return;
    const QString shown = decode_cp932(table_.broker(now_com_).name);
    auto name = ask_name(QStringLiteral("名前の変更"),
                         QStringLiteral("「%1」の新しい名前を入れて下さい").arg(quoted_text(shown)), shown);
    if (!name || *name == table_.broker(now_com_).name)
        return;
    if (const auto renamed = rename_broker(table_, now_com_, std::move(*name)); !renamed) {
        prompter_.inform(qt(renamed.error().message));
        return;
    }
    show_list_at(now_com_);
}

void fee_compare::k_delete_Click()
{
    // Edits that convert are stored as before any action; the rest are not
    // asked about, since they go with the broker.
    (void)try_store_editor();
    const std::string who = broker_label(now_com_, table_.broker(now_com_).name);
    if (table_.last_broker() > 0 &&
        prompter_.ask(qt(who) + QStringLiteral("を一覧から削除しますか？\n手数料の表も一緒に削除されます。"),
                      {QStringLiteral("削除"), QStringLiteral("キャンセル")}) != 0)
        return;
    if (const auto removed = remove_broker(table_, now_com_); !removed) {
        prompter_.inform(qt(removed.error().message));
        return;
    }
    // The broker that took its place, or the new last one, fills the editor.
    now_com_ = static_cast<std::uint8_t>(std::min<int>(now_com_, table_.last_broker()));
    show_broker();
    show_list_at(now_com_);
}

void fee_compare::k_up_Click()
{
    move_shown_broker(-1);
}

void fee_compare::k_down_Click()
{
    move_shown_broker(1);
}

void fee_compare::move_shown_broker(int step)
{
    if (!store_editor())
        return;
    const int to = now_com_ + step;
    if (const auto moved = move_broker(table_, now_com_, to); !moved) {
        prompter_.inform(qt(moved.error().message));
        return;
    }
    now_com_ = static_cast<std::uint8_t>(to);
    show_list_at(now_com_);
}

// After a change of the list: its entries anew, with the editor's broker chosen.
void fee_compare::show_list_at(int row)
{
    document_.note_list_edited();
    fill_list();
    Combo1_->setCurrentIndex(row);
    combo_shown_ = row;
}

std::optional<std::string> fee_compare::ask_name(const QString& title, const QString& prompt, QString text)
{
    for (;;) {
        // No longer than a file can hold on one line.
        const auto typed = prompter_.ask_text(title, prompt, text, kMaxNameCharacters);
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

void fee_compare::key_cal_Click()
{
    if (!store_editor())
        return;
    Calculation(table_, prompter_, [this](const QString& target) {
        return QString::fromStdString(document_.export_refusal(target));
    }).run();
}

void fee_compare::key_suspend_Click()
{
    close();
}

DataDocument::Closed fee_compare::close_sequence(CloseQuestions& answers, UnattendedAnswers* unattended)
{
    if (!unattended) {
        if (!store_editor())
            return DataDocument::Closed::Cancelled;
    } else if (const auto refused = try_store_editor()) {
        unattended->note(refused->message() + "\nこの行の変更は保存されません。");
    }
    return document_.close(answers);
}

void fee_compare::closeEvent(QCloseEvent* event)
{
    if (!settled_) {
        UserAnswers answers(*this);
        if (close_sequence(answers, nullptr) == DataDocument::Closed::Cancelled) {
            event->ignore();
            return;
        }
        settled_ = true;
        document_.release(); // done with the file: let the next copy have it
    }
    event->accept();
}

Status<> fee_compare::close_unattended()
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

void fee_compare::commit_data(QSessionManager& manager)
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
    UserAnswers answers(*this);
    const auto closed = close_sequence(answers, nullptr);
    manager.release();
    if (closed == DataDocument::Closed::Cancelled)
        manager.cancel();
}

void fee_compare::keyPressEvent(QKeyEvent* event)
{
    if (!ui::handle_enter(*this, *event))
        QMainWindow::keyPressEvent(event);
}

void fee_compare::explain_Click()
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
    ui::bring_to_front(*help_);
}

void fee_compare::k_version_Click()
{
    prompter_.inform(QStringLiteral("1999/DEC/20 ver ") + QString::fromLatin1(kVersion),
                     QStringLiteral("バージョン情報"));
}

void fee_compare::set_editor_texts(const EditorTexts& e)
{
    for (std::size_t j = 0; j < kBrackets; ++j) {
        if (j < kBoundedBrackets)
            ui::set_box_text(*l_kubun_[j], e.bounds[j]);
        ui::set_box_text(*l_wariai_[j], e.rates[j]);
        ui::set_box_text(*l_add_[j], e.add_ons[j]);
    }
    ui::set_box_text(*l_fix_, e.yearly_fee);
    ui::set_box_text(*l_mini_, e.minimum);
    ui::set_box_text(*l_max_, e.maximum);
}

EditorTexts fee_compare::editor_texts() const
{
    EditorTexts e;
    for (std::size_t j = 0; j < kBrackets; ++j) {
        if (j < kBoundedBrackets)
            e.bounds[j] = l_kubun_[j]->text();
        e.rates[j] = l_wariai_[j]->text();
        e.add_ons[j] = l_add_[j]->text();
    }
    e.yearly_fee = l_fix_->text();
    e.maximum = l_max_->text();
    e.minimum = l_mini_->text();
    return e;
}

QLineEdit* fee_compare::box_of(const BoxError& error) const
{
    switch (error.box) {
    case EditorBox::Bound:
        return l_kubun_.at(static_cast<std::size_t>(error.index));
    case EditorBox::Rate:
        return l_wariai_.at(static_cast<std::size_t>(error.index));
    case EditorBox::AddOn:
        return l_add_.at(static_cast<std::size_t>(error.index));
    case EditorBox::YearlyFee:
        return l_fix_;
    case EditorBox::Maximum:
        return l_max_;
    case EditorBox::Minimum:
        return l_mini_;
    }
    return nullptr;
}

} // namespace fee
