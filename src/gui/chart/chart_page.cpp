#include "gui/chart/chart_page.h"

#include <QLabel>
#include <QVBoxLayout>

namespace fee::ui {

ChartPage::ChartPage(const Participants& table, const QString& chart_name, const QString& what,
                     const QString& list_name, const QStringList& headers)
    : table_(table), chart_(table, chart_name, what),
      cheapest_(table, what + QStringLiteral("_cheapest"), list_name, headers)
{
}

void ChartPage::lay_out(const QString& name, const QList<QWidget*>& top, const QString& caption)
{
    setAccessibleName(name);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : top)
        layout->addWidget(w);
    layout->addWidget(&chart_, 3);
    auto* label = new QLabel(caption);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(&cheapest_, 1);
}

} // namespace fee::ui
