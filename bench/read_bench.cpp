// Reading files that are not compare.dat at all. The reader refuses them at the
// first line over its limit, so these figures must stay the same however large
// the files grow; a rise with the size means a line is read to its end again.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "core/datafile/data_file.h"
#include "core/fees/broker_table.h"

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// `megabytes` of `pattern` repeated, made once per run.
QString make_file(const char* name, const std::string& start, const std::string& pattern, int megabytes)
{
    const QString path = folder().filePath(QString::fromLatin1(name));
    if (QFile::exists(path))
        return path;
    std::string block;
    while (block.size() < (1u << 20))
        block += pattern;
    block.resize(1u << 20);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    f.write(start.data(), static_cast<qint64>(start.size()));
    for (int i = 0; i < megabytes; ++i)
        f.write(block.data(), static_cast<qint64>(block.size()));
    return path;
}

void refuse(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        fee::BrokerTable table;
        const auto read = fee::read_data_file(path, table);
        if (read.ok()) {
            state.SkipWithError("the file loaded");
            return;
        }
        benchmark::DoNotOptimize(read.error().message.data());
    }
}

void NoLineBreak50MB(benchmark::State& state)
{
    refuse(state, make_file("text.dat", "", "no line break ", 50));
}

void Nuls200MB(benchmark::State& state)
{
    refuse(state, make_file("nuls.dat", "", std::string(1, '\0'), 200));
}

// Past a good count line the junk is a name: refused after 64 KiB, not 50 MB.
void NameWithoutLineBreak50MB(benchmark::State& state)
{
    refuse(state, make_file("name.dat", "0\r\n", "no line break ", 50));
}

} // namespace

BENCHMARK(NoLineBreak50MB);
BENCHMARK(Nuls200MB);
BENCHMARK(NameWithoutLineBreak50MB);
