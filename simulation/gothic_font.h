#pragma once

#include <QFont>
#include <QStringList>

namespace fee::ui {

// The calculation windows were laid out for a proportional Japanese Gothic at
// 9 points: with a full-width Gothic their longest labels (16 and 21 kana and
// kanji) do not fit the fixed widths. Qt falls back along the list.
inline QFont proportional_gothic(int points = 9)
{
    QFont font(QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("MS PGothic"),
                           QStringLiteral("VL PGothic"), QStringLiteral("IPAGothic"),
                           QStringLiteral("Noto Sans CJK JP")},
               points);
    return font;
}

} // namespace fee::ui
