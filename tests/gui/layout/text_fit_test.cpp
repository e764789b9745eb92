// Every caption of every window reads whole in the Japanese font at hand. CTest
// runs this twice: with the fonts of the machine, and with FEE_HIDE_IPA_FONTS
// set, which hides the IPA fonts from fontconfig as on a desktop that only has
// Noto Sans CJK JP. With FEE_SCREENSHOT_DIR set, each window is saved there as
// <window>_<font>.png.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

#include "core/fees/broker_table.h"
#include "core/fees/commission.h"
#include "core/fees/preset_plans.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui/windows/result_window.h"
#include "gui/windows/style_questions.h"
#include "gui/windows/trade_plan_window.h"
#include "gui_support.h"

using fee::ui::kMinimumTextPoints;

namespace {

constexpr const char* kHideIpa = "FEE_HIDE_IPA_FONTS";

// The system's configuration less every IPA family; set before the first font
// is looked up, as fontconfig reads it only once.
void hide_ipa_fonts()
{
    static QTemporaryDir folder;
    QString rejects;
    for (const char* family :
         {"IPAGothic", "IPAPGothic", "IPAexGothic", "IPAMincho", "IPAPMincho", "IPAexMincho"})
        rejects += QStringLiteral("<pattern><patelt name=\"family\"><string>%1</string></patelt></pattern>")
                       .arg(QLatin1String(family));
    const QString path = folder.filePath(QStringLiteral("fonts.conf"));
    QFile conf(path);
    if (!conf.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    conf.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                              "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                              "<selectfont><rejectfont>%1</rejectfont></selectfont>\n</fontconfig>\n")
                   .arg(rejects)
                   .toUtf8());
    qputenv("FONTCONFIG_FILE", QFile::encodeName(path));
}

// What the control shows: the title or caption, an access key's "&" dropped.
QString shown_text(const QWidget& control)
{
    QString text;
    bool mnemonic = true;
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        text = label->text();
        mnemonic = label->buddy() != nullptr;
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        text = button->text();
    } else if (const auto* box = qobject_cast<const QGroupBox*>(&control)) {
        text = box->title();
    }
    if (mnemonic)
        text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
    return text;
}

// The rectangle the style draws a button's label in, which the room given to
// the text must not exceed.
int drawn_button_width(const QPushButton& button)
{
    QStyleOptionButton opt;
    opt.initFrom(&button);
    if (button.autoDefault())
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &opt, &button).width();
}

struct Walk {
    QStringList overruns; // captions cut off or too small
    QStringList shrunk;   // captions given a smaller font than their window's
};

Walk walk(const QWidget& window)
{
    Walk result;
    const qreal window_points = window.font().pointSizeF();
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control->window() != &window)
            continue;
        // A number box shows its whole text, smaller only where it must be;
        // where even the smallest cannot (Qt's frames grow twice as much as
        // the font with the Ceil policy), its tooltip shows it.
        const qreal box_points = control->font().pointSizeF();
        const bool told = box_points == kMinimumTextPoints &&
                          control->toolTip().endsWith(qobject_cast<const QLineEdit*>(control)
                                                          ? qobject_cast<const QLineEdit*>(control)->text()
                                                          : QString());
        if (qobject_cast<const QLineEdit*>(control) && !told &&
            (fee::ui::text_width(*control) > fee::ui::text_room(*control) || box_points < kMinimumTextPoints))
            result.overruns
                << QStringLiteral("number box %1 at %2 pt").arg(control->objectName()).arg(box_points);
        const QString text = shown_text(*control);
        if (text.isEmpty())
            continue;
        const int width = control->fontMetrics().horizontalAdvance(text);
        int room = fee::ui::text_room(*control);
        if (const auto* button = qobject_cast<const QPushButton*>(control))
            room = std::min(room, drawn_button_width(*button));
        const qreal points = control->font().pointSizeF();
        if (width > room || points < kMinimumTextPoints)
            result.overruns << QStringLiteral("%1 \"%2\": %3 px in %4 px at %5 pt")
                                   .arg(window.objectName(), text)
                                   .arg(width)
                                   .arg(room)
                                   .arg(points);
        if (points < window_points)
            result.shrunk << text;
    }
    return result;
}

QString font_tag()
{
    const QString family = QFontInfo(QApplication::font()).family();
    return family.startsWith(QLatin1String("IPA")) ? QStringLiteral("ipa")
                                                   : family.section(u' ', 0, 0).toLower();
}

void maybe_save(QWidget& window)
{
    const QString dir = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(window.grab().save(QDir(dir).filePath(window.objectName() + u'_' + font_tag() + ".png")));
}

} // namespace

class TextFitTest : public QObject {
    Q_OBJECT

public:
    static void initMain()
    {
        if (qEnvironmentVariableIsSet(kHideIpa))
            hide_ipa_fonts();
    }

private:
    fee::test::ProgramFixture program_;
    QString family_;

    fee::ui::MainWindow& start_program()
    {
        QFile sample(QStringLiteral(FEE_SAMPLE_DATA));
        if (!sample.open(QIODevice::ReadOnly))
            qFatal("no sample data");
        // The first broker's first rate with seven significant digits, the
        // longest a rate box is filled with.
        fee::test::write_data_file_bytes(sample.readAll().replace("\r\n0.0115\r\n", "\r\n0.0009923\r\n"));
        if (!program_.start())
            qFatal("the main window did not start");
        return program_.window();
    }

private slots:
    void initTestCase()
    {
        fee::test::install_message_filter();
        family_ = fee::ui::apply_ui_font(*qApp);
        if (qEnvironmentVariableIsSet(kHideIpa))
            QCOMPARE(family_, QStringLiteral("Noto Sans CJK JP"));
    }

    void init() { QVERIFY(program_.set_up()); }
    void cleanup() { program_.tear_down(); }

    void every_caption_of_every_window_fits();
    void fits_again_when_the_font_changes();
    void a_group_box_title_shrinks_alone();
};

void TextFitTest::every_caption_of_every_window_fits()
{
    fee::ui::MainWindow& main_window = start_program();
    const fee::BrokerTable& table = program_.table();
    fee::ui::AmountQuestion amount;
    fee::ui::FrequencyQuestion frequency;
    fee::ui::TradePlanWindow plan_window(program_.prompter());
    const fee::PlanTexts texts = fee::preset_plan(false, false).texts();
    plan_window.set_plan_texts(texts);
    const auto plan = fee::parse_plan(texts);
    QVERIFY(plan);
    const auto costs = fee::compute_yearly_costs(table, plan.value());
    QVERIFY(costs);
    fee::ui::ResultWindow ranking(table, costs.value(), program_.prompter());

    QStringList shrunk;
    for (QWidget* window :
         std::initializer_list<QWidget*>{&main_window, &amount, &frequency, &plan_window, &ranking}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(QFontInfo(window->font()).family(), family_);
        // The editor's number boxes take the fixed-pitch cut of the same Gothic.
        for (const QLineEdit* box :
             window == &main_window ? window->findChildren<QLineEdit*>() : QList<QLineEdit*>())
            QCOMPARE(QFontInfo(box->font()).family(), family_ == QStringLiteral("IPAPGothic")
                                                          ? QStringLiteral("IPAGothic")
                                                          : QStringLiteral("Noto Sans Mono CJK JP"));
        // Every box shows its whole text, whatever the font and its DPI.
        const Walk seen = walk(*window);
        QVERIFY2(seen.overruns.isEmpty(), qPrintable(seen.overruns.join(u'\n')));
        shrunk << seen.shrunk;
        maybe_save(*window);
    }
    // The layouts were drawn with the IPA Gothic: there every caption keeps the
    // window's font, so the windows look exactly as designed; except where Qt
    // rounds its scale up (Ceil) and draws the frames larger than the fonts.
    if (family_ == QStringLiteral("IPAPGothic") && qgetenv("QT_SCALE_FACTOR_ROUNDING_POLICY") != "Ceil")
        QCOMPARE(shrunk, QStringList());
    if (family_ == QStringLiteral("Noto Sans CJK JP")) {
        QVERIFY(shrunk.contains(QStringLiteral("１年間で、予想される株売買を記入して下さい")));
        QVERIFY(shrunk.contains(QStringLiteral("回ぐらいするでしょう")));
    }
}

// A larger font shrinks more captions; going back restores the fonts the
// window had, not the fitted ones.
void TextFitTest::fits_again_when_the_font_changes()
{
    fee::ui::MainWindow& main_window = start_program();
    fee::ui::TradePlanWindow plan_window(program_.prompter());
    const auto fonts = [](const QWidget& window) {
        QList<QFont> list;
        for (const QWidget* control : window.findChildren<QWidget*>())
            list << control->font();
        return list;
    };
    const QList<QFont> designed = fonts(plan_window);

    plan_window.setFont(fee::ui::proportional_gothic(11));
    QVERIFY2(walk(plan_window).overruns.isEmpty(), qPrintable(walk(plan_window).overruns.join(u'\n')));
    QVERIFY(fee::test::child<QLabel>(&plan_window, QStringLiteral("plan_heading"))->font().pointSizeF() < 11);
    // Where everything fits, every caption follows the window's font again.
    QFont small = fee::ui::proportional_gothic();
    small.setPointSizeF(7.5);
    plan_window.setFont(small);
    QCOMPARE(fonts(plan_window), QList<QFont>(designed.size(), small));
    plan_window.setFont(fee::ui::proportional_gothic(9));
    QCOMPARE(fonts(plan_window), designed);

    // The main window follows the application's font, as a desktop changes it.
    const QFont application = QApplication::font();
    const QList<QFont> main_designed = fonts(main_window);
    QFont larger = application;
    larger.setPointSize(11);
    QApplication::setFont(larger);
    QTRY_VERIFY(
        fee::test::child<QLabel>(&main_window, QStringLiteral("yearly_fee_label"))->font().pointSizeF() < 11);
    QVERIFY2(walk(main_window).overruns.isEmpty(), qPrintable(walk(main_window).overruns.join(u'\n')));
    QApplication::setFont(application);
    QTRY_COMPARE(fonts(main_window), main_designed);
}

void TextFitTest::a_group_box_title_shrinks_alone()
{
    QWidget window;
    window.setFont(fee::ui::proportional_gothic(9));
    QGroupBox box(QStringLiteral("株売買の手数料率"), &window);
    fee::ui::place(&box, 0, 0, 1350, 1200);
    QLabel inside(QStringLiteral("付加"), &box);
    fee::ui::place(&inside, 150, 450, 600, 255);
    QLineEdit number(&box);
    fee::ui::place(&number, 150, 750, 600, 300);
    fee::ui::fit_texts(window);

    const qreal title_points = box.font().pointSizeF();
    QVERIFY(title_points < 9 && title_points >= kMinimumTextPoints);
    QVERIFY(fee::ui::text_width(box) <= fee::ui::text_room(box));
    QCOMPARE(inside.font().pointSizeF(), 9.0);
    QCOMPARE(number.font().pointSizeF(), 9.0);

    // A refit starts from the window's fonts, not from the fitted ones.
    window.setFont(fee::ui::proportional_gothic(10));
    QVERIFY(box.font().pointSizeF() < 9);
    QCOMPARE(inside.font().pointSizeF(), 10.0);
    QCOMPARE(number.font().pointSizeF(), 10.0);
    window.setFont(fee::ui::proportional_gothic(9));
    QCOMPARE(box.font().pointSizeF(), title_points);
    QCOMPARE(inside.font().pointSizeF(), 9.0);
}

QTEST_MAIN(TextFitTest)
#include "text_fit_test.moc"
