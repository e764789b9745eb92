#include "cli/commands/command.h"
#include "cli/commands/common.h"

namespace fee {
namespace {

int run(const Options& o, std::ostream&, std::ostream& err)
{
    return rewrite(o, err, [](BrokerTable&) { return Status<>(done()); });
}

} // namespace

namespace commands {
extern const Command normalize{
    .name = "normalize",
    .help = "読み込んで書き直します (プログラムを開いて何も変えずに閉じたときと同じ内容)。\n"
            "数値は一般形式 (2000, 0.0115) になり、余分な行は消えます。",
    .run = run,
};
} // namespace commands

} // namespace fee
