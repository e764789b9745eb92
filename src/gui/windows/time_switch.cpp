#include "gui/windows/time_switch.h"

namespace fee::ui {

time_switch::time_switch()
    : QuestionWindow("time_switch", QStringLiteral("売買の回数はどのぐらいでしょうか"),
                     {"key_few", QStringLiteral("たまに(&J)")}, {"key_many", QStringLiteral("頻繁(&I)")})
{
}

} // namespace fee::ui
