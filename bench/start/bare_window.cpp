// The yardstick for fee-compare's start: its main window as Qt alone builds
// it, with the same controls, geometry, texts and fonts, but nothing of ours
// (no data file, no core, no charts). What fee-compare takes beyond this at
// start is its own cost.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <array>

namespace {

constexpr int kRows = 6;

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(left / 15, top / 15, width / 15, height / 15); // twips
}

void label(QWidget* parent, const QString& text, int left, int top, int width)
{
    place(new QLabel(text, parent), left, top, width, 255);
}

QLineEdit* box(QWidget* parent, const QString& text, Qt::Alignment align, int left, int top, int width)
{
    auto* e = new QLineEdit(text, parent);
    e->setAlignment(align | Qt::AlignVCenter);
    e->setFont(QFont(QStringLiteral("IPAGothic"), 9));
    if (align & Qt::AlignRight)
        e->setTextMargins(-3, 0, -2, 0); // as the program's, for the full-width yen sign
    e->setCursorPosition(0);
    place(e, left, top, width, 270);
    return e;
}

void bracket_rows(QWidget* frame)
{
    const std::array<const char*, kRows> bounds = {"¥1,000,000",  "¥5,000,000",  "¥10,000,000",
                                                   "¥30,000,000", "¥50,000,000", "それ以上"};
    const std::array<const char*, kRows> rates = {"0.0115", "0.009", "0.007", "0.00575", "0.00375", "0"};
    const std::array<const char*, kRows> add_ons = {"¥0",      "¥2,500",  "¥12,500",
                                                    "¥25,000", "¥85,000", "¥272,500"};
    for (int i = 0; i < kRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const int top = 480 + 360 * i;
        QLineEdit* bound = box(frame, QString::fromUtf8(bounds[row]), Qt::AlignRight, 120, top, 1095);
        box(frame, QString::fromUtf8(rates[row]), Qt::AlignLeft, 1800, top, 735);
        box(frame, QString::fromUtf8(add_ons[row]), Qt::AlignRight, 2640, top, 855);
        if (i + 1 < kRows) {
            label(frame, QStringLiteral("以下"), 1320, 600 + 360 * i, 375);
            continue;
        }
        bound->setAlignment(Qt::AlignCenter);
        bound->setReadOnly(true);
        QPalette grey = bound->palette();
        grey.setColor(QPalette::Base, grey.color(QPalette::Button));
        bound->setPalette(grey);
    }
}

void editor(QWidget* frame)
{
    label(frame, QStringLiteral("約定代金"), 240, 240, 735);
    label(frame, QStringLiteral("手数料率"), 1800, 240, 735);
    label(frame, QStringLiteral("付加"), 2880, 240, 495);
    bracket_rows(frame);
    label(frame, QStringLiteral("下限"), 3840, 360, 375);
    box(frame, QStringLiteral("0"), Qt::AlignRight, 3600, 600, 855);
    label(frame, QStringLiteral("上限"), 3840, 1800, 495);
    box(frame, QStringLiteral("0"), Qt::AlignRight, 3600, 2040, 855);
}

QComboBox* client_area(QWidget* client)
{
    label(client, QStringLiteral("証券会社の選択"), 360, 120, 1455);
    auto* list = new QComboBox(client);
    list->addItems({QStringLiteral("さくら証券"), QStringLiteral("みなと証券"),
                    QStringLiteral("あおばネット証券"), QStringLiteral("ひかり証券"),
                    QStringLiteral("表参道証券"), QStringLiteral("やまびこ証券")});
    list->setCurrentIndex(-1);
    place(list, 120, 360, 2295, 300);
    label(client, QStringLiteral("維持費(口座管理料など)"), 2760, 120, 1935);
    box(client, QStringLiteral("2000"), Qt::AlignRight, 3360, 360, 855);
    auto* frame = new QGroupBox(QStringLiteral("株売買の手数料率"), client);
    place(frame, 120, 720, 4575, 2655);
    editor(frame);
    const std::array<const char*, 3> buttons = {"試算(&C)", "追加(&A)", "終了(&E)"};
    for (int i = 0; i < 3; ++i)
        place(new QPushButton(QString::fromUtf8(buttons[static_cast<std::size_t>(i)]), client),
              120 + 1560 * i, 3480, 1455, 375);
    return list;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QFont font = app.font();
    font.setFamilies({QStringLiteral("IPAPGothic")});
    font.setPointSize(9);
    app.setFont(font);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("リョーバン-手数料比較"));
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->addAction(QStringLiteral("目次(&E)"));
    help->addAction(QStringLiteral("バージョン(&V)"));
    auto* client = new QWidget(&window);
    client->setFixedSize(4755 / 15, 3915 / 15);
    window.setCentralWidget(client);
    QComboBox* list = client_area(client);
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    list->setFocus();
    window.show();
    return app.exec();
}
