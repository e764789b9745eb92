#include <QString>

#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/editing/broker_list.h"

namespace fee {
namespace {

constexpr std::string_view kOperands[] = {"ROW", "NAME"};

int run(const Options& o, std::ostream&, std::ostream& err)
{
    return rewrite(o, err, [&o](BrokerTable& table) -> Status<> {
        const auto name = encode_broker_name(QString::fromStdString(o.operands[1]));
        if (!name)
            return name.error();
        return rename_broker(table, *whole_number(o.operands[0]), name.value());
    });
}

} // namespace

namespace commands {
extern const Command rename{
    .name = "rename",
    .operands = kOperands,
    .help = "番号 ROW の証券会社の名前を NAME にします。",
    .run = run,
};
} // namespace commands

} // namespace fee
