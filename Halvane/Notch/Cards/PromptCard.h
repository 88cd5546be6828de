#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <vector>

#include "Halvane/Notch/Cards/PromptAction.h"
#include "Halvane/Notch/Cards/PromptCardText.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/PendingPrompt.h"
#include "Halvane/Sessions/Session.h"
#include "HalvaneProtocol/HookDecision.h"

namespace halvane {

class CardHeader;
class CodeBlock;
class NotchActionButton;
class QuestionForm;
class QuestionOptionButton;
class SuggestionChip;

// The card for one prompt a session waits on: what Claude Code asks (a
// command, a diff, a file, a question, a notification) and the buttons that
// answer it. Answers leave through decided() and alwaysAllowed(); picking an
// answer or a suggestion also types it into the session's terminal.
class PromptCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kAgeRefresh{1};

    PromptCard(Session session, PendingPrompt prompt, int pendingCount, QWidget* parent = nullptr,
               Clock clock = Clock());

    const Session& session() const { return m_session; }
    const PendingPrompt& prompt() const { return m_prompt; }
    int pendingCount() const { return m_pendingCount; }

    CardHeader* header() const { return m_header; }
    const std::vector<NotchActionButton*>& actionButtons() const { return m_buttons; }
    const std::vector<QuestionOptionButton*>& optionButtons() const;
    // The questions answered on the card, when Claude Code takes answers
    // with the approval; null otherwise.
    QuestionForm* questionForm() const { return m_form; }
    const std::vector<SuggestionChip*>& suggestionChips() const { return m_suggestions; }
    // The command or diff block, when the prompt shows one.
    CodeBlock* codeBlock() const { return m_codeBlock; }

    // The session did something new while the prompt waits: only its age changes.
    void setLastEvent(Timestamp lastEvent);
    // Runs what the button of that kind does, as a click or its key would.
    void perform(PromptAction::Kind kind);
    // Picks the option at `index` (from 0) of the first question.
    void choose(int index);
    void pickSuggestion(const QString& suggestion);
    // Gives up the keyboard shortcuts and ignores input, for a card on its way out.
    void retire();

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    // The user answered the prompt. Receivers may tear the card down.
    void decided(const halvane::HookDecision& decision);
    // The user chose to always allow what the prompt asks.
    void alwaysAllowed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildBody();
    QWidget* buildToolSection(const nlohmann::json& input);
    QWidget* buildActionRow();
    void refreshAge();

    Session m_session;
    PendingPrompt m_prompt;
    int m_pendingCount;
    Clock m_clock;
    PromptCardText::PathContext m_paths;
    CardHeader* m_header = nullptr;
    CodeBlock* m_codeBlock = nullptr;
    std::vector<NotchActionButton*> m_buttons;
    std::vector<QuestionOptionButton*> m_options;
    QuestionForm* m_form = nullptr;
    std::vector<SuggestionChip*> m_suggestions;
    QTimer m_ageTimer;
};

}  // namespace halvane
