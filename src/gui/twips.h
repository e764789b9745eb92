#pragma once

#include <QRect>
#include <QWidget>

namespace fee::ui {

// Layouts are designed in twips; 15 twips make one pixel at 96 dpi and Qt
// scales the pixels for high-DPI screens.
constexpr int twips(int t)
{
    return t / 15;
}

inline void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

} // namespace fee::ui
