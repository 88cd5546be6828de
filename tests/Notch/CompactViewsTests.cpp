#include <numbers>

#include "Halvane/Notch/CompactLeading.h"
#include "Halvane/Notch/CompactTrailing.h"
#include "Halvane/Notch/Components/NumericText.h"
#include "Halvane/Notch/Components/TypingDots.h"
#include "Halvane/Notch/Components/WorkingChip.h"
#include "Halvane/Theme/NotchPalette.h"
#include "NotchViewsFixture.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

class CompactViewsTest : public NotchViewsTest {
protected:
    CompactViewsTest() {
        QObject::connect(&leading, &CompactLeading::tapped, [this] { ++taps; });
        QObject::connect(&trailing, &CompactTrailing::tapped, [this] { ++taps; });
    }

    CompactLeading leading{store};
    CompactTrailing trailing{store};
    int taps = 0;
};

const QColor kDefaultMarkColour = QColor::fromRgbF(0.95f, 0.55f, 0.3f, 1.0f);

}  // namespace

TEST_F(CompactViewsTest, AWaitingSessionTiltsAnOrangeMarkAndRingsTheBell) {
    notice("alpha");
    work("beta");
    ask("gamma", "Bash", R"({"command":"ls"})");
    EXPECT_EQ(leading.accent(), NotchPalette::systemOrange());
    EXPECT_EQ(leading.count()->text(), "3");
    EXPECT_DOUBLE_EQ(leading.rotation(), std::numbers::pi / 8);
    EXPECT_EQ(trailing.sign(), CompactTrailing::Sign::bell);
    EXPECT_TRUE(trailing.hasWorkingSession());
}

TEST_F(CompactViewsTest, WorkOutranksAFreshFinishOnTheRight) {
    finish("alpha");
    work("beta");
    EXPECT_EQ(leading.accent(), NotchPalette::systemGreen());
    EXPECT_DOUBLE_EQ(leading.rotation(), 0);
    EXPECT_EQ(trailing.sign(), CompactTrailing::Sign::working);
    EXPECT_EQ(trailing.sizeHint(), trailing.workingChip()->sizeHint());
}

TEST_F(CompactViewsTest, AFinishAloneShowsAGreenCheck) {
    finish("alpha");
    EXPECT_EQ(trailing.sign(), CompactTrailing::Sign::finished);
}

TEST_F(CompactViewsTest, QuietSessionsShowTheMarksOwnToneAndAnEllipsis) {
    notice("alpha");
    notice("beta");
    EXPECT_EQ(leading.accent(), kDefaultMarkColour);
    EXPECT_EQ(leading.count()->text(), "2");
    EXPECT_EQ(trailing.sign(), CompactTrailing::Sign::quiet);
    EXPECT_FALSE(trailing.hasWorkingSession());
}

TEST_F(CompactViewsTest, ATapOnEitherWingOpensTheNotch) {
    notice("alpha");
    leading.resize(leading.sizeHint());
    trailing.resize(trailing.sizeHint());
    QTest::mouseClick(&leading, Qt::LeftButton);
    QTest::mouseClick(&trailing, Qt::LeftButton);
    EXPECT_EQ(taps, 2);
    // A press that is dragged off the wing is not a tap.
    QTest::mousePress(&leading, Qt::LeftButton);
    QTest::mouseRelease(&leading, Qt::LeftButton, Qt::NoModifier, QPoint(-20, -20));
    EXPECT_EQ(taps, 2);
}

TEST_F(CompactViewsTest, TheCountRollsToItsNewValueWhileShown) {
    notice("alpha");
    leading.resize(leading.sizeHint());
    leading.show();
    notice("beta");
    EXPECT_EQ(leading.count()->text(), "2");
    EXPECT_TRUE(leading.count()->isRolling());
    ASSERT_TRUE(waitUntil([&] { return !leading.count()->isRolling(); }));
    EXPECT_EQ(leading.count()->value(), 2);
}

TEST_F(CompactViewsTest, TheTiltSpringsWhileShown) {
    notice("alpha");
    leading.show();
    ask("alpha", "Bash", R"({"command":"ls"})");
    EXPECT_LT(leading.rotation(), std::numbers::pi / 8);
    ASSERT_TRUE(waitUntil([&] { return leading.rotation() == std::numbers::pi / 8; }));
}

TEST(CompactAnimations, TheRingGrowsAndFadesOutAndTheBellDims) {
    EXPECT_DOUBLE_EQ(CompactLeading::ringScaleAt(0), 1.0);
    EXPECT_DOUBLE_EQ(CompactLeading::ringScaleAt(1), 1.6);
    EXPECT_DOUBLE_EQ(CompactLeading::ringOpacityAt(0), 0.8);
    EXPECT_DOUBLE_EQ(CompactLeading::ringOpacityAt(1), 0.0);
    EXPECT_DOUBLE_EQ(CompactTrailing::bellOpacityAt(0), 1.0);
    EXPECT_LT(CompactTrailing::bellOpacityAt(0.5), 0.5);
    EXPECT_DOUBLE_EQ(CompactTrailing::bellOpacityAt(1), 1.0);
}

TEST(TypingDotsTest, StepsThroughItsDotsWhileShown) {
    guiApplication();
    TypingDots dots(Qt::white, nullptr, 5ms);
    EXPECT_EQ(dots.phase(), 0);
    EXPECT_EQ(dots.sizeHint(), QSize(13, 3));
    dots.show();
    ASSERT_TRUE(waitUntil([&] { return dots.phase() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return dots.phase() == 2; }));
    ASSERT_TRUE(waitUntil([&] { return dots.phase() == 0; }));
    EXPECT_TRUE(dots.isStepping());
    dots.hide();
    EXPECT_FALSE(dots.isStepping());
}
