#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/editing/broker_list.h"

namespace fee {
namespace {

constexpr std::string_view kOperands[] = {"ROW", "TO"};

int run(const Options& o, std::ostream&, std::ostream& err)
{
    return rewrite(o, err, [&o](BrokerTable& table) {
        return move_broker(table, *whole_number(o.operands[0]), *whole_number(o.operands[1]));
    });
}

} // namespace

namespace commands {
extern const Command move{
    .name = "move",
    .operands = kOperands,
    .help = "番号 ROW の証券会社を番号 TO の位置に動かします。間の会社は 1 つずつずれます\n"
            "(プログラムの「上へ」「下へ」を繰り返したのと同じです)。",
    .run = run,
};
} // namespace commands

} // namespace fee
