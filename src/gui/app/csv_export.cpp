#include "gui/app/csv_export.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/analysis/ranking_export.h"

namespace fee::ui {
namespace {

// The folder of the last ranking saved while the program runs.
QString& last_csv_folder()
{
    static QString folder;
    return folder;
}

QString with_suffix(const QString& chosen)
{
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".csv") : chosen;
}

} // namespace

std::optional<QString> export_csv(Prompter& prompter, const QString& suggested_name,
                                  const Prompter::SaveRefusal& refusal, const QByteArray& bytes)
{
    const QString folder =
        start_folder({last_csv_folder(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                      QDir::homePath()});
    const auto chosen = prompter.ask_save_path(
        QStringLiteral("CSVで保存"), QDir(folder).filePath(suggested_name), QStringLiteral("CSV (*.csv)"),
        [&refusal](const QString& path) { return refusal ? refusal(with_suffix(path)) : QString(); });
    if (!chosen)
        return std::nullopt;
    const QString path = with_suffix(*chosen);
    if (const auto saved = save_ranking(path, bytes); !saved) {
        prompter.inform(QString::fromStdString(saved.error().message));
        return std::nullopt;
    }
    last_csv_folder() = QFileInfo(path).absolutePath();
    return path;
}

} // namespace fee::ui
