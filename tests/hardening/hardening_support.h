#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string>

#include "core/fees/broker_table.h"
#include "core/money/number_text.h"

namespace fee::hardening {

inline std::string read_bytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

inline void write_bytes(const QString& path, const std::string& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Every entry of a folder but the data file: what a save may have left behind.
inline QStringList other_entries(const QString& dir, const QString& keep = QStringLiteral("compare.dat"))
{
    QStringList names =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll(keep);
    return names;
}

// Every element the data file holds.
inline bool same_saved_elements(const BrokerTable& a, const BrokerTable& b)
{
    if (a.last_broker() != b.last_broker())
        return false;
    for (int r = 0; r <= a.last_broker(); ++r)
        if (a.broker(r) != b.broker(r))
            return false;
    return true;
}

// A table of `brokers` rows, every row different so that a shifted line shows.
inline BrokerTable numbered_table(int brokers, const std::string& name_prefix)
{
    BrokerTable t;
    t.set_last_broker(static_cast<std::uint8_t>(brokers - 1));
    for (int r = 0; r < brokers; ++r) {
        t.broker(r).name = name_prefix + std::to_string(r);
        t.broker(r).yearly_fee = *Money::from_yen(2'000 + r);
        t.broker(r).maximum = *Money::from_yen(r % 2 ? 100'000 : 0);
        t.broker(r).minimum = Money::from_units(r * 12'345);
        const std::int64_t bounds[5] = {1'000'000, 5'000'000, 10'000'000, 30'000'000, 50'000'000};
        const float rates[6] = {0.0115f, 0.009f, 0.007f, 0.00575f, 0.00375f, 0.0f};
        for (int j = 0; j <= kTopBracket; ++j) {
            if (j < kBoundedBrackets)
                t.broker(r).brackets.at(j).upper_bound = *Money::from_yen(bounds[j] + r);
            // A rate as it reads back from its text, so that tables compare exactly after a load.
            t.broker(r).brackets.at(j).rate =
                parse_single(general_form(rates[j] + static_cast<float>(r) * 0.0001f)).value();
            t.broker(r).brackets.at(j).add_on = *Money::from_yen(j * 2'500 + r);
        }
    }
    return t;
}

} // namespace fee::hardening
