#include "cli/commands/command.h"
#include "cli/commands/common.h"

namespace fee {
namespace {

int run(const Options& o, std::ostream& out, std::ostream& err)
{
    const auto table = read_table(o, err);
    if (!table)
        return 1;
    out << o.data() << ": " << table->broker_count() << " 社、正しく読み込めました。\n";
    return 0;
}

} // namespace

namespace commands {
extern const Command check{
    .name = "check",
    .help = "データファイルを読み込み、正しければ終了コード 0 で終わります。",
    .run = run,
};
} // namespace commands

} // namespace fee
