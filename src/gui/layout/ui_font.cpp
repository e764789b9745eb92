#include "gui/layout/ui_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace fee::ui {
namespace {

// A proportional Gothic like the one the layouts were drawn with: with a
// full-width Gothic, "維持費(口座管理料など)" overruns its label.
const QStringList& preferred_families()
{
    static const QStringList families = {
        QStringLiteral("IPAPGothic"), QStringLiteral("MS UI Gothic"),     QStringLiteral("MS PGothic"),
        QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
    };
    return families;
}

// The first of `families` installed here, else any family with Japanese
// glyphs; empty when there is none. One family, not a list: for a list Qt asks
// fontconfig for the fallbacks of each family at once, a fifth of a start.
QString installed_family(const QStringList& families)
{
    static const QStringList installed = QFontDatabase::families();
    for (const QString& f : families)
        if (installed.contains(f, Qt::CaseInsensitive))
            return f;
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? QString() : japanese.first();
}

QFont font_of(const QString& family, int points)
{
    return QFont(family.isEmpty() ? QStringList() : QStringList{family}, points);
}

} // namespace

QString apply_ui_font(QApplication& app)
{
    const QString family = installed_family(preferred_families());
    QFont font = app.font();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPointSize(9);
    app.setFont(font);
    return family;
}

QFont proportional_gothic(int points)
{
    return font_of(installed_family(preferred_families()), points);
}

QFont number_box_font()
{
    return font_of(installed_family({QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic"),
                                     QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans Mono CJK JP")}),
                   9);
}

} // namespace fee::ui
