#include "Halvane/Notch/Cards/PromptCard.h"

#include <QDir>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Halvane/Notch/Cards/PromptCodeLines.h"
#include "Halvane/Notch/Cards/QuestionForm.h"
#include "Halvane/Notch/Cards/QuestionOptionButton.h"
#include "Halvane/Notch/Cards/SuggestionChip.h"
#include "Halvane/Notch/Components/CardContent.h"
#include "Halvane/Notch/Components/CardHeader.h"
#include "Halvane/Notch/Components/CodeBlock.h"
#include "Halvane/Notch/Components/IconBadge.h"
#include "Halvane/Notch/Components/NotchActionButton.h"
#include "Halvane/Notch/Components/NotchCardBackground.h"
#include "Halvane/Terminals/Focus/TerminalFocusService.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchText.h"

namespace halvane {

namespace {

constexpr int kCardPadding = 14;
constexpr int kSectionSpacing = 12;
constexpr int kBodySpacing = 8;
constexpr int kDiffLineSpacing = 2;
constexpr int kMessageLines = 4;

HookDecision decision(HookDecision::Decision verdict,
                      std::optional<std::string> reason = std::nullopt,
                      std::optional<std::string> picked = std::nullopt) {
    return HookDecision{verdict, std::move(reason), std::move(picked)};
}

QVBoxLayout* column(QWidget* host, int spacing) {
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace

PromptCard::PromptCard(Session session, PendingPrompt prompt, int pendingCount, QWidget* parent,
                       Clock clock)
    : QWidget(parent),
      m_session(std::move(session)),
      m_prompt(std::move(prompt)),
      m_pendingCount(pendingCount),
      m_clock(std::move(clock)),
      m_paths{QString::fromStdString(m_session.cwd), QDir::homePath()} {
    setAttribute(Qt::WA_TranslucentBackground);
    const HookEvent& event = m_prompt.event;
    m_header = new CardHeader(
        PromptCardText::headerTitle(event),
        PromptCardText::headerSubtitle(event, m_session.lastModel, m_pendingCount, m_paths) +
            (m_session.remoteHost
                 ? QStringLiteral(" · on ") + QString::fromStdString(*m_session.remoteHost)
                 : QString()),
        PromptCardText::timeAgo(m_session.lastEvent, m_clock.now()),
        {NotchFonts::rounded(11, QFont::Medium), 1, 2});

    auto* content = new CardContent;
    QVBoxLayout* layout = column(content, kSectionSpacing);
    layout->setContentsMargins(kCardPadding, kCardPadding, kCardPadding, kCardPadding);
    layout->addWidget(m_header);
    if (PromptCardText::hasBody(event)) {
        if (QWidget* body = buildBody()) {
            layout->addWidget(body);
        }
    }
    layout->addWidget(buildActionRow());
    content->addGlow(m_header->badge(), m_header->badgeGlow(), m_header->badge()->corner());
    for (NotchActionButton* button : m_buttons) {
        if (const auto glow = button->glow()) {
            content->addGlow(button, *glow, NotchButtonStyle::kCornerRadius);
        }
    }

    auto* outer = column(this, 0);
    outer->addWidget(new NotchCardBackground(content));

    m_ageTimer.setInterval(kAgeRefresh);
    connect(&m_ageTimer, &QTimer::timeout, this, &PromptCard::refreshAge);
}

QWidget* PromptCard::buildBody() {
    const HookEvent& event = m_prompt.event;
    auto* body = new QWidget;
    QVBoxLayout* layout = column(body, kBodySpacing);
    if (event.message) {
        auto* message = new NotchText(QString::fromStdString(*event.message),
                                      NotchFonts::rounded(12), QColor::fromRgbF(1, 1, 1, 0.85f));
        message->setMaxLines(kMessageLines);
        layout->addWidget(message);
    }
    if (event.tool) {
        if (QWidget* section = buildToolSection(PromptCardText::parseJSON(event.toolInput))) {
            layout->addWidget(section);
        }
    }
    if (event.kind == HookEvent::Kind::notification && event.suggestions &&
        !event.suggestions->empty()) {
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        for (const std::string& suggestion : *event.suggestions) {
            auto* chip = new SuggestionChip(QString::fromStdString(suggestion));
            connect(chip, &QAbstractButton::clicked, this,
                    [this, text = chip->suggestion()] { pickSuggestion(text); });
            m_suggestions.push_back(chip);
            row->addWidget(chip);
        }
        row->addStretch(1);
        layout->addLayout(row);
    }
    if (layout->isEmpty()) {
        delete body;
        return nullptr;
    }
    return body;
}

QWidget* PromptCard::buildToolSection(const nlohmann::json& input) {
    const std::string& tool = *m_prompt.event.tool;
    if (tool == "AskUserQuestion" && m_prompt.event.kind == HookEvent::Kind::permissionRequest &&
        QuestionForm::canAsk(input)) {
        // Claude Code takes the answers with the approval: nothing is typed.
        m_form = new QuestionForm(input);
        connect(m_form, &QuestionForm::answered, this, [this](const QString& updatedInput) {
            if (!isEnabled()) {
                return;
            }
            HookDecision approval = decision(HookDecision::Decision::approve);
            approval.updatedInput = updatedInput.toStdString();
            emit decided(approval);
        });
        return m_form;
    }
    // Options are answered by typing into the session's terminal, which is
    // not on this machine for a remote session: it is answered there.
    if (tool == "AskUserQuestion" && !m_session.remoteHost) {
        const auto labels = PromptCardText::askQuestionOptions(input);
        if (!labels) {
            return nullptr;
        }
        auto* section = new QWidget;
        QVBoxLayout* layout = column(section, kBodySpacing);
        // The options alone do not say what is asked; a message would.
        if (const auto question = PromptCardText::askQuestionText(input);
            question && !m_prompt.event.message) {
            auto* text = new NotchText(*question, NotchFonts::rounded(12, QFont::Medium),
                                       QColor::fromRgbF(1, 1, 1, 0.92f));
            text->setMaxLines(kMessageLines);
            layout->addWidget(text);
        }
        auto* options = new QVBoxLayout;
        options->setSpacing(6);
        for (int index = 0; index < labels->size(); ++index) {
            auto* option = new QuestionOptionButton(index, labels->at(index));
            connect(option, &QAbstractButton::clicked, this, [this, index] { choose(index); });
            m_options.push_back(option);
            options->addWidget(option);
        }
        layout->addLayout(options);
        return section;
    }
    if (tool == "Edit" || tool == "MultiEdit" || tool == "Write") {
        const auto lines = PromptCodeLines::diffLines(tool, input, m_session.cwd);
        // Nothing to compare (the input could not be read): no empty well.
        return lines.empty() ? nullptr : (m_codeBlock = new CodeBlock(lines, kDiffLineSpacing));
    }
    if (tool == "Bash") {
        auto* section = new QWidget;
        QVBoxLayout* layout = column(section, 6);
        if (const auto lines = PromptCodeLines::commandLines(input); !lines.empty()) {
            m_codeBlock = new CodeBlock(lines, kDiffLineSpacing);
            layout->addWidget(m_codeBlock);
        }
        if (const auto description = PromptCodeLines::commandDescription(input)) {
            auto* text =
                new NotchText(*description, NotchFonts::rounded(11), NotchPalette::mutedText());
            text->setMaxLines(0);
            layout->addWidget(text);
        }
        if (layout->isEmpty()) {
            delete section;
            return nullptr;
        }
        return section;
    }
    if (const auto path = PromptCardText::filePath(input)) {
        m_codeBlock =
            new CodeBlock({PromptCodeLines::pathLine(PromptCardText::shortPath(*path, m_paths))},
                          kDiffLineSpacing);
        return m_codeBlock;
    }
    return nullptr;
}

QWidget* PromptCard::buildActionRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (const PromptAction& action : PromptCardText::actionButtons(m_prompt.event)) {
        auto* button = new NotchActionButton(action.label, action.style, action.shortcut);
        connect(button, &QAbstractButton::clicked, this,
                [this, kind = action.kind] { perform(kind); });
        if (action.kind == PromptAction::Kind::always) {
            button->setToolTip(PromptCardText::alwaysTooltip(m_prompt.event));
        }
        m_buttons.push_back(button);
        layout->addWidget(button, 0, Qt::AlignVCenter);
    }
    layout->addStretch(1);
    return row;
}

void PromptCard::perform(PromptAction::Kind kind) {
    if (!isEnabled()) {
        return;
    }
    // Answering rebuilds the notch around this card: nothing here touches the
    // card after a signal is out.
    switch (kind) {
        case PromptAction::Kind::approve:
            emit decided(decision(HookDecision::Decision::approve));
            return;
        case PromptAction::Kind::deny:
            emit decided(decision(HookDecision::Decision::deny, "User denied"));
            return;
        case PromptAction::Kind::always:
            emit alwaysAllowed();
            return;
        case PromptAction::Kind::jump:
            TerminalFocusService::jump(m_session);
            emit decided(decision(HookDecision::Decision::passthrough));
            return;
        case PromptAction::Kind::dismiss:
            emit decided(decision(HookDecision::Decision::passthrough));
            return;
    }
}

void PromptCard::choose(int index) {
    if (!isEnabled()) {
        return;
    }
    if (m_form != nullptr) {
        m_form->choose(0, index);
        return;
    }
    // Copies: the approval may tear the card down before the answer is typed.
    const Session session = m_session;
    const HookDecision approve = decision(HookDecision::Decision::approve);
    // The approval goes out first and the answer is typed after it; the way
    // in is opened before, since the approval ends the relay.
    TerminalFocusService::sendKeystrokes(PromptCardText::optionReply(index), session,
                                         [this, &approve] { emit decided(approve); });
}

void PromptCard::pickSuggestion(const QString& suggestion) {
    if (!isEnabled()) {
        return;
    }
    const std::string text = suggestion.toStdString();
    TerminalFocusService::sendKeystrokes(PromptCardText::suggestionReply(text), m_session);
    emit decided(decision(HookDecision::Decision::passthrough, std::nullopt, text));
}

const std::vector<QuestionOptionButton*>& PromptCard::optionButtons() const {
    return m_form != nullptr ? m_form->optionButtons() : m_options;
}

void PromptCard::retire() {
    for (NotchActionButton* button : m_buttons) {
        button->releaseShortcut();
    }
    setEnabled(false);
    m_ageTimer.stop();
}

void PromptCard::setLastEvent(Timestamp lastEvent) {
    m_session.lastEvent = lastEvent;
    refreshAge();
}

void PromptCard::refreshAge() {
    m_header->trailing()->setText(PromptCardText::timeAgo(m_session.lastEvent, m_clock.now()));
}

QSize PromptCard::sizeHint() const {
    const int width = QWidget::sizeHint().width();
    return QSize(width, heightForWidth(width));
}

int PromptCard::heightForWidth(int width) const {
    // A layout without wrapping text has one height whatever the width.
    const QLayout* column = layout();
    return column->hasHeightForWidth() ? column->totalHeightForWidth(width)
                                       : column->totalSizeHint().height();
}

void PromptCard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshAge();
    if (isEnabled()) {
        m_ageTimer.start();
    }
}

void PromptCard::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_ageTimer.stop();
}

}  // namespace halvane
