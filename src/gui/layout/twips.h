#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace fee::ui {

// Layouts are designed in twips, 1,440 to the logical inch, and grow with the
// font as they did where they were drawn: 15 twips make one pixel at 96 dpi,
// 12 at 120 dpi (QT_FONT_DPI=120 with the Floor or Round scale policy). Where
// Qt scales the pixels instead (a scale factor, the PassThrough policy), the
// logical inch stays 96 pixels and Qt does the rest.
inline int twips(int t)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    return t * dpi / 1440;
}

inline void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

} // namespace fee::ui
