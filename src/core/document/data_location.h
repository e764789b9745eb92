#pragma once

#include <QString>
#include <QStringList>

#include "core/datafile/data_file.h"
#include "core/outcome.h"

namespace fee {

inline constexpr const char* kHelpFileName = "ryoban_h.hlp";

// Which compare.dat a run works on.
enum class DataFolder {
    Current, // started from a terminal: compare.dat in the current folder
    PerUser, // started from the menu (--user-data): the user's own data folder
};

// The files of one run.
struct DataLocation {
    // The compare.dat read at start and written at close.
    QString data_file = QString::fromLatin1(kDataFileName);
    // The folder with the installed sample and help; empty when there is none.
    QString shared_dir;
};

// share/fee-compare of the installation the program in `program_dir` belongs
// to; for a program run from its build tree, the source data folder. Empty when
// neither exists.
QString shared_data_dir(const QString& program_dir);

// The data file `path` names, its links resolved; for a missing file, the
// path made absolute (reading it then says that it is missing).
QString resolved_data_path(const QString& path);

// $XDG_DATA_HOME/fee-compare, by default ~/.local/share/fee-compare.
QString user_data_dir();

// compare.dat in `user_dir`, an absolute path. When there is none yet, the
// folder is made and the sample from `shared_dir` copied into it, writable by
// the user. Whatever already has that name is never replaced. Without a sample
// nothing is made: reading the returned path then fails with its full name.
Outcome<QString> prepare_user_data_file(const QString& user_dir, const QString& shared_dir);

// The folders the help file is looked for in, in order: the data file's,
// then the installed folder.
QStringList help_folders(const DataLocation& where);

// The help file beside the data file, else the installed one; empty when
// neither exists.
QString find_help_file(const DataLocation& where);

// The files of this run: compare.dat in the current folder or the user's data
// folder (prepared as above), and the installed folder of this program.
Outcome<DataLocation> locate_data(DataFolder folder);

} // namespace fee
