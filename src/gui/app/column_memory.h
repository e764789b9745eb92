#pragma once

#include <QStringList>
#include <vector>

#include "gui/app/history_reading.h"

namespace fee {

// The columns a user chose in the window for a trade history's header, kept in
// the user's settings (QSettings) for the next file with the same header. The
// only thing the replay writes anywhere.
class ColumnMemory {
public:
    RememberedColumns all() const;
    // Remembers `columns` for the header; no columns forget it.
    void remember(const QStringList& header_cells, const std::vector<ColumnChoice>& columns);
};

} // namespace fee
