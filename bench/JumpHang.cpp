// Whether the panel keeps painting while a jump waits on a terminal that
// hangs: a stand-in tmux that sleeps ten seconds is first on PATH, and an
// agent whose environment names a tmux pane is jumped to. Meanwhile a thread
// of its own hovers over the session list every 25 ms, as the pointer would;
// each hover paints a frame of the list, as the panel does when the pointer
// moves over it (offscreen windows get no paint events of their own, so the
// frame is rendered into a pixmap). Reports the worst time from a hover to the
// next painted frame and the worst gap between frames, with and without the
// hung jump, in the same run.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Halvane/Notch/ExpandedView.h"
#include "Halvane/Platform/SoundPlayer.h"
#include "Halvane/Platform/WindowSystem.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Terminals/Focus/TerminalFocusService.h"

namespace {

using namespace std::chrono_literals;

class Silent final : public halvane::SoundPlayer {
public:
    void play(Sound) override {}
};

class NoWindows final : public halvane::WindowSystem {
public:
    bool trusted() override { return true; }
    bool activateWindowOfPid(std::int32_t) override { return false; }
    bool typeKeys(const std::string&) override { return true; }
    void beep() override {}
};

// Hover times (posted from another thread) and frame times, in ms since start.
class FrameLog final : public QObject {
public:
    explicit FrameLog(QWidget* target) : m_target(target) { m_clock.start(); }

    double now() const { return static_cast<double>(m_clock.nsecsElapsed()) / 1e6; }

    void hover() {
        {
            const std::lock_guard lock(m_mutex);
            m_hovers.push_back(now());
        }
        // Delivered on the main thread, like the pointer's own events.
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            if (m_frame.size() != m_target->size()) {
                m_frame = QPixmap(m_target->size());
            }
            m_frame.fill(Qt::transparent);
            m_target->render(&m_frame);
            const std::lock_guard lock(m_mutex);
            m_frames.push_back(now());
            return true;
        }
        return QObject::event(event);
    }

    // Worst hover-to-frame time and worst gap between frames within [from, to].
    std::pair<double, double> worst(double from, double to) const {
        const std::lock_guard lock(m_mutex);
        double latency = 0;
        for (const double hover : m_hovers) {
            if (hover < from || hover > to) {
                continue;
            }
            const auto frame = std::lower_bound(m_frames.begin(), m_frames.end(), hover);
            latency = std::max(latency, frame == m_frames.end() ? to - hover : *frame - hover);
        }
        double gap = 0;
        double previous = from;
        for (const double frame : m_frames) {
            if (frame < from || frame > to) {
                continue;
            }
            gap = std::max(gap, frame - previous);
            previous = frame;
        }
        return {latency, std::max(gap, to - previous)};
    }

private:
    QWidget* m_target;
    QPixmap m_frame;
    QElapsedTimer m_clock;
    mutable std::mutex m_mutex;
    std::vector<double> m_hovers;
    std::vector<double> m_frames;
};

// Runs the event loop for `span` while a thread hovers every 25 ms; `act`
// runs from the event loop 100 ms in, as a click would.
template <typename Action>
std::pair<double, double> hoverFor(FrameLog& log, std::chrono::milliseconds span, Action act) {
    std::atomic<bool> running{true};
    const double from = log.now();
    std::thread pointer([&] {
        while (running) {
            log.hover();
            std::this_thread::sleep_for(25ms);
        }
    });
    QEventLoop loop;
    QTimer::singleShot(100ms, &loop, act);
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
    running = false;
    pointer.join();
    const double to = log.now();
    QCoreApplication::processEvents();
    return log.worst(from, to - 30);
}

pid_t startAgent(const std::string& pane) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string variable = "TMUX_PANE=" + pane;
        char* const argv[] = {const_cast<char*>("sleep"), const_cast<char*>("1000"), nullptr};
        char* const envp[] = {const_cast<char*>(variable.c_str()), nullptr};
        ::execve("/bin/sleep", argv, envp);
        ::_exit(127);
    }
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir folder;

    // The hung terminal: any tmux command sleeps for ten seconds.
    const std::string bin = folder.filePath(QStringLiteral("bin")).toStdString();
    ::mkdir(bin.c_str(), 0700);
    std::ofstream(bin + "/tmux") << "#!/bin/sh\nexec sleep 10\n";
    ::chmod((bin + "/tmux").c_str(), 0700);
    ::setenv("PATH", (bin + ":" + std::getenv("PATH")).c_str(), 1);
    const pid_t agent = startAgent("%1");

    Silent sounds;
    halvane::Preferences preferences(folder.filePath(QStringLiteral("halvane.conf")));
    halvane::SessionStore store(sounds, preferences);
    for (int i = 0; i < 5; ++i) {
        halvane::HookEvent event;
        event.kind = halvane::HookEvent::Kind::notification;
        event.sessionId = "session-" + std::to_string(i);
        event.cwd = "/home/user/code/project-" + std::to_string(i);
        event.message = "Claude is waiting for your input";
        event.timestamp = 790000000 + i;
        event.claudePid = agent;
        store.handle(event, [](const halvane::HookDecision&) {});
    }
    halvane::ProcfsProcessTable processes;
    NoWindows windows;
    halvane::TerminalFocusService::Platform platform;
    platform.processes = &processes;
    platform.windows = &windows;
    halvane::TerminalFocusService::install(platform);

    halvane::ExpandedView list(store);
    list.resize(list.sizeHint());
    list.show();
    QCoreApplication::processEvents();
    FrameLog log(&list);

    const auto calm = hoverFor(log, 3000ms, [] {});
    halvane::Session session;
    session.id = "session-0";
    session.cwd = "/home/user/code/project-0";
    session.claudePid = agent;
    const auto hung =
        hoverFor(log, 3000ms, [&session] { halvane::TerminalFocusService::jump(session); });

    out << QStringLiteral("hover every 25 ms over the session list, 3 s each:\n");
    out << QStringLiteral("  no jump:        worst hover to frame %1 ms, worst frame gap %2 ms\n")
               .arg(calm.first, 0, 'f', 1)
               .arg(calm.second, 0, 'f', 1);
    out << QStringLiteral(
               "  jump, tmux hung: worst hover to frame %1 ms, worst frame gap %2 ms "
               "(target <= 50)\n")
               .arg(hung.first, 0, 'f', 1)
               .arg(hung.second, 0, 'f', 1);
    out << QStringLiteral("  ratio hung / no jump (frame gap): %1\n")
               .arg(calm.second > 0 ? hung.second / calm.second : 0.0, 0, 'f', 2);
    out.flush();
    ::kill(agent, SIGKILL);
    ::waitpid(agent, nullptr, 0);
    // A worker may still wait on the stand-in: leave without waiting for it.
    std::_Exit(0);
}
