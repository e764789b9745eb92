#include "gui/layout/form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {
namespace {

QLineEdit* number_box(QWidget* parent, Qt::Alignment align, bool number_font)
{
    auto* box = new QLineEdit(parent);
    box->setAlignment(align | Qt::AlignVCenter);
    if (number_font) {
        box->setFont(number_box_font());
        // The yen sign is full width in this font: without trimming the inner
        // margin, "¥10,000,000" would scroll out of its box.
        if (align & Qt::AlignRight)
            box->setTextMargins(-3, 0, -2, 0);
    }
    // Numbers only: typing goes straight into the box, never through an IME.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

QWidget* make(ControlKind kind, const QString& caption, QWidget* parent)
{
    switch (kind) {
    case ControlKind::Label:
        return new QLabel(caption, parent);
    case ControlKind::Group:
        return new QGroupBox(caption, parent);
    case ControlKind::List: {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        return list;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlKind::Answer:
        return new QPushButton(caption, parent);
    case ControlKind::AmountBox:
        return number_box(parent, Qt::AlignRight, true);
    case ControlKind::RateBox:
        return number_box(parent, Qt::AlignLeft, true);
    case ControlKind::PlanBox:
        return number_box(parent, Qt::AlignRight, false);
    case ControlKind::Grid:
        return new QTableWidget(parent);
    }
    return nullptr;
}

void set_caption(QWidget& w, const QString& caption)
{
    if (auto* group = qobject_cast<QGroupBox*>(&w))
        group->setTitle(caption);
    else if (auto* label = qobject_cast<QLabel*>(&w))
        label->setText(caption);
    else if (auto* button = qobject_cast<QPushButton*>(&w))
        button->setText(caption);
}

} // namespace

Form::Form(QWidget& client, std::span<const ControlSpec> design,
           std::initializer_list<std::pair<const char*, QWidget*>> own)
{
    for (const ControlSpec& spec : design) {
        QWidget* parent = spec.parent ? find(spec.parent) : &client;
        for (int row = 0; row < spec.count; ++row) {
            const QString name = spec.count > 1 ? indexed(spec.name, row) : QString::fromLatin1(spec.name);
            QWidget* w = nullptr;
            for (const auto& [own_name, widget] : own)
                if (name == QLatin1String(own_name))
                    w = widget;
            if (w) {
                w->setParent(parent);
                set_caption(*w, spec.caption);
            } else {
                w = make(spec.kind, spec.caption, parent);
            }
            w->setObjectName(name);
            if (!spec.tooltip.isEmpty())
                w->setToolTip(spec.tooltip);
            if (!spec.accessible_name.isEmpty())
                w->setAccessibleName(spec.count > 1 ? spec.accessible_name.arg(row + 1)
                                                    : spec.accessible_name);
            place(*w, {spec.rect.left, spec.rect.top + row * spec.step, spec.rect.width, spec.rect.height});
            made_.insert(name, w);
        }
    }
}

QWidget* Form::find(const char* name, int row) const
{
    return made_.value(row < 0 ? QString::fromLatin1(name) : indexed(name, row));
}

QString indexed(const char* name, int i)
{
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i);
}

void place(QWidget& w, const Twips& rect)
{
    place(&w, rect.left, rect.top, rect.width, rect.height);
}

} // namespace fee::ui
