#pragma once

#include <QObject>

class QSocketNotifier;

namespace fee::ui {

// SIGTERM, SIGINT and SIGHUP as a signal of the event loop. The handler only
// writes the signal's number to a pipe; everything else happens in the loop,
// where it is safe to touch the windows and the file. While a watcher lives,
// those signals no longer end the program by themselves.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void requested(int signal_number);

private:
    void read_signal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace fee::ui
