#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

namespace fee::ui {

// Input a hurried user did not mean, stopped for every window of the program:
// - A window that has just appeared ignores mouse presses for the desktop's
//   double-click interval, and so does every window for that long after a
//   click closed one, so that the second click of a double click never lands
//   on the window that the first one opened (two questions answered at once)
//   or uncovered (the main window's 終了 under 閉じる). A window that merely
//   comes back to the front takes its first click: that is how a user brings
//   it forward and acts in one go. The release of an ignored press is ignored
//   too. Keys are never delayed.
// - Alt with a letter or digit that matches no access key of the window does
//   nothing, instead of typing the letter into the box that has the focus.
//   Access keys are taken as shortcuts before a key press is delivered, so
//   whatever reaches a widget here matched none. AltGr and the input method
//   produce other events and pass.
class InputGuard : public QObject {
    Q_OBJECT
public:
    explicit InputGuard(QObject* parent = nullptr);

    // Guards every window of the application from now on.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool swallow_mouse(QWidget* window, QEvent* event);

    // When each top-level window last appeared.
    QHash<QWidget*, QElapsedTimer> shown_;
    QElapsedTimer last_release_;             // the latest mouse release anywhere
    QElapsedTimer closed_by_click_;          // when a click last closed a window
    QPointer<QWidget> ignored_press_window_; // its release is ignored too
};

} // namespace fee::ui
