#include "gui/ui_font.h"

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

} // namespace

QString apply_ui_font(QApplication& app)
{
    const QStringList installed = QFontDatabase::families();
    QString family;
    for (const QString& f : preferred_families()) {
        if (installed.contains(f, Qt::CaseInsensitive)) {
            family = f;
            break;
        }
    }
    if (family.isEmpty()) {
        // Any font that has Japanese glyphs beats a Latin font with fallbacks.
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        if (!japanese.isEmpty())
            family = japanese.first();
    }
    QFont font = app.font();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPointSize(9);
    app.setFont(font);
    return family;
}

QFont proportional_gothic(int points)
{
    return QFont(preferred_families(), points);
}

QFont number_box_font()
{
    QFont font(QStringList{QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic"),
                           QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    font.setPointSize(9);
    return font;
}

} // namespace fee::ui
