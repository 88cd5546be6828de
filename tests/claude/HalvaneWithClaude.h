#pragma once

// The whole chain as a user has it: the real Claude Code, with the hooks the
// real Halvane installed, asks through the real relay, and the app's card on
// a real X server answers. The model is a MockMessagesApi; the card is read
// and clicked through the accessibility bus, and pressed with the keyboard.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <QPoint>
#include <QRect>
#include <QString>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AccessibilityBus.h"
#include "AppProcess.h"
#include "ClaudeCli.h"
#include "ClaudeTui.h"
#include "MockMessagesApi.h"
#include "TempDir.h"
#include "XvfbSession.h"

namespace halvane::test {

class HalvaneWithClaude : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // `claude -p <prompt>` in the project, in the background.
    std::future<ChildResult> printInBackground(const std::string& prompt,
                                               const std::vector<std::string>& arguments = {});

    // Where the element of the app's window named `name` is on screen.
    std::optional<QRect> onScreen(const QString& name);
    // A card is up: every card offers Deny.
    bool cardShown();
    // Waits until a card is up and has stopped moving.
    bool waitForCard();
    bool waitForNoCard(std::chrono::milliseconds limit = std::chrono::seconds(15));
    // Gives the panel the keyboard, as a click on the card's rim does, and
    // presses `key` (xdotool's name: "a", "alt+a").
    void pressOnCard(const std::string& key);
    // Clicks the element of the card named `name`, once the card is at rest.
    bool clickOnCard(const QString& name);
    // Clicks the notch at point, which must take clicks there.
    static bool clickOnNotchAt(QPoint point);

    // How many requests of the given kind the app was sent ("permissionRequest").
    int eventsReceived(const std::string& kind) const;
    std::string appLog() const;

    // The relays Claude Code runs under process `claude` right now.
    static std::vector<pid_t> relaysUnder(pid_t claude);
    // The pid of the TUI's Claude Code.
    static pid_t claudeOf(const ClaudeTui& tui);

    // A text of the tool_result the model was sent for the call in the
    // turnNumber-th turn, and whether it was an error.
    std::string resultText(std::size_t turnNumber) const;
    bool resultIsError(std::size_t turnNumber) const;

    // What the test should report on a failure.
    std::string context() const;

    MockMessagesApi m_api;
    ClaudeCli m_cli{m_api.baseUrl()};
    std::unique_ptr<XvfbSession> m_display;
    std::unique_ptr<AccessibilityBus> m_accessibility;
    std::unique_ptr<TempDir> m_home;
    std::unique_ptr<AppProcess> m_app;
    ino_t m_socketInode = 0;
};

}  // namespace halvane::test
