// The cost of drawing the notch: one frame of an expanded presenter holding a
// 460 x 400 content widget, against a plain widget of that size filled with
// one colour, rendered offscreen in the same run; then the frames per second
// the panel paints while it springs open.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTextStream>
#include <QWidget>

#include <cstdlib>

#include "FrameTiming.h"
#include "NotchKit/NotchContentView.h"
#include "NotchKit/NotchFormView.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchPresenter.h"
#include "NotchKit/NotchScreen.h"

using namespace notchkit;

namespace {

constexpr QSize contentSize(460, 400);

// Content that paints itself, so both sides of the comparison fill pixels.
class Filled final : public QWidget {
public:
    Filled() { setFixedSize(contentSize); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(40, 44, 52)); }
};

// Counts the paints of one widget.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

bool waitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 10000);
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv(NotchScreen::notchVariable, "200x32", 0);
    QApplication app(argc, argv);
    QTextStream out(stdout);

    NotchPresenter presenter(
        NotchHoverOption::none, NotchStyle::automatic(), [] { return new Filled; }, nullptr,
        nullptr);
    QScreen* screen = QGuiApplication::primaryScreen();
    const auto opened = presenter.expand(screen);
    if (!waitFor([&] { return opened.isFinished(); })) {
        out << "notch-render: the presenter did not open\n";
        return 1;
    }
    NotchPanel* panel = presenter.panel();
    // The default offscreen screen is small; give the panel room for the card.
    panel->resize(720, 480);
    waitFor([&] { return !panel->contentView()->isAnimating(); });

    QWidget baseline;
    baseline.setFixedSize(contentSize);
    baseline.setAutoFillBackground(true);
    QPalette palette = baseline.palette();
    palette.setColor(QPalette::Window, QColor(40, 44, 52));
    baseline.setPalette(palette);
    baseline.show();

    const double plain = halvane::bench::millisecondsPerFrame(&baseline);
    const double notch = halvane::bench::millisecondsPerFrame(panel);
    out << QStringLiteral("plain 460x400 widget:   %1 ms/frame\n").arg(plain, 0, 'f', 3);
    out << QStringLiteral("expanded notch (%1x%2): %3 ms/frame\n")
               .arg(panel->width())
               .arg(panel->height())
               .arg(notch, 0, 'f', 3);
    out << QStringLiteral("ratio notch / plain:    %1\n").arg(notch / plain, 0, 'f', 2);

    // Frames painted while the card springs open from hidden.
    const auto closed = presenter.hide();
    waitFor([&] { return closed.isFinished(); });
    const auto reopened = presenter.expand(screen);
    panel = presenter.panel();
    panel->resize(720, 480);
    PaintCounter counter;
    panel->contentView()->formView()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    waitFor([&] { return !panel->contentView()->isAnimating(); });
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    out << QStringLiteral("expand animation:       %1 frames in %2 s = %3 fps\n")
               .arg(counter.paints)
               .arg(seconds, 0, 'f', 3)
               .arg(counter.paints / seconds, 0, 'f', 1);
    waitFor([&] { return reopened.isFinished(); });
    return 0;
}
