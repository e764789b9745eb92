#pragma once

#include <QFont>
#include <functional>

class QWidget;

namespace fee::ui {

// Below this a text stops being comfortable to read, so no caption or grid
// cell is made smaller even where it then still overruns.
inline constexpr qreal kMinimumTextPoints = 7.0;

// `font` at the largest size, from its own down to kMinimumTextPoints half a
// point at a time, at which `width` (of the text in that font) is at most
// `room`; at kMinimumTextPoints where no size is. The one shrinking rule of
// the captions and the result grid's cells.
QFont shrink_to_fit(QFont font, int room, const std::function<int(const QFont&)>& width);

// Keeps every caption of `window` whole at the window's fixed geometry: a label,
// button or group box whose text does not fit the room it offers gets a smaller
// font, half a point at a time, down to kMinimumTextPoints. The layouts were
// drawn with the IPA Gothic, where every caption fits as it is; with a wider
// Japanese font only the captions that overrun shrink, each on its own. Fits
// again by itself when the window is shown and when the window's or the
// application's font, the style or the screen changes; call it again after
// changing a caption of a window on screen. A number box whose text does not
// fit gets a smaller font in the same way, whenever its text changes, and its
// own font again once the text fits; where even the smallest does not hold
// it, its tooltip gives the whole text. Other controls keep their fonts, also
// inside a group box whose title shrinks.
void fit_texts(QWidget& window);

// The width in pixels that a label, button, group box or line edit offers its
// text: the control's width less the frame, margins and indent its style draws
// around the text. A group box gives its title the room between its two title
// indents.
int text_room(const QWidget& control);

// The width the control's text (a line edit's too) takes in its current font,
// measured the way the control draws it: an access key's "&" takes no room on a button or a
// group box, nor on a label with a buddy (without one, a label shows the "&").
int text_width(const QWidget& control);

} // namespace fee::ui
