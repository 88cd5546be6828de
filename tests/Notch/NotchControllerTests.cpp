// What the session notch shows, by the controller's rules: wings while
// sessions exist, the list while a prompt waits, while the user asked for it
// and while the pointer rests on it.
#include "NotchControllerFixture.h"

namespace halvane::test {
namespace {

TEST_F(NotchControllerTest, ShowsWingsOnlyWhileSessionsExist) {
    start();
    settle();
    EXPECT_EQ(controller->notch()->state(), State::hidden);
    EXPECT_EQ(controller->notch()->panel(), nullptr) << "no window without sessions";

    notify("alpha");
    ASSERT_TRUE(notchBecomes(State::compact));
    EXPECT_EQ(controller->currentMode(), Mode::compact);
    EXPECT_EQ(controller->hudNotch()->state(), State::hidden);
}

TEST_F(NotchControllerTest, APromptExpandsWithoutHoverAndTheAnswerFoldsItBack) {
    startCompact();

    ask("alpha");
    ASSERT_TRUE(notchBecomes(State::expanded));
    EXPECT_FALSE(controller->notch()->isHovering());

    approve("alpha");
    ASSERT_TRUE(notchBecomes(State::compact));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].decision, HookDecision::Decision::approve);
}

TEST_F(NotchControllerTest, APromptOpensTheListEvenBeforeTheFirstSessionWasShown) {
    start();
    ask("alpha");
    ASSERT_TRUE(notchBecomes(State::expanded));
    EXPECT_EQ(count("notch compact"), 0);
}

TEST_F(NotchControllerTest, ATapKeepsTheListOpenForAWhileAfterTheLatestTap) {
    startCompact();

    tap();
    probe("first tap's wait over", forced);
    ASSERT_TRUE(notchBecomes(State::expanded));
    // Tap again within the first tap's wait.
    probe("half way", forced / 2);
    ASSERT_TRUE(logged("half way"));
    probe("second tap's wait over", forced);
    tap();

    ASSERT_TRUE(logged("notch compact"));
    EXPECT_TRUE(ordered("second tap's wait over", "notch compact"))
        << "the second tap must restart the wait";
    EXPECT_EQ(count("notch compact"), 1);
}

TEST_F(NotchControllerTest, ATapWithoutSessionsShowsNothing) {
    start();
    tap();
    settle();
    EXPECT_EQ(controller->notch()->state(), State::hidden);
}

TEST_F(NotchControllerTest, TheListFoldsShortlyAfterThePointerLeaves) {
    startCompact();

    controller->notch()->updateHoverState(true);
    ASSERT_TRUE(notchBecomes(State::expanded));

    // Out and straight back in: the list stays.
    controller->notch()->updateHoverState(false);
    controller->notch()->updateHoverState(true);
    probe("collapse wait over", hoverCollapse * 2);
    ASSERT_TRUE(logged("collapse wait over"));
    EXPECT_EQ(controller->notch()->state(), State::expanded);

    probe("pointer gone a while", hoverCollapse);
    controller->notch()->updateHoverState(false);
    ASSERT_TRUE(logged("notch compact"));
    EXPECT_TRUE(ordered("pointer gone a while", "notch compact"));
}

TEST_F(NotchControllerTest, AFinishedSessionFlashesTheListOpen) {
    notify("beta");
    startCompact();

    probe("flash over", forced);
    finish("alpha");
    ASSERT_TRUE(notchBecomes(State::expanded));
    ASSERT_TRUE(logged("notch compact"));
    EXPECT_TRUE(ordered("flash over", "notch compact"));

    // The session leaving the just-finished list only lowers the count.
    ASSERT_TRUE(waitUntil([&] { return store.justFinished().empty(); }));
    settle();
    EXPECT_EQ(count("notch expanded"), 1);
    EXPECT_EQ(controller->notch()->state(), State::compact);
}

TEST_F(NotchControllerTest, OnAScreenWithoutNotchThePillShowsTheWingsAndTheHUD) {
    ::unsetenv(notchkit::NotchScreen::notchVariable);
    notify("alpha");
    start();
    settle();
    EXPECT_EQ(controller->currentMode(), Mode::compact);
    EXPECT_EQ(controller->notch()->state(), State::compact) << "the floating pill";

    keyboard.press(MediaKey::volumeUp);
    settle();
    EXPECT_EQ(controller->hudNotch()->state(), State::compact) << "the HUD's pill";
    EXPECT_EQ(controller->notch()->state(), State::hidden);
    ASSERT_TRUE(waitUntil([&] { return !controller->hud().active(); }));
    ASSERT_TRUE(notchBecomes(State::compact));

    ask("alpha");
    ASSERT_TRUE(notchBecomes(State::expanded));
    EXPECT_TRUE(controller->notch()->effectiveStyle(QGuiApplication::primaryScreen()).isFloating());
}

}  // namespace
}  // namespace halvane::test
