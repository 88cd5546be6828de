// One frame of the expanded session list holding 20 sessions, offscreen,
// against a plain widget of the same size filled with one colour, rendered in
// the same run.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "FrameTiming.h"
#include "Halvane/Notch/ExpandedView.h"
#include "Halvane/Platform/SoundPlayer.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"

namespace {

class Silent final : public halvane::SoundPlayer {
public:
    void play(Sound) override {}
};

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir folder;
    Silent sounds;
    halvane::Preferences preferences(folder.filePath(QStringLiteral("halvane.conf")));
    halvane::SessionStore store(sounds, preferences);
    for (int i = 0; i < 20; ++i) {
        halvane::HookEvent event;
        event.kind =
            i % 3 == 0 ? halvane::HookEvent::Kind::stop : halvane::HookEvent::Kind::notification;
        event.sessionId = "session-" + std::to_string(i);
        event.cwd = "/home/user/code/project-" + std::to_string(i);
        event.message = "Claude is waiting for your input";
        event.timestamp = 790000000 + i;
        store.handle(event, [](const halvane::HookDecision&) {});
    }

    halvane::ExpandedView list(store);
    list.resize(list.sizeHint());
    list.show();
    QApplication::processEvents();

    QWidget baseline;
    baseline.resize(list.size());
    baseline.setAutoFillBackground(true);
    QPalette palette = baseline.palette();
    palette.setColor(QPalette::Window, QColor(20, 20, 22));
    baseline.setPalette(palette);
    baseline.show();

    const double plain = halvane::bench::millisecondsPerFrame(&baseline);
    const double rows = halvane::bench::millisecondsPerFrame(&list);
    out << QStringLiteral("plain %1x%2 widget:     %3 ms/frame\n")
               .arg(list.width())
               .arg(list.height())
               .arg(plain, 0, 'f', 3);
    out << QStringLiteral("session list, 20 rows:     %1 ms/frame (target <= 8)\n")
               .arg(rows, 0, 'f', 3);
    out << QStringLiteral("ratio list / plain:        %1\n").arg(rows / plain, 0, 'f', 2);
    return 0;
}
