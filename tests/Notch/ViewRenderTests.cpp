#include <fstream>

#include "Halvane/Notch/Cards/PromptCard.h"
#include "Halvane/Notch/CompactLeading.h"
#include "Halvane/Notch/CompactTrailing.h"
#include "Halvane/Notch/Components/CodeBlock.h"
#include "Halvane/Notch/Components/DiffLineView.h"
#include "Halvane/Notch/Components/NotchActionButton.h"
#include "Halvane/Notch/ExpandedView.h"
#include "Halvane/Notch/SessionList/SessionListCard.h"
#include "Halvane/Notch/SessionList/SessionRow.h"
#include "Halvane/Notch/SessionList/SessionStatusBadge.h"
#include "Halvane/Notch/SessionList/StatusChip.h"
#include "Halvane/Theme/NotchPalette.h"
#include "NotchViewsFixture.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

constexpr int kInset = 15;

// The notch's black surface with `content` on it, as the panel draws it.
class NotchStage final {
public:
    explicit NotchStage(QWidget* content) : m_stage(std::make_unique<QWidget>()) {
        guiApplication();
        QPalette palette = m_stage->palette();
        palette.setColor(QPalette::Window, Qt::black);
        m_stage->setPalette(palette);
        m_stage->setAutoFillBackground(true);
        content->setParent(m_stage.get());
        content->move(kInset, kInset);
        m_content = content;
        fit();
        m_stage->show();
    }

    void fit() {
        const QSize size =
            m_content->hasHeightForWidth() && m_content->width() > 0
                ? QSize(m_content->width(), m_content->heightForWidth(m_content->width()))
                : m_content->sizeHint();
        m_content->resize(size);
        m_stage->resize(size + QSize(2 * kInset, 2 * kInset));
    }

    // Lets every pending layout settle, refits, and takes the picture.
    QImage render(const QString& name) {
        for (int pass = 0; pass < 3; ++pass) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            fit();
        }
        return halvane::test::render(*m_stage, name);
    }
    QPoint at(const QWidget* widget, QPoint point) const {
        return widget->mapTo(m_stage.get(), point);
    }

private:
    std::unique_ptr<QWidget> m_stage;
    QWidget* m_content;
};

template <typename Child>
Child* visibleChild(const QWidget* parent) {
    for (Child* child : parent->findChildren<Child*>()) {
        if (child->isVisibleTo(parent->window())) {
            return child;
        }
    }
    return nullptr;
}

SessionRow* rowOf(const SessionListCard& card, const std::string& id) {
    for (SessionRow* row : card.rows()) {
        if (row->session().id == id) {
            return row;
        }
    }
    return nullptr;
}

const QColor kBlack(Qt::black);

}  // namespace

TEST_F(NotchViewsTest, TheListShowsAnAccentBadgeAndAGreenDoneChip) {
    ask("checkout-api", "Bash", R"({"command":"npm test"})", 40s);
    work("engine", 5s);
    finish("docs-site", 75s);
    notice("infra", 3h);
    auto* card = new SessionListCard(store, std::nullopt, ExpandedView::kRowSpacing,
                                     ExpandedView::kVisibleRowLimit, nullptr, clock);
    card->resize(ExpandedView::kListCardWidth - 2 * ExpandedView::kCardPadding, 10);
    NotchStage stage(card);
    card->handleTap(*store.allSorted().begin());
    ASSERT_TRUE(waitUntil([&] {
        const auto rows = card->rows();
        return std::none_of(rows.begin(), rows.end(),
                            [](const SessionRow* row) { return row->isAnimating(); });
    }));
    stage.fit();
    const QImage image = stage.render("session-list");

    SessionRow* waiting = rowOf(*card, "checkout-api");
    ASSERT_NE(waiting, nullptr);
    const auto* badge = visibleChild<SessionStatusBadge>(waiting);
    ASSERT_NE(badge, nullptr);
    ASSERT_EQ(badge->status(), SessionUIStatus::waiting);
    // The badge's edge, clear of its icon: accent over the row's faint fill.
    // Its glow shows faintly through the tile, so allow a little more than rounding.
    const QColor badgePixel = image.pixelColor(stage.at(badge, QPoint(4, 14)));
    EXPECT_TRUE(near(badgePixel, NotchPalette::accent(), 10))
        << describe(badgePixel) << " vs " << describe(NotchPalette::accent());

    SessionRow* done = rowOf(*card, "docs-site");
    ASSERT_NE(done, nullptr);
    const auto* chip = visibleChild<StatusChip>(done);
    ASSERT_NE(chip, nullptr);
    ASSERT_EQ(chip->status(), SessionUIStatus::done);
    const QColor rowFill = over(SessionRow::backgroundFill(false, false), kBlack);
    const QColor greenChip =
        over(NotchPalette::withOpacity(NotchPalette::systemGreen(), 0.14), rowFill);
    const QColor chipPixel = image.pixelColor(stage.at(chip, QPoint(3, chip->height() / 2)));
    EXPECT_TRUE(near(chipPixel, greenChip)) << describe(chipPixel) << " vs " << describe(greenChip);
    // Its word is drawn in green too.
    const QRect chipArea(stage.at(chip, QPoint(0, 0)), chip->size());
    EXPECT_GT(
        countPixels(image, chipArea,
                    [](const QColor& c) { return c.green() > 120 && c.green() > c.red() + 60; }),
        10);

    // The unfolded row is tinted with the accent.
    SessionRow* unfolded = rowOf(*card, "engine");
    ASSERT_TRUE(unfolded->isExpanded());
    const QColor tinted = over(SessionRow::backgroundFill(true, false), kBlack);
    const QColor unfoldedPixel =
        image.pixelColor(stage.at(unfolded, QPoint(unfolded->width() / 2, 3)));
    EXPECT_TRUE(near(unfoldedPixel, tinted))
        << describe(unfoldedPixel) << " vs " << describe(tinted);
}

TEST_F(NotchViewsTest, AnEditShowsRedRemovedAndGreenAddedLines) {
    TempDir folder("render");
    const auto path = folder / "session.ts";
    {
        std::ofstream file(path);
        for (int line = 1; line < 128; ++line) {
            file << "// " << line << "\n";
        }
        file << "export function timeout(ms: number) {\n  return ms * 1000;\n}\n";
    }
    const nlohmann::json input = {
        {"file_path", path.string()},
        {"old_string", "export function timeout(ms: number) {\n  return ms * 1000;\n}"},
        {"new_string",
         "export function timeout(seconds: number): number {\n"
         "  return Math.max(0, seconds) * 1000;\n}"}};
    ask("checkout-api", "Edit", input.dump(), 8s);
    auto* view = new ExpandedView(store, clock);
    NotchStage stage(view);
    ASSERT_NE(view->promptCard(), nullptr);
    const QImage image = stage.render("prompt-edit");

    const CodeBlock* block = view->promptCard()->codeBlock();
    ASSERT_NE(block, nullptr);
    const auto lines = block->lineViews();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.front()->line().lineNumber, 128);
    const auto tintAt = [&](const DiffLineView* line) {
        return image.pixelColor(stage.at(line, QPoint(line->width() - 6, line->height() / 2)));
    };
    const QColor red = over(NotchPalette::withOpacity(NotchPalette::systemRed(), 0.1), kBlack);
    const QColor green = over(NotchPalette::withOpacity(NotchPalette::systemGreen(), 0.1), kBlack);
    EXPECT_TRUE(near(tintAt(lines[0]), red))
        << describe(tintAt(lines[0])) << " vs " << describe(red);
    EXPECT_TRUE(near(tintAt(lines[3]), green))
        << describe(tintAt(lines[3])) << " vs " << describe(green);

    const NotchActionButton* approve = view->promptCard()->actionButtons().front();
    const QColor approvePixel =
        image.pixelColor(stage.at(approve, QPoint(6, approve->height() / 2)));
    const QColor filled = over(NotchPalette::withOpacity(NotchPalette::accent(), 0.95), kBlack);
    EXPECT_TRUE(near(approvePixel, filled, 6))
        << describe(approvePixel) << " vs " << describe(filled);
}

TEST_F(NotchViewsTest, PromptCardsForACommandAQuestionAndANotification) {
    ask("engine", "Bash",
        R"({"command":"cmake -S . -B build -G Ninja\ncmake --build build -j8","description":"Configure and build the project"})",
        3s);
    auto* bashView = new ExpandedView(store, clock);
    NotchStage bashStage(bashView);
    const QImage bash = bashStage.render("prompt-bash");
    ASSERT_NE(bashView->promptCard(), nullptr);
    const CodeBlock* block = bashView->promptCard()->codeBlock();
    ASSERT_NE(block, nullptr);
    // The "$" prompts are drawn in the accent colour.
    const QRect gutter(bashStage.at(block->lineViews()[0], QPoint(34, 0)), QSize(10, 14));
    EXPECT_GT(countPixels(bash, gutter,
                          [](const QColor& c) { return c.red() > 150 && c.red() > c.blue() + 60; }),
              3);
    store.resolve("engine", HookDecision{HookDecision::Decision::approve});

    ask("docs-site", "AskUserQuestion",
        R"({"questions":[{"question":"Which static site generator should the docs use?","header":"Docs","multiSelect":false,"options":[{"label":"Astro","description":"Content-first"},{"label":"Docusaurus","description":"React-based"},{"label":"MkDocs","description":"Python, Markdown"}]}]})");
    auto* questionView = new ExpandedView(store, clock);
    NotchStage questionStage(questionView);
    questionStage.render("prompt-question");
    ASSERT_NE(questionView->promptCard(), nullptr);
    EXPECT_EQ(questionView->promptCard()->optionButtons().size(), 3u);
    store.resolve("docs-site", HookDecision{HookDecision::Decision::approve});

    Session session;
    session.id = "infra";
    session.cwd = "/home/ada/src/infra";
    session.lastEvent = now - 2min;
    session.lastModel = "claude-opus-4-1";
    HookEvent note;
    note.kind = HookEvent::Kind::notification;
    note.sessionId = "infra";
    note.message = "Claude is waiting for your input\nThe migration plan is ready for review.";
    note.suggestions = std::vector<std::string>{"Looks good, apply it", "Show the SQL first"};
    auto* card =
        new PromptCard(session, PendingPrompt{QUuid::createUuid(), note, {}}, 1, nullptr, clock);
    card->resize(ExpandedView::kPromptCardWidth - 2 * ExpandedView::kCardPadding, 10);
    NotchStage noteStage(card);
    noteStage.render("prompt-notification");
    EXPECT_EQ(card->suggestionChips().size(), 2u);
}

TEST_F(NotchViewsTest, AnUnfoldedRowPreviewsTheLastRequest) {
    Session session;
    session.id = "s1";
    session.cwd = "/home/ada/src/checkout-api";
    session.status = SessionStatus::working();
    session.lastEvent = now - 4min;
    session.lastTerminalId = "com.microsoft.VSCode";
    session.lastUserMessage =
        "Add retries with exponential backoff to the payment client and cover them with tests";
    auto* row = new SessionRow(session, true, nullptr, clock);
    row->resize(ExpandedView::kListCardWidth - 2 * ExpandedView::kCardPadding - 28, 10);
    NotchStage stage(row);
    const QImage image = stage.render("session-row-unfolded");
    EXPECT_GT(row->height(), 70);
    // The collapse button's disc sits in the top corner.
    const QPoint corner = stage.at(row, QPoint(row->width() - 17, 17));
    EXPECT_GT(image.pixelColor(corner).lightness(), 20);
}

TEST_F(NotchViewsTest, TheWingsDrawTheirSigns) {
    notice("alpha");
    ask("beta", "Bash", R"({"command":"ls"})");
    auto* leading = new CompactLeading(store);
    NotchStage left(leading);
    const QImage leftImage = left.render("compact-leading");
    // The mark is orange while someone waits.
    const QRect mark(left.at(leading, QPoint(8, 0)), QSize(16, leading->height()));
    EXPECT_GT(countPixels(leftImage, mark,
                          [](const QColor& c) { return c.red() > 180 && c.blue() < 90; }),
              5);

    auto* trailing = new CompactTrailing(store);
    NotchStage right(trailing);
    right.render("compact-trailing-bell");
    EXPECT_EQ(trailing->sign(), CompactTrailing::Sign::bell);
}
