#include "main_window/ui_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace fee::ui {

QString apply_ui_font(QApplication& app)
{
    // A proportional Gothic like the one the layouts were drawn with: with a
    // full-width Gothic, "維持費(口座管理料など)" overruns its label.
    static const QStringList preferred = {
        QStringLiteral("IPAPGothic"), QStringLiteral("MS UI Gothic"),     QStringLiteral("MS PGothic"),
        QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
    };
    const QStringList installed = QFontDatabase::families();
    QString family;
    for (const QString& f : preferred) {
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

QFont number_box_font()
{
    QFont font(QStringList{QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic"),
                           QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    font.setPointSize(9);
    return font;
}

} // namespace fee::ui
