#include "gui/windows/cost_switch.h"

namespace fee::ui {

cost_switch::cost_switch()
    : QuestionWindow("cost_switch", QStringLiteral("投資の金額はどのぐらいでしょうか"),
                     {"key_low", QStringLiteral("低額(&L)")}, {"key_high", QStringLiteral("高額(&H)")})
{
}

} // namespace fee::ui
