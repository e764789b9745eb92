#include "gui/app/column_memory.h"

#include <QCryptographicHash>
#include <QSettings>

namespace fee {

namespace {

// A header may hold any character, a settings key not every one: the key is
// the header's digest, and the header itself is kept beside the choices.
const QString kGroup = QStringLiteral("history_columns");

QString group_of(const QString& key)
{
    return kGroup + u'/' +
           QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex());
}

} // namespace

RememberedColumns ColumnMemory::all() const
{
    RememberedColumns remembered;
    QSettings settings;
    settings.beginGroup(kGroup);
    for (const QString& digest : settings.childGroups()) {
        settings.beginGroup(digest);
        const QString header = settings.value(QStringLiteral("header")).toString();
        std::vector<ColumnChoice> columns;
        for (const QString& choice : settings.value(QStringLiteral("columns")).toStringList())
            if (const auto read = column_choice_from(choice))
                columns.push_back(*read);
        settings.endGroup();
        if (!header.isEmpty() && !columns.empty())
            remembered[header] = std::move(columns);
    }
    return remembered;
}

void ColumnMemory::remember(const QStringList& header_cells, const std::vector<ColumnChoice>& columns)
{
    const QString key = header_key(header_cells);
    QSettings settings;
    settings.remove(group_of(key));
    if (columns.empty())
        return;
    settings.beginGroup(group_of(key));
    QStringList choices;
    for (const ColumnChoice& c : columns)
        choices << column_choice_text(c);
    settings.setValue(QStringLiteral("header"), key);
    settings.setValue(QStringLiteral("columns"), choices);
}

} // namespace fee
