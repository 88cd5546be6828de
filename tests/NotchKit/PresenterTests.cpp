// The presenter's state machine: what each request does from each state, in
// what order, and when its caller is released.
#include <QSignalSpy>

#include <string>

#include "NotchKit/NotchPanel.h"
#include "PresenterFixture.h"

using namespace notchkit;
using namespace notchkit::test;

using Presenter = PresenterFixture;

TEST_F(Presenter, BuildsEachContentOnceInOrder) {
    std::string order;
    NotchPresenter presenter(
        {}, NotchStyle::automatic(),
        [&] {
            order += "E";
            return block(10, 10);
        },
        [&] {
            order += "L";
            return block(10, 10);
        },
        [&] {
            order += "T";
            return block(10, 10);
        },
        quickTimings());
    EXPECT_EQ(order, "ELT");
    EXPECT_EQ(presenter.state(), NotchState::hidden);
    EXPECT_EQ(presenter.panel(), nullptr);
    presenter.expand(screen());
    EXPECT_EQ(order, "ELT");
}

TEST_F(Presenter, ExpandOpensThePanelAtTheTopCentreAndReturnsOnceSettled) {
    auto presenter = makePresenter();
    const NotchCompletion done = presenter->expand(screen());
    EXPECT_EQ(presenter->state(), NotchState::expanded);
    EXPECT_FALSE(done.isFinished());
    NotchPanel* panel = presenter->panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    const QRect frame = screen()->geometry();
    EXPECT_EQ(panel->geometry(), QRect(frame.x() + frame.width() / 4, frame.y(), frame.width() / 2,
                                       frame.height() / 2));
    QSignalSpy spy(done.notifier(), &NotchCompletionState::finished);
    EXPECT_TRUE(spy.wait(2000));
    EXPECT_TRUE(waitUntil([&] { return panel->opacity() == 1; }));
}

TEST_F(Presenter, PanelIsAFramelessToolAboveOthersShownWithoutActivation) {
    auto presenter = makePresenter();
    presenter->expand(screen());
    NotchPanel* panel = presenter->panel();
    ASSERT_NE(panel, nullptr);
    const auto flags = panel->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(panel->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel->canBecomeKey());
    EXPECT_FALSE(flags & Qt::WindowDoesNotAcceptFocus);
}

TEST_F(Presenter, RequestingTheCurrentStateReturnsAtOnce) {
    useNotch();
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    NotchPanel* panel = presenter->panel();
    EXPECT_TRUE(presenter->expand(screen()).isFinished());
    EXPECT_EQ(presenter->panel(), panel);
    ASSERT_TRUE(finished(presenter->compact(screen())));
    ASSERT_TRUE(waitUntil([&] { return presenter->state() == NotchState::compact; }));
    EXPECT_TRUE(presenter->compact(screen()).isFinished());
    ASSERT_TRUE(finished(presenter->hide()));
    EXPECT_TRUE(presenter->hide().isFinished());
}

TEST_F(Presenter, ConvertingOnTheSameScreenPassesBrieflyThroughHidden) {
    useNotch();
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->compact(screen())));
    NotchPanel* panel = presenter->panel();
    states.clear();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    ASSERT_TRUE(waitUntil([&] { return presenter->state() == NotchState::expanded; }));
    EXPECT_EQ(states, (std::vector{NotchState::hidden, NotchState::expanded}));
    EXPECT_EQ(presenter->panel(), panel);  // converted in place

    states.clear();
    ASSERT_TRUE(finished(presenter->compact(screen())));
    ASSERT_TRUE(waitUntil([&] { return presenter->state() == NotchState::compact; }));
    EXPECT_EQ(states, (std::vector{NotchState::hidden, NotchState::compact}));
    EXPECT_EQ(presenter->panel(), panel);
}

TEST_F(Presenter, SkippingIntermediateHidesConvertsDirectly) {
    useNotch();
    auto presenter = makePresenter();
    NotchTransitionConfiguration configuration;
    configuration.skipIntermediateHides = true;
    presenter->setTransitionConfiguration(configuration);
    ASSERT_TRUE(finished(presenter->compact(screen())));
    states.clear();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    EXPECT_EQ(states, std::vector{NotchState::expanded});
}

TEST_F(Presenter, HideClosesTheWindowAfterTheDelayAndTheFade) {
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    const NotchCompletion hidden = presenter->hide();
    EXPECT_EQ(presenter->state(), NotchState::hidden);
    // The window lingers for the closing animation and the fade.
    EXPECT_NE(presenter->panel(), nullptr);
    EXPECT_TRUE(presenter->hasPendingClose());
    ASSERT_TRUE(finished(hidden));
    EXPECT_EQ(presenter->panel(), nullptr);
    EXPECT_FALSE(presenter->hasPendingClose());
}

TEST_F(Presenter, ExpandDuringTheCloseKeepsThePanelOpenAndReleasesTheHide) {
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    const NotchCompletion hidden = presenter->hide();
    const NotchCompletion expanded = presenter->expand(screen());
    // The superseded hide's caller is not left waiting.
    EXPECT_TRUE(hidden.isFinished());
    ASSERT_TRUE(finished(expanded));
    // Long past the original close: the panel stayed.
    QSignalSpy closes(presenter.get(), &NotchPresenter::panelChanged);
    EXPECT_FALSE(closes.wait(400));
    EXPECT_EQ(presenter->state(), NotchState::expanded);
    ASSERT_NE(presenter->panel(), nullptr);
    EXPECT_TRUE(presenter->panel()->isVisible());
}

TEST_F(Presenter, KeepVisibleHoldsAHideUntilThePointerLeaves) {
    auto presenter = makePresenter(NotchHoverOption::keepVisible);
    ASSERT_TRUE(finished(presenter->expand(screen())));
    presenter->updateHoverState(true);
    ASSERT_TRUE(presenter->isHovering());
    const NotchCompletion hidden = presenter->hide();
    QSignalSpy changes(presenter.get(), &NotchPresenter::stateChanged);
    EXPECT_FALSE(changes.wait(300));
    EXPECT_EQ(presenter->state(), NotchState::expanded);
    EXPECT_FALSE(hidden.isFinished());

    // A request in between does not stop the held hide.
    EXPECT_TRUE(presenter->expand(screen()).isFinished());
    presenter->updateHoverState(false);
    ASSERT_TRUE(finished(hidden));
    EXPECT_EQ(presenter->state(), NotchState::hidden);
    EXPECT_EQ(presenter->panel(), nullptr);
}

TEST_F(Presenter, WithoutHoverBehaviourHideIgnoresThePointer) {
    auto presenter = makePresenter(NotchHoverOption::none);
    ASSERT_TRUE(finished(presenter->expand(screen())));
    presenter->updateHoverState(true);
    presenter->hide();
    EXPECT_EQ(presenter->state(), NotchState::hidden);
    EXPECT_FALSE(presenter->isHovering());
}

TEST_F(Presenter, HoverChangesWhileHiddenAreIgnored) {
    auto presenter = makePresenter(NotchHoverOption::all);
    QSignalSpy hover(presenter.get(), &NotchPresenter::isHoveringChanged);
    presenter->updateHoverState(true);
    EXPECT_FALSE(presenter->isHovering());
    EXPECT_EQ(hover.count(), 0);
    presenter->expand(screen());
    presenter->updateHoverState(true);
    presenter->updateHoverState(true);
    EXPECT_EQ(hover.count(), 1);
}

TEST_F(Presenter, CompactOnAScreenWithoutANotchIsTheFloatingPill) {
    auto presenter = makePresenter();
    EXPECT_TRUE(presenter->effectiveStyle(screen()).isFloating());
    ASSERT_TRUE(finished(presenter->compact(screen())));
    EXPECT_EQ(presenter->state(), NotchState::compact);
    ASSERT_NE(presenter->panel(), nullptr);

    // The pill opens into the card in the same window.
    NotchPanel* pill = presenter->panel();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    EXPECT_EQ(presenter->state(), NotchState::expanded);
    EXPECT_EQ(presenter->panel(), pill);
}

TEST_F(Presenter, AnExpandedOnlyPresenterHidesOnCompact) {
    useNotch();
    NotchPresenter presenter(
        {}, NotchStyle::automatic(), [] { return block(100, 40); }, quickTimings());
    EXPECT_TRUE(presenter.disableCompactLeading());
    EXPECT_TRUE(presenter.disableCompactTrailing());
    ASSERT_TRUE(finished(presenter.expand(screen())));
    ASSERT_TRUE(finished(presenter.compact(screen())));
    EXPECT_EQ(presenter.state(), NotchState::hidden);
}

TEST_F(Presenter, DefaultSpringsDependOnTheStyle) {
    NotchPresenter notch({}, NotchStyle::notch(), nullptr, quickTimings());
    NotchPresenter floating({}, NotchStyle::floating(), nullptr, quickTimings());
    NotchPresenter automatic({}, NotchStyle::automatic(), nullptr, quickTimings());
    EXPECT_EQ(notch.effectiveOpeningAnimation(), Animation::spring(0.4, 0.7));
    EXPECT_EQ(floating.effectiveOpeningAnimation(), Animation::spring(0.4, 0.85));
    EXPECT_EQ(automatic.effectiveOpeningAnimation(), Animation::spring(0.4, 0.85));
    EXPECT_EQ(notch.effectiveClosingAnimation(), Animation::spring(0.4, 1.0));
    EXPECT_EQ(notch.effectiveConversionAnimation(), Animation::spring(0.4, 0.85));

    NotchTransitionConfiguration configuration;
    configuration.openingAnimation = Animation::easeOut(0.2);
    notch.setTransitionConfiguration(configuration);
    EXPECT_EQ(notch.effectiveOpeningAnimation(), Animation::easeOut(0.2));
    EXPECT_EQ(notch.effectiveClosingAnimation(), Animation::spring(0.4, 1.0));
}

TEST_F(Presenter, AScreenChangeRebuildsTheWindowAndKeepsTheState) {
    useNotch();
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->compact(screen())));
    NotchPanel* before = presenter->panel();
    QSignalSpy rebuilt(presenter.get(), &NotchPresenter::panelChanged);
    presenter->screenParametersChanged();
    EXPECT_GE(rebuilt.count(), 1);
    ASSERT_NE(presenter->panel(), nullptr);
    EXPECT_NE(presenter->panel(), before);
    EXPECT_TRUE(presenter->panel()->isVisible());
    EXPECT_EQ(presenter->state(), NotchState::compact);
    EXPECT_EQ(presenter->notchSize(), QSizeF(200, 32));
}

TEST_F(Presenter, ContentMovesIntoEachNewWindow) {
    auto presenter = makePresenter();
    QWidget* content = presenter->expandedContent();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    EXPECT_EQ(content->window(), presenter->panel());
    ASSERT_TRUE(finished(presenter->hide()));
    ASSERT_TRUE(finished(presenter->expand(screen())));
    EXPECT_EQ(content->window(), presenter->panel());
    EXPECT_TRUE(content->isVisibleTo(presenter->panel()));
}
