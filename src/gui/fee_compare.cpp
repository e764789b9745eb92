#include "main_window/fee_compare.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "broker_table/broker_table.h"
#include "broker_table/codepage.h"
#include "main_window/twips.h"
#include "main_window/ui_font.h"
#include "questionnaire/questionnaire.h"

namespace fee {
namespace {

const QString kCaption = QStringLiteral("リョーバン-手数料比較");
const QString kHelpFile = QStringLiteral("ryoban_h.hlp");

QString data_file_path()
{
    return QString::fromLatin1(kDataFileName);
}

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

QString indexed(const char* name, int i)
{
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i);
}

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

fee_compare::fee_compare(BrokerTable& table, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      table_(table)
{
    setObjectName(QStringLiteral("fee_compare"));
    setWindowTitle(kCaption);
    build_controls();
}

void fee_compare::build_controls()
{
    using ui::place;

    k_help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    k_help->setObjectName(QStringLiteral("k_help"));
    explain = k_help->addAction(QStringLiteral("目次(&E)"));
    explain->setObjectName(QStringLiteral("explain"));
    k_version = k_help->addAction(QStringLiteral("バージョン(&V)"));
    k_version->setObjectName(QStringLiteral("k_version"));
    connect(explain, &QAction::triggered, this, &fee_compare::explain_Click);
    connect(k_version, &QAction::triggered, this, &fee_compare::k_version_Click);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ui::twips(4755), ui::twips(3915));
    setCentralWidget(client);

    Label1 = make_label(client, "Label1", QStringLiteral("証券会社の選択"));
    place(Label1, 360, 120, 1455, 255);
    Combo1 = new QComboBox(client);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(false);
    place(Combo1, 120, 360, 2295, 300);
    Label2 = make_label(client, "Label2", QStringLiteral("維持費(口座管理料など)"));
    place(Label2, 2760, 120, 1935, 255);
    l_fix = make_box(client, QStringLiteral("l_fix"), Qt::AlignRight);
    l_fix->setToolTip(QStringLiteral("年間の費用を入れて下さい"));
    place(l_fix, 3360, 360, 855, 270);

    Frame1 = new QGroupBox(QStringLiteral("株売買の手数料率"), client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, 120, 720, 4575, 2655);

    key_cal = make_button(client, "key_cal", QStringLiteral("試算(&C)"));
    key_cal->setToolTip(QStringLiteral("手数料の試算を始めます"));
    place(key_cal, 120, 3480, 1455, 375);
    key_add_com = make_button(client, "key_add_com", QStringLiteral("追加(&A)"));
    key_add_com->setToolTip(QStringLiteral("試算する証券会社を追加します"));
    place(key_add_com, 1680, 3480, 1455, 375);
    key_suspend = make_button(client, "key_suspend", QStringLiteral("終了(&E)"));
    place(key_suspend, 3240, 3480, 1455, 375);

    // Inside the frame, positions are relative to the frame.
    Label3 = make_label(Frame1, "Label3", QStringLiteral("約定代金"));
    place(Label3, 240, 240, 735, 255);
    Label5 = make_label(Frame1, "Label5", QStringLiteral("手数料率"));
    place(Label5, 1800, 240, 735, 255);
    Label6 = make_label(Frame1, "Label6", QStringLiteral("付加"));
    place(Label6, 2880, 240, 495, 255);

    const QString rate_tip = QStringLiteral("1%は 0.01 です");
    for (int i = 0; i < 6; ++i) {
        const int top = 480 + 360 * i;
        l_kubun[i] = make_box(Frame1, indexed("l_kubun", i), Qt::AlignRight);
        place(l_kubun[i], 120, top, 1095, 270);
        l_wariai[i] = make_box(Frame1, indexed("l_wariai", i), Qt::AlignLeft);
        l_wariai[i]->setToolTip(rate_tip);
        place(l_wariai[i], 1800, top, 735, 270);
        l_add[i] = make_box(Frame1, indexed("l_add", i), Qt::AlignRight);
        place(l_add[i], 2640, top, 855, 270);
        if (i < 5) {
            Label4[i] = make_label(Frame1, "Label4", QStringLiteral("以下"));
            Label4[i]->setObjectName(indexed("Label4", i));
            place(Label4[i], 1320, 600 + 360 * i, 375, 255);
        }
    }
    // The open top bracket has no bound: a fixed, locked caption in the grey of
    // the scroll bars.
    QLineEdit* top_bound = l_kubun[kTopBracket];
    top_bound->setText(QStringLiteral("それ以上"));
    top_bound->setAlignment(Qt::AlignCenter);
    top_bound->setReadOnly(true);
    top_bound->setAttribute(Qt::WA_InputMethodEnabled, false); // setReadOnly resets it
    QPalette grey = top_bound->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    top_bound->setPalette(grey);

    const QString mini_tip = QStringLiteral("手数料の下限です。0は設定なし");
    Label7 = make_label(Frame1, "Label7", QStringLiteral("下限"));
    Label7->setToolTip(mini_tip);
    place(Label7, 3840, 360, 375, 255);
    l_mini = make_box(Frame1, QStringLiteral("l_mini"), Qt::AlignRight);
    l_mini->setToolTip(mini_tip);
    place(l_mini, 3600, 600, 855, 270);
    const QString max_tip = QStringLiteral("手数料の上限です。0は設定なし");
    Label8 = make_label(Frame1, "Label8", QStringLiteral("上限"));
    Label8->setToolTip(max_tip);
    place(Label8, 3840, 1800, 495, 255);
    l_max = make_box(Frame1, QStringLiteral("l_max"), Qt::AlignRight);
    l_max->setToolTip(max_tip);
    place(l_max, 3600, 2040, 855, 270);

    std::vector<QWidget*> order = {Combo1, l_fix};
    order.insert(order.end(), l_kubun.begin(), l_kubun.end());
    order.insert(order.end(), l_wariai.begin(), l_wariai.end());
    order.insert(order.end(), l_add.begin(), l_add.end());
    order.insert(order.end(), {key_cal, key_suspend, key_add_com, l_mini, l_max});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Combo1, &QComboBox::activated, this, &fee_compare::Combo1_Click);
    connect(key_add_com, &QPushButton::clicked, this, &fee_compare::key_add_com_Click);
    connect(key_cal, &QPushButton::clicked, this, &fee_compare::key_cal_Click);
    connect(key_suspend, &QPushButton::clicked, this, &fee_compare::key_suspend_Click);

    // The client area keeps its size; the window is exactly menu bar plus client.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

bool fee_compare::Form_Load()
{
    if (!z_read_file())
        return false;
    now_com_ = 0;
    z_set_combo();
    z_load_data();
    Combo1->setFocus();
    return true;
}

bool fee_compare::z_read_file()
{
    const auto status = read_data_file(data_file_path(), table_);
    if (!status) {
        show_error(qt(status.error().message) + QStringLiteral("\nプログラムを終了します。"));
        return false;
    }
    return true;
}

bool fee_compare::z_write_file()
{
    const auto status = write_data_file(data_file_path(), table_, save_fault_);
    if (!status) {
        show_error(qt(status.error().message) +
                   QStringLiteral("\n原因を取り除いてから、もう一度閉じて下さい。"));
        return false;
    }
    return true;
}

void fee_compare::z_load_data()
{
    set_editor_texts(editor_texts_from_row(table_, now_com_));
}

bool fee_compare::z_save_data()
{
    const auto status = store_editor_texts(table_, now_com_, editor_texts());
    if (!status) {
        show_error(qt(status.error().message()));
        if (QLineEdit* box = box_of(status.error())) {
            box->setFocus();
            box->selectAll();
        }
        return false;
    }
    return true;
}

void fee_compare::z_set_combo()
{
    Combo1->clear();
    for (int i = 0; i <= table_.com_last(); ++i)
        Combo1->addItem(decode_cp932(table_.com_name(i)));
    Combo1->setCurrentIndex(-1);
    combo_shown_ = -1;
}

void fee_compare::Combo1_Click(int index)
{
    if (index < 0)
        return;
    if (!z_save_data()) {
        // The editor still shows the previous broker; so does the list.
        Combo1->setCurrentIndex(combo_shown_);
        return;
    }
    now_com_ = static_cast<std::uint8_t>(index);
    combo_shown_ = index;
    z_load_data();
}

void fee_compare::key_add_com_Click()
{
    if (table_.com_last() >= kEditorLastRow)
        return;
    if (!z_save_data())
        return;

    for (;;) {
        const QString name = QInputDialog::getText(this, QStringLiteral("証券会社名を入れて下さい"),
                                                   QStringLiteral("例:**証券"), QLineEdit::Normal, QString());
        if (name.isEmpty())
            return;
        auto bytes = encode_typed_name(name);
        if (!bytes) {
            // Nothing is added; the user may type the name again.
            show_error(qt(bytes.error().message));
            continue;
        }
        const auto last = static_cast<std::uint8_t>(table_.com_last() + 1);
        table_.set_com_last(last);
        now_com_ = last;
        table_.com_name(last) = std::move(bytes).value();
        z_set_combo();
        set_editor_texts(standard_schedule_texts());
        return;
    }
}

void fee_compare::key_cal_Click()
{
    if (!z_save_data())
        return;
    run_questionnaire(table_);
}

void fee_compare::key_suspend_Click()
{
    if (!z_save_data() || !z_write_file())
        return;
    // Already written: the close below need not write the same content again.
    written_for_exit_ = true;
    if (!close())
        written_for_exit_ = false;
}

void fee_compare::closeEvent(QCloseEvent* event)
{
    if (written_for_exit_) {
        event->accept();
        return;
    }
    if (!z_save_data() || !z_write_file()) {
        event->ignore();
        return;
    }
    event->accept();
}

void fee_compare::explain_Click()
{
    // Whether the desktop manages to open it is not our concern; a failure
    // shows nothing of the program's own.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(kHelpFile)));
}

void fee_compare::k_version_Click()
{
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("バージョン情報"));
    box.setText(QStringLiteral("1999/DEC/20 ver 1.20"));
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void fee_compare::set_editor_texts(const EditorTexts& e)
{
    for (int j = 0; j < kBoundedBrackets; ++j)
        l_kubun[j]->setText(qt(e.kubun[j]));
    for (int j = 0; j < 6; ++j) {
        l_wariai[j]->setText(qt(e.wariai[j]));
        l_add[j]->setText(qt(e.add[j]));
    }
    l_fix->setText(qt(e.fix));
    l_mini->setText(qt(e.mini));
    l_max->setText(qt(e.max));
}

EditorTexts fee_compare::editor_texts() const
{
    EditorTexts e;
    for (int j = 0; j < kBoundedBrackets; ++j)
        e.kubun[j] = l_kubun[j]->text().toStdString();
    for (int j = 0; j < 6; ++j) {
        e.wariai[j] = l_wariai[j]->text().toStdString();
        e.add[j] = l_add[j]->text().toStdString();
    }
    e.fix = l_fix->text().toStdString();
    e.max = l_max->text().toStdString();
    e.mini = l_mini->text().toStdString();
    return e;
}

QLineEdit* fee_compare::box_of(const BoxError& error) const
{
    switch (error.box) {
    case EditorBox::Kubun:
        return l_kubun.at(error.index);
    case EditorBox::Wariai:
        return l_wariai.at(error.index);
    case EditorBox::Add:
        return l_add.at(error.index);
    case EditorBox::Fix:
        return l_fix;
    case EditorBox::Max:
        return l_max;
    case EditorBox::Mini:
        return l_mini;
    }
    return nullptr;
}

void fee_compare::show_error(const QString& text)
{
    QMessageBox box(this);
    box.setWindowTitle(kCaption);
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace fee
