#include "core/document/data_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "core/datafile/daily_plans_file.h"

namespace fee {
namespace {

bool is_inside(const QString& path, const QString& folder)
{
    const QString clean = QDir::cleanPath(path);
    const QString root = QDir::cleanPath(folder);
    return clean == root || clean.startsWith(root + QLatin1Char('/'));
}

} // namespace

QString shared_data_dir(const QString& program_dir)
{
    if (program_dir.isEmpty())
        return {};
    const QString installed =
        QDir::cleanPath(QDir(program_dir).filePath(QStringLiteral(FEE_SHARED_DIR_FROM_BIN)));
    if (QFileInfo(installed).isDir())
        return installed;
    // Only a program of this very build tree may fall back on the sources; an
    // installed copy that lost its share folder must not pick up stray files.
    if (is_inside(program_dir, QStringLiteral(FEE_BUILD_DIR)) &&
        QFileInfo(QStringLiteral(FEE_SOURCE_DATA_DIR)).isDir())
        return QStringLiteral(FEE_SOURCE_DATA_DIR);
    return {};
}

QString resolved_data_path(const QString& path)
{
    const QFileInfo given(path);
    const QString real = given.canonicalFilePath();
    return real.isEmpty() ? given.absoluteFilePath() : real;
}

QString user_data_dir()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .absoluteFilePath(QStringLiteral("fee-compare"));
}

Outcome<QString> prepare_user_data_file(const QString& user_dir, const QString& shared_dir)
{
    const QString file = QDir(user_dir).absoluteFilePath(QString::fromLatin1(kDataFileName));
    const QFileInfo existing(file);
    if (existing.exists() || existing.isSymLink())
        return file;
    if (shared_dir.isEmpty())
        return file;
    const QString sample = QDir(shared_dir).absoluteFilePath(QString::fromLatin1(kDataFileName));
    if (!QFileInfo(sample).isFile())
        return file;

    if (!QDir().mkpath(user_dir))
        return Error{user_dir.toStdString() + " を作れませんでした。"};
    QFile source(sample);
    if (!source.copy(file))
        return Error{sample.toStdString() + " を " + file.toStdString() +
                     " にコピーできませんでした: " + source.errorString().toStdString()};
    // The copy takes the sample's permissions; an installed sample may be
    // read-only, and the user's file must take the save at close.
    QFile::setPermissions(file, QFile::permissions(file) | QFile::ReadOwner | QFile::WriteOwner);
    // The sample's daily plans come along, on the first start only, as the table does.
    const QString plans = QDir(user_dir).absoluteFilePath(QString::fromLatin1(kDailyPlansFileName));
    const QString sample_plans = QDir(shared_dir).absoluteFilePath(QString::fromLatin1(kDailyPlansFileName));
    if (QFileInfo(sample_plans).isFile() && !QFileInfo(plans).exists() && !QFileInfo(plans).isSymLink() &&
        QFile::copy(sample_plans, plans))
        QFile::setPermissions(plans, QFile::permissions(plans) | QFile::ReadOwner | QFile::WriteOwner);
    return file;
}

QStringList help_folders(const DataLocation& where)
{
    QStringList folders{QFileInfo(where.data_file).absolutePath()};
    if (!where.shared_dir.isEmpty())
        folders << where.shared_dir;
    return folders;
}

QString find_help_file(const DataLocation& where)
{
    for (const QString& folder : help_folders(where)) {
        const QString candidate = QDir(folder).absoluteFilePath(QString::fromLatin1(kHelpFileName));
        // Beside compare.dat anyone sharing the folder may have put it: a
        // link there is not followed.
        if (const QFileInfo info(candidate); info.isFile() && !info.isSymLink())
            return candidate;
    }
    return {};
}

Outcome<DataLocation> locate_data(DataFolder folder)
{
    DataLocation where;
    where.shared_dir = shared_data_dir(QCoreApplication::applicationDirPath());
    if (folder == DataFolder::Current) {
        // The full name, so that a message about a missing file says where it
        // was looked for.
        where.data_file = QDir::current().absoluteFilePath(QString::fromLatin1(kDataFileName));
        return where;
    }
    auto file = prepare_user_data_file(user_data_dir(), where.shared_dir);
    if (!file)
        return file.error();
    where.data_file = std::move(file).value();
    return where;
}

} // namespace fee
