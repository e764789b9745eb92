#pragma once

#include <QFont>
#include <QString>

class QApplication;

namespace fee::ui {

// Every window uses one Japanese font at 9 points, so that labels do not mix a
// Latin font with a fallback for the kana and kanji, and the fixed twips layout
// fits. Returns the family chosen (IPAPGothic where installed).
QString apply_ui_font(QApplication& app);

// That proportional Gothic for a window of its own: with a full-width Gothic the
// longest fixed-width labels do not fit. Qt falls back along the families.
QFont proportional_gothic(int points = 9);

// The font of the boxes that hold amounts and rates: the fixed-pitch cut of the
// same Gothic, so that digits line up in a column.
QFont number_box_font();

} // namespace fee::ui
