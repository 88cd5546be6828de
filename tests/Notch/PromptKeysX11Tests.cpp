// The prompt card's keys on a real X server with a window manager: a click
// gives the notch panel the keyboard, then A, D and Alt-A answer the prompt.
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>

#include "ChildProcess.h"
#include "Halvane/Notch/Cards/PromptCard.h"
#include "Halvane/Notch/Components/CardHeader.h"
#include "Halvane/Notch/ExpandedView.h"
#include "Halvane/Theme/NotchText.h"
#include "MissingService.h"
#include "NotchKit/NotchContentView.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchPresenter.h"
#include "NotchKit/NotchScreen.h"
#include "NotchViewsFixture.h"
#include "XvfbSession.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

XvfbSession* display = nullptr;

class PromptKeysX11Test : public NotchViewsTest {
protected:
    static void SetUpTestSuite() {
        display = new XvfbSession(true, "1280x800x24");
        if (display->ready()) {
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv(notchkit::NotchScreen::notchVariable, "200x32", 1);
            guiApplication();
        }
    }

    void SetUp() override {
        if (!display->ready()) {
            HALVANE_SKIP_UNLESS_CI(display->why());
        }
        if (::access("/usr/bin/xdotool", X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI("xdotool is not installed (package xdotool)");
        }
    }

    // The notch, expanded over the store, with the panel clicked so it has the keyboard.
    ExpandedView* openAndClick() {
        notchkit::NotchTimings timings;
        timings.settle = 20ms;
        m_notch = std::make_unique<notchkit::NotchPresenter>(
            notchkit::NotchHoverOption::none, notchkit::NotchStyle::automatic(),
            [this] { return new ExpandedView(store, clock); }, [] { return new QWidget; },
            [] { return new QWidget; }, timings);
        const auto opened = m_notch->expand(QGuiApplication::primaryScreen());
        EXPECT_TRUE(waitUntil([&] { return opened.isFinished(); }));
        auto* view = qobject_cast<ExpandedView*>(m_notch->expandedContent());
        // The header's title: a spot that answers nothing when clicked, once the
        // notch's surface has grown round the card.
        const auto titleSpot = [view] {
            QWidget* title = view->promptCard()->header()->title();
            return title->mapToGlobal(QPoint(10, title->height() / 2));
        };
        notchkit::NotchPanel* panel = m_notch->panel();
        EXPECT_TRUE(waitUntil([&] {
            return view->promptCard() && view->promptCard()->isVisible() &&
                   panel->contentView()->surfacePath().contains(
                       QPointF(panel->mapFromGlobal(titleSpot())));
        }));
        const QPoint at = titleSpot();
        runChild({"/usr/bin/xdotool", "mousemove", "--sync", std::to_string(at.x()),
                  std::to_string(at.y()), "click", "1"});
        EXPECT_TRUE(waitUntil([&] { return panel->isActiveWindow(); }));
        return view;
    }

    static void press(const std::string& keys) { runChild({"/usr/bin/xdotool", "key", keys}); }

    std::unique_ptr<notchkit::NotchPresenter> m_notch;
};

}  // namespace

TEST_F(PromptKeysX11Test, AApprovesThenDDeniesTheNext) {
    ask("older", "Bash", R"({"command":"rm -rf build"})", 10s);
    ask("newer", "Bash", R"({"command":"npm test"})");
    openAndClick();
    press("a");
    ASSERT_TRUE(waitUntil([&] { return answers["newer"].size() == 1; }));
    EXPECT_EQ(answers["newer"][0].decision, HookDecision::Decision::approve);
    EXPECT_TRUE(answers["older"].empty());

    press("d");
    ASSERT_TRUE(waitUntil([&] { return answers["older"].size() == 1; }));
    EXPECT_EQ(answers["older"][0],
              (HookDecision{HookDecision::Decision::deny, "User denied", std::nullopt}));
}

TEST_F(PromptKeysX11Test, AltAApprovesAndRemembersTheRule) {
    // Halvane keeps rules of its own only when it asks before every call.
    m_preferences.setAskBeforeEveryToolCall(true);
    HookEvent call = event(HookEvent::Kind::preToolUse, "repo", std::chrono::seconds(0));
    call.tool = "Bash";
    call.toolInput = R"({"command":"git status --short"})";
    store.handle(call, recorder("repo"));
    openAndClick();
    press("alt+a");
    ASSERT_TRUE(waitUntil([&] { return answers["repo"].size() == 1; }));
    EXPECT_EQ(answers["repo"][0].decision, HookDecision::Decision::approve);
    EXPECT_EQ(store.allowPatterns(), std::vector<std::string>{"Bash(git:*)"});
}
