#include "gui/chart/chart_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace fee::ui {

QString chart_module_file()
{
    return QStringLiteral("libfee_chart.so");
}

QStringList chart_module_folders()
{
    QStringList folders;
    if (const QString given = qEnvironmentVariable("FEE_MODULE_DIR"); !given.isEmpty())
        folders << given;
    const QString program = QCoreApplication::applicationDirPath();
    folders << program << QDir::cleanPath(QDir(program).filePath(QStringLiteral(FEE_MODULE_DIR_FROM_BIN)));
    return folders;
}

ChartModule* load_chart_module(QString& why)
{
    for (const QString& folder : chart_module_folders()) {
        const QString path = QDir(folder).filePath(chart_module_file());
        if (!QFileInfo(path).isFile())
            continue;
        QPluginLoader loader(path);
        if (auto* module = qobject_cast<ChartModule*>(loader.instance()))
            return module;
        why = QStringLiteral("%1 を読み込めません（%2）").arg(path, loader.errorString());
        return nullptr;
    }
    why = QStringLiteral("%1 が次のフォルダーにありません: %2")
              .arg(chart_module_file(), chart_module_folders().join(QStringLiteral("、")));
    return nullptr;
}

} // namespace fee::ui
