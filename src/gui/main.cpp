#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "main_window/run_fee_compare.h"
#include "main_window/ui_font.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    fee::ui::apply_ui_font(app);
    // Qt's own dialog buttons ("キャンセル") in Japanese, like every caption of ours.
    QTranslator qt_japanese;
    if (qt_japanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qt_japanese);
    return fee::run_fee_compare(app);
}
