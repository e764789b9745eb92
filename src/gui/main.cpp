#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "core/version.h"
#include "gui/app/application.h"
#include "gui/app/input_guard.h"
#include "gui/layout/ui_font.h"

namespace {

// The name of the desktop entry, the icon and the AppStream component alike.
const QString kApplicationId = QStringLiteral("io.github.feecompare.FeeCompare");

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fee-compare"));
    QCoreApplication::setOrganizationName(QStringLiteral("feecompare"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("feecompare.github.io"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(fee::kVersion));
    QGuiApplication::setDesktopFileName(kApplicationId);
    QApplication::setWindowIcon(QIcon::fromTheme(kApplicationId));
    fee::ui::apply_ui_font(app);
    fee::ui::InputGuard::install();
    // Qt's own dialog buttons ("キャンセル") in Japanese, like every caption of ours.
    QTranslator qt_japanese;
    if (qt_japanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qt_japanese);

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("証券会社の手数料を 1 年間の売買で比べます。"));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption user_data(
        QStringLiteral("user-data"),
        QStringLiteral("カレントディレクトリではなく、利用者のデータフォルダ "
                       "($XDG_DATA_HOME/fee-compare、既定は ~/.local/share/fee-compare) の compare.dat "
                       "を使います。初回はインストールされた見本をコピーします。"));
    options.addOption(user_data);
    options.process(app);

    return fee::run_fee_compare(app, options.isSet(user_data) ? fee::DataFolder::PerUser
                                                              : fee::DataFolder::Current);
}
