#include "gui/app/termination.h"

#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace fee::ui {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
int pipe_ends[2] = {-1, -1}; // [0] read by the loop, [1] written by the handler

extern "C" void on_signal(int number)
{
    const char byte = static_cast<char>(number);
    // write() is async-signal-safe; a full pipe already holds a request.
    [[maybe_unused]] const ssize_t ignored = ::write(pipe_ends[1], &byte, 1);
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent)
{
    if (pipe_ends[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipe_ends) != 0)
        return;
    notifier_ = new QSocketNotifier(pipe_ends[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::read_signal);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationWatcher::~TerminationWatcher()
{
    for (const int number : kSignals)
        std::signal(number, SIG_DFL);
}

void TerminationWatcher::read_signal()
{
    char byte = 0;
    if (::read(pipe_ends[0], &byte, 1) == 1)
        emit requested(static_cast<unsigned char>(byte));
}

} // namespace fee::ui
