#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QWidget;

namespace fee::ui {

// Keeps a window whole on its screen: at most the screen's free area less the
// frame, all of it on that area, since the wanted size at a scale of 2 is
// larger than many screens. Before the window manager has framed the window
// its frame is a guess, checked once the window is framed.
class ScreenFit : public QObject {
public:
    // Sizes `window` to `wanted` and fits it; it shrinks to `smallest` at most
    // where the screen has the room.
    ScreenFit(QWidget& window, QSize wanted, QSize smallest);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit(QMargins frame);

    QWidget& window_;
    const QSize smallest_;
    bool framed_ = false;
};

} // namespace fee::ui
