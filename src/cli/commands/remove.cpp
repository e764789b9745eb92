#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/editing/broker_list.h"

namespace fee {
namespace {

constexpr std::string_view kOperands[] = {"ROW"};

int run(const Options& o, std::ostream&, std::ostream& err)
{
    return rewrite(o, err,
                   [&o](BrokerTable& table) { return remove_broker(table, *whole_number(o.operands[0])); });
}

} // namespace

namespace commands {
extern const Command remove{
    .name = "remove",
    .operands = kOperands,
    .help = "番号 ROW の証券会社を一覧から削除します。後の会社が 1 つずつ前に詰まります。\n"
            "最後の 1 社は削除できません。",
    .run = run,
};
} // namespace commands

} // namespace fee
