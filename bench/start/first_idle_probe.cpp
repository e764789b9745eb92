// Preloaded into a Qt program (LD_PRELOAD), so that fee-compare and the bare
// window are measured alike with no hook in either: when the main event loop
// first waits with nothing to do, the start is over. The probe writes the
// time from the exec to the start of that wait and the peak memory to
// $FEE_PROBE_OUT and ends the process, without the program's own close.
//
// aboutToBlock alone does not say the loop is idle: the glib dispatcher emits
// it before every pass, also the first one, which still has the expose and the
// whole first paint ahead. So each pass starts a quiet timer; only a pass that
// nothing but that timer ends was a real wait, and it began at its aboutToBlock.
//
//   FEE_START_NS   CLOCK_MONOTONIC in nanoseconds, taken just before the exec
//   FEE_PROBE_OUT  the file that receives "idle_ns <n>" and "hwm_kib <n>"
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

constexpr int kQuietMs = 100;
long long wait_began_ns = 0;

long long now_ns()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// VmHWM from /proc/self/status; -1 when the kernel does not say.
long long peak_kib()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    long long kib = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kib = std::strtoll(line + 6, nullptr, 10);
    std::fclose(status);
    return kib;
}

[[noreturn]] void report_and_exit()
{
    const char* start = std::getenv("FEE_START_NS");
    const char* out = std::getenv("FEE_PROBE_OUT");
    std::FILE* file = out ? std::fopen(out, "w") : nullptr;
    if (!start || !file)
        _exit(3);
    std::fprintf(file, "idle_ns %lld\nhwm_kib %lld\n", wait_began_ns - std::strtoll(start, nullptr, 10),
                 peak_kib());
    // _exit skips the program's close, so the figures must be on disk first.
    const bool written = std::fclose(file) == 0;
    _exit(written ? 0 : 3);
}

void watch_first_idle()
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return; // no figures: the driver's time limit ends the program
    auto* quiet = new QTimer(dispatcher);
    quiet->setSingleShot(true);
    quiet->setTimerType(Qt::PreciseTimer);
    quiet->setInterval(kQuietMs);
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, quiet, [quiet] {
        wait_began_ns = now_ns();
        quiet->start();
    });
    QObject::connect(quiet, &QTimer::timeout, quiet, &report_and_exit);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watch_first_idle)
