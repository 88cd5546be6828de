// The panel on a real X server with a window manager: its window type and
// states as other programs see them, an input shape that matches the visible
// surface, clicks beside the surface reaching the window underneath, and the
// desktop showing round the surface with and without a compositor.
#include <gtest/gtest.h>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"
#include "GuiTestSupport.h"
#include "MissingService.h"
#include "NotchKit/NotchContentView.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchPresenter.h"
#include "NotchKit/NotchScreen.h"
#include "NotchKit/NotchlessMetrics.h"
#include "XvfbSession.h"

using namespace notchkit;
using namespace notchkit::test;

namespace {

// Reads window properties over a connection of the test's own.
class XProbe final {
public:
    XProbe() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~XProbe() { xcb_disconnect(m_connection); }

    xcb_window_t root() { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }

    xcb_atom_t atom(const char* name) {
        const auto cookie =
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(m_connection, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    std::vector<uint32_t> property(xcb_window_t window, const char* name) {
        const auto cookie = xcb_get_property(m_connection, 0, window, atom(name),
                                             XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(m_connection, cookie, nullptr), &std::free);
        if (!reply || reply->format != 32) {
            return {};
        }
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        return {values, values + xcb_get_property_value_length(reply.get()) / 4};
    }

    bool hasAtom(xcb_window_t window, const char* property, const char* value) {
        const auto values = this->property(window, property);
        const xcb_atom_t wanted = atom(value);
        return std::find(values.begin(), values.end(), wanted) != values.end();
    }

    // Colours the desktop as a wallpaper setter does: the root's background,
    // and the pixmap compositors read from _XROOTPMAP_ID.
    void paintDesktop(uint32_t rgb) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const xcb_pixmap_t tile = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, screen->root_depth, tile, screen->root, 16, 16);
        const xcb_gcontext_t gc = xcb_generate_id(m_connection);
        xcb_create_gc(m_connection, gc, tile, XCB_GC_FOREGROUND, &rgb);
        const xcb_rectangle_t all{0, 0, 16, 16};
        xcb_poly_fill_rectangle(m_connection, tile, gc, 1, &all);
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_BACK_PIXMAP, &tile);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, screen->root,
                            atom("_XROOTPMAP_ID"), XCB_ATOM_PIXMAP, 32, 1, &tile);
        xcb_clear_area(m_connection, 1, screen->root, 0, 0, 0, 0);
        xcb_free_gc(m_connection, gc);
        xcb_flush(m_connection);
    }

    // What the screen shows inside `area`, as a person would see it.
    QImage screenshot(const QRect& area) {
        const auto cookie = xcb_get_image(
            m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root(), static_cast<int16_t>(area.x()),
            static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
            static_cast<uint16_t>(area.height()), ~0u);
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
            xcb_get_image_reply(m_connection, cookie, nullptr), &std::free);
        if (!reply) {
            return {};
        }
        // A 24-bit screen's pixels come as 32-bit words, blue first.
        return QImage(xcb_get_image_data(reply.get()), area.width(), area.height(),
                      QImage::Format_RGB32)
            .copy();
    }

    bool compositorRunning() {
        const auto cookie = xcb_get_selection_owner(m_connection, atom("_NET_WM_CM_S0"));
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
            xcb_get_selection_owner_reply(m_connection, cookie, nullptr), &std::free);
        return reply && reply->owner != XCB_WINDOW_NONE;
    }

    // A desktop panel: a dock window that reserves `top` points along the
    // screen's top edge and `left` along its left edge.
    xcb_window_t addPanel(uint32_t left, uint32_t top) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                          static_cast<uint16_t>(left > 0 ? left : screen->width_in_pixels),
                          static_cast<uint16_t>(top > 0 ? top : screen->height_in_pixels), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const xcb_atom_t dock = atom("_NET_WM_WINDOW_TYPE_DOCK");
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window,
                            atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &dock);
        const uint32_t strut[12] = {left, 0,
                                    top,  0,
                                    0,    left > 0 ? screen->height_in_pixels - 1u : 0,
                                    0,    0,
                                    0,    top > 0 ? screen->width_in_pixels - 1u : 0,
                                    0,    0};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window,
                            atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12, strut);
        const uint32_t simple[4] = {left, 0, top, 0};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_STRUT"),
                            XCB_ATOM_CARDINAL, 32, 4, simple);
        xcb_map_window(m_connection, window);
        xcb_flush(m_connection);
        return window;
    }

    void removeWindow(xcb_window_t window) {
        xcb_destroy_window(m_connection, window);
        xcb_flush(m_connection);
    }

    QRegion boundingShape(xcb_window_t window) { return shape(window, XCB_SHAPE_SK_BOUNDING); }
    QRegion inputShape(xcb_window_t window) { return shape(window, XCB_SHAPE_SK_INPUT); }

    QRegion shape(xcb_window_t window, xcb_shape_kind_t kind) {
        const auto cookie = xcb_shape_get_rectangles(m_connection, window, kind);
        std::unique_ptr<xcb_shape_get_rectangles_reply_t, decltype(&std::free)> reply(
            xcb_shape_get_rectangles_reply(m_connection, cookie, nullptr), &std::free);
        QRegion region;
        if (!reply) {
            return region;
        }
        const auto* rects = xcb_shape_get_rectangles_rectangles(reply.get());
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i) {
            region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        }
        return region;
    }

private:
    xcb_connection_t* m_connection;
};

// A plain window that counts the clicks it receives.
class Underneath final : public QWidget {
public:
    Underneath() : QWidget(nullptr, Qt::FramelessWindowHint) {}
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// Counts the presses that reach the panel.
class PressCounter final : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            ++presses;
        }
        return false;
    }
};

halvane::test::XvfbSession* session = nullptr;

// WCAG's relative luminance of an sRGB colour, 0 (black) to 1 (white).
double luminance(QRgb rgb) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

// How a card looks on screen: its mean luminance, and the contrast of its
// brightest pixels (the text) against its typical one (the background).
struct CardLook {
    double meanLuminance = 0;
    double textContrast = 0;
};

CardLook lookOf(const QImage& card) {
    std::vector<double> values;
    for (int y = 0; y < card.height(); ++y) {
        for (int x = 0; x < card.width(); ++x) {
            values.push_back(luminance(card.pixel(x, y)));
        }
    }
    if (values.empty()) {
        return {};
    }
    double sum = 0;
    for (const double value : values) {
        sum += value;
    }
    std::sort(values.begin(), values.end());
    const double background = values[values.size() / 2];
    const double text = values[values.size() - 1 - values.size() / 500];
    return {sum / static_cast<double>(values.size()), (text + 0.05) / (background + 0.05)};
}

// A compositing manager for as long as the object lives.
class Compositor final {
public:
    Compositor() {
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::execl("/usr/bin/picom", "picom", "--backend", "xrender", "--config", "/dev/null",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Compositor() { stop(); }
    void stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
};

// The desktop's colour must show at every point of `image` (taken at
// `origin` on the screen) that lies at least `clearance` away from `surface`
// (in screen coordinates). Returns the first point where it does not.
std::optional<QPoint> desktopHiddenAt(const QImage& image, const QPoint& origin,
                                      const QPainterPath& surface, int clearance, QRgb desktop) {
    for (int y = 0; y < image.height(); y += 6) {
        for (int x = 0; x < image.width(); x += 6) {
            const QPoint at = origin + QPoint(x, y);
            const QRectF around(at.x() - clearance, at.y() - clearance, 2 * clearance + 1,
                                2 * clearance + 1);
            if (surface.intersects(around)) {
                continue;
            }
            if ((image.pixel(x, y) & 0xFFFFFF) != (desktop & 0xFFFFFF)) {
                return at;
            }
        }
    }
    return std::nullopt;
}

bool click(const QPoint& at) {
    const auto result =
        halvane::test::runChild({"/usr/bin/xdotool", "mousemove", "--sync", std::to_string(at.x()),
                                 std::to_string(at.y()), "click", "1"});
    return result.exitStatus == 0;
}

class PanelX11 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        session = new halvane::test::XvfbSession(true, "1280x800x24");
        if (session->ready()) {
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv(NotchScreen::notchVariable, "200x32", 1);
            guiApplication();
        }
    }

    void SetUp() override {
        if (!session->ready()) {
            HALVANE_SKIP_UNLESS_CI(session->why());
        }
        if (::access("/usr/bin/xdotool", X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI("xdotool is not installed (package xdotool)");
        }
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_presenter = std::make_unique<NotchPresenter>(
            NotchHoverOption::none, NotchStyle::automatic(),
            [] {
                auto* label = new QLabel(QStringLiteral("expanded"));
                label->setFixedSize(300, 80);
                return label;
            },
            nullptr, nullptr);
        const auto done = m_presenter->expand(QGuiApplication::primaryScreen());
        ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));
        ASSERT_TRUE(waitUntil([&] { return !panel()->contentView()->isAnimating(); }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel(), 15000));
    }

    NotchPanel* panel() const { return m_presenter->panel(); }
    xcb_window_t window() const { return static_cast<xcb_window_t>(panel()->winId()); }
    QRectF surface() const { return panel()->contentView()->surfacePath().boundingRect(); }

    std::unique_ptr<NotchPresenter> m_presenter;
    XProbe m_probe;
};

}  // namespace

TEST_F(PanelX11, IsAUtilityWindowAboveOthersOnEveryDesktop) {
    EXPECT_TRUE(m_probe.hasAtom(window(), "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_UTILITY"));
    EXPECT_TRUE(waitUntil(
        [&] { return m_probe.hasAtom(window(), "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"); }));
    // Every desktop; a window manager that knows the sticky state reports it too.
    EXPECT_TRUE(waitUntil([&] {
        return m_probe.property(window(), "_NET_WM_DESKTOP") == std::vector<uint32_t>{0xFFFFFFFF};
    }));
    if (m_probe.hasAtom(m_probe.root(), "_NET_SUPPORTED", "_NET_WM_STATE_STICKY")) {
        EXPECT_TRUE(waitUntil(
            [&] { return m_probe.hasAtom(window(), "_NET_WM_STATE", "_NET_WM_STATE_STICKY"); }));
    }
    EXPECT_TRUE(m_probe.hasAtom(window(), "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(panel()->geometry(),
              QRect(screen.width() / 4, 0, screen.width() / 2, screen.height() / 2));
}

TEST_F(PanelX11, InputShapeIsTheVisibleSurface) {
    const QRegion shape = m_probe.inputShape(window());
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_TRUE(shape.contains(surface().center().toPoint()));
    EXPECT_FALSE(shape.contains(QPoint(2, panel()->height() - 2)));
    EXPECT_FALSE(shape.contains(QPointF(surface().center().x(), surface().bottom() + 8).toPoint()));
    EXPECT_LE(shape.boundingRect().width(), surface().width() + 1);
}

TEST_F(PanelX11, APointerRestingWhereTheSurfaceGrowsIsHovering) {
    NotchPresenter hovered(
        NotchHoverOption::all, NotchStyle::automatic(),
        [] {
            auto* label = new QLabel(QStringLiteral("expanded"));
            label->setFixedSize(300, 80);
            return label;
        },
        [] { return new QLabel(QStringLiteral("L")); },
        [] { return new QLabel(QStringLiteral("R")); });
    auto done = hovered.compact(QGuiApplication::primaryScreen());
    ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));
    NotchPanel* compactPanel = hovered.panel();
    ASSERT_TRUE(waitUntil([&] { return !compactPanel->contentView()->isAnimating(); }));
    // Below the wings, where the card will be; the pointer then stays put.
    const QPoint resting = compactPanel->mapToGlobal(
        QPointF(compactPanel->contentView()->surfacePath().boundingRect().center().x(), 70)
            .toPoint());
    ASSERT_EQ(halvane::test::runChild({"/usr/bin/xdotool", "mousemove", "--sync",
                                       std::to_string(resting.x()), std::to_string(resting.y())})
                  .exitStatus,
              0);
    ASSERT_FALSE(hovered.isHovering());

    done = hovered.expand(QGuiApplication::primaryScreen());
    ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));
    EXPECT_TRUE(waitUntil([&] { return hovered.isHovering(); }));
}

TEST_F(PanelX11, ClicksBesideTheSurfaceReachTheWindowBelowAndOnItFocusThePanel) {
    Underneath below;
    // Not the whole screen: the window manager would take that for a full-screen
    // window and stack it above everything.
    below.setGeometry(QGuiApplication::primaryScreen()->geometry().adjusted(0, 0, 0, -100));
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&below, 15000));
    panel()->raise();
    PressCounter onPanel;
    panel()->windowHandle()->installEventFilter(&onPanel);

    // Inside the panel's frame, well clear of the card.
    const QPoint beside = panel()->mapToGlobal(QPoint(10, panel()->height() - 10));
    ASSERT_TRUE(click(beside));
    ASSERT_TRUE(waitUntil([&] { return below.presses == 1; }));
    EXPECT_EQ(onPanel.presses, 0);

    const QPoint onCard =
        panel()->mapToGlobal(QPointF(surface().center().x(), surface().bottom() - 6).toPoint());
    ASSERT_TRUE(click(onCard));
    ASSERT_TRUE(waitUntil([&] { return onPanel.presses == 1; }));
    EXPECT_EQ(below.presses, 1);
    // A click is the user asking for the panel: it takes the keyboard focus.
    EXPECT_TRUE(waitUntil([&] { return panel()->isActiveWindow(); }));
}

TEST_F(PanelX11, OnlyTheSurfaceCoversTheDesktopWithOrWithoutACompositor) {
    constexpr QRgb desktop = 0x3B6E8F;
    m_probe.paintDesktop(desktop);
    const QRect frame = panel()->geometry();
    const auto surfaceOnScreen = [&] {
        return panel()->contentView()->surfacePath().translated(frame.topLeft());
    };
    const auto hidden = [&](int clearance) {
        return desktopHiddenAt(m_probe.screenshot(frame), frame.topLeft(), surfaceOnScreen(),
                               clearance, desktop);
    };
    ASSERT_FALSE(m_probe.compositorRunning());
    // Without a compositor the window draws nothing but its surface; the
    // transparent rest would otherwise be a black slab over the desktop.
    EXPECT_LE(m_probe.boundingShape(window()).boundingRect().width(), surface().width() + 1);
    EXPECT_TRUE(waitUntil([&] { return !hidden(2); })) << "desktop hidden at " << [&] {
        const auto at = hidden(2);
        return at ? std::to_string(at->x()) + "," + std::to_string(at->y()) : std::string("-");
    }();
    // And the card itself is there.
    const QPoint middle = surface().center().toPoint();
    EXPECT_NE(
        m_probe.screenshot(QRect(frame.topLeft() + middle, QSize(1, 1))).pixel(0, 0) & 0xFFFFFF,
        desktop);

    if (::access("/usr/bin/picom", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("picom is not installed (package picom)");
    }
    {
        Compositor picom;
        ASSERT_TRUE(waitUntil([&] { return m_probe.compositorRunning(); }));
        // The whole window again, so the compositor can draw the shadow.
        EXPECT_TRUE(waitUntil([&] {
            return m_probe.boundingShape(window()).boundingRect().size() ==
                   frame.size() * panel()->devicePixelRatioF();
        }));
        // The shadow may darken what is near the card; further away the desktop shows.
        EXPECT_TRUE(waitUntil([&] { return !hidden(40); }));
        picom.stop();
    }
    ASSERT_TRUE(waitUntil([&] { return !m_probe.compositorRunning(); }));
    EXPECT_TRUE(waitUntil([&] {
        return m_probe.boundingShape(window()).boundingRect().width() <= surface().width() + 1;
    }));
    EXPECT_TRUE(waitUntil([&] { return !hidden(2); }));
}

TEST_F(PanelX11, WithoutACompositorTheFloatingCardIsAsDarkAndLegibleAsTheNotch) {
    ASSERT_FALSE(m_probe.compositorRunning());
    // What the screen shows of the card once it has stopped changing.
    const auto look = [&](NotchPresenter& presenter) {
        const QRect frame = presenter.panel()->geometry();
        // Inside the rounded corners, where only the card and its text are.
        const QRect card = presenter.panel()
                               ->contentView()
                               ->surfacePath()
                               .boundingRect()
                               .toAlignedRect()
                               .adjusted(12, 12, -12, -12)
                               .translated(frame.topLeft());
        QImage previous;
        QImage now;
        waitUntil([&] {
            previous = std::exchange(now, m_probe.screenshot(card));
            return !now.isNull() && now == previous;
        });
        return lookOf(now);
    };
    const CardLook notch = look(*m_presenter);
    const auto hidden = m_presenter->hide();
    ASSERT_TRUE(waitUntil([&] { return hidden.isFinished() && m_presenter->panel() == nullptr; }));

    NotchPresenter floating(
        NotchHoverOption::none, NotchStyle::floating(),
        [] {
            auto* label = new QLabel(QStringLiteral("expanded"));
            label->setFixedSize(300, 80);
            return label;
        },
        nullptr, nullptr);
    const auto done = floating.expand(QGuiApplication::primaryScreen());
    ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));
    ASSERT_TRUE(waitUntil([&] { return !floating.panel()->contentView()->isAnimating(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(floating.panel(), 15000));
    const CardLook card = look(floating);

    RecordProperty("floatingMeanLuminance", std::to_string(card.meanLuminance));
    RecordProperty("floatingTextContrast", std::to_string(card.textContrast));
    RecordProperty("notchMeanLuminance", std::to_string(notch.meanLuminance));
    RecordProperty("notchTextContrast", std::to_string(notch.textContrast));
    EXPECT_LT(card.meanLuminance, 0.05) << "a dark card";
    EXPECT_GE(card.textContrast, notch.textContrast * 0.98)
        << "floating " << card.textContrast << " against the notch's " << notch.textContrast;
    EXPECT_GT(notch.textContrast, 10) << "the notch's own text is legible";
}

TEST_F(PanelX11, TheFloatingCardSitsAtTheTopCentreOfTheWorkArea) {
    // A top panel 40 high and a side panel 200 wide, as a desktop would have.
    const xcb_window_t top = m_probe.addPanel(0, 40);
    const xcb_window_t side = m_probe.addPanel(200, 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(waitUntil([&] { return screen->availableGeometry().topLeft() == QPoint(200, 40); }))
        << "the window manager did not report the panels' work area";

    NotchPresenter floating(
        NotchHoverOption::none, NotchStyle::floating(),
        [] {
            auto* label = new QLabel(QStringLiteral("expanded"));
            label->setFixedSize(300, 80);
            return label;
        },
        [] { return new QLabel(QStringLiteral("L")); },
        [] { return new QLabel(QStringLiteral("R")); });
    for (const bool expanded : {false, true}) {
        SCOPED_TRACE(expanded ? "the card" : "the pill");
        const auto done = expanded ? floating.expand(screen) : floating.compact(screen);
        ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));
        ASSERT_TRUE(waitUntil([&] { return !floating.panel()->contentView()->isAnimating(); }));
        const QRectF card =
            floating.panel()->contentView()->surfacePath().boundingRect().translated(
                floating.panel()->geometry().topLeft());
        EXPECT_NEAR(card.top(), 40 + NotchlessMetrics::topGap, 1);
        EXPECT_NEAR(card.center().x(), screen->availableGeometry().center().x() + 0.5, 1);
    }
    m_probe.removeWindow(top);
    m_probe.removeWindow(side);
    EXPECT_TRUE(waitUntil([&] { return screen->availableGeometry() == screen->geometry(); }));
}
