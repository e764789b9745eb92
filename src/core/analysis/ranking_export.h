#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/fees/commission.h"
#include "core/outcome.h"

class QIODevice;

namespace fee {

class Participants;
struct ReplayCost;

// The result grid's ranking for a spreadsheet: a header, then one line per
// broker in `order` (table rows, as the grid shows them) with its name (as a
// spreadsheet shows text, see spreadsheet_text), the yen the grid shows and
// the exact cost, three columns.

// Tab-separated, lines ended by LF, for the clipboard.
QString ranking_tsv(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order);

// Comma-separated in UTF-8 with a byte-order mark and CR LF, which is what a
// spreadsheet needs to open Japanese names correctly.
QByteArray ranking_csv(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order);

// A replay's ranking, cheapest first, the same two ways: place, name, the yen
// the window shows, then the exact total, commission, yearly fees and what it
// costs over the cheapest.
QString replay_ranking_tsv(const Participants& table, const std::vector<ReplayCost>& costs);
QByteArray replay_ranking_csv(const Participants& table, const std::vector<ReplayCost>& costs);

// Writes the bytes to an open device; a short or failed write is an error.
Status<> write_ranking(QIODevice& device, const QByteArray& bytes);

// Replaces the file atomically: all of it is written, or the file is left as
// it was (and none is created) and the error says why.
Status<> save_ranking(const QString& path, const QByteArray& bytes);

} // namespace fee
