#include "Halvane/Notch/Cards/QuestionForm.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "Halvane/Notch/Cards/QuestionOptionButton.h"
#include "Halvane/Notch/Components/NotchActionButton.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchText.h"

namespace halvane {

namespace {

constexpr int kQuestionSpacing = 10;
constexpr int kOptionSpacing = 6;
constexpr int kQuestionLines = 4;

std::string stringOf(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool isAskable(const nlohmann::json& question) {
    if (!question.is_object() || stringOf(question, "question").empty()) {
        return false;
    }
    const auto options = question.find("options");
    return options != question.end() && options->is_array();
}

}  // namespace

bool QuestionForm::canAsk(const nlohmann::json& input) {
    if (!input.is_object()) {
        return false;
    }
    const auto questions = input.find("questions");
    return questions != input.end() && questions->is_array() && !questions->empty() &&
           std::all_of(questions->begin(), questions->end(), isAskable);
}

QuestionForm::QuestionForm(nlohmann::json input, QWidget* parent)
    : QWidget(parent), m_input(std::move(input)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kQuestionSpacing);
    if (!canAsk(m_input)) {
        return;
    }
    const nlohmann::json& questions = m_input["questions"];
    m_questions.reserve(questions.size());
    for (std::size_t number = 0; number < questions.size(); ++number) {
        layout->addWidget(buildQuestion(questions[number], static_cast<int>(number)));
    }
    if (!answersOnFirstClick()) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        m_submit = new NotchActionButton(QStringLiteral("Submit"), NotchActionStyle::primary,
                                         std::nullopt);
        connect(m_submit, &QAbstractButton::clicked, this, &QuestionForm::submit);
        row->addWidget(m_submit);
        row->addStretch(1);
        layout->addLayout(row);
        refreshSubmit();
    }
}

QWidget* QuestionForm::buildQuestion(const nlohmann::json& question, int number) {
    Question& entry = m_questions.emplace_back();
    entry.text = stringOf(question, "question");
    const auto multi = question.find("multiSelect");
    entry.multiSelect = multi != question.end() && multi->is_boolean() && multi->get<bool>();

    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kOptionSpacing);
    QString heading = QString::fromStdString(entry.text);
    if (entry.multiSelect) {
        heading += QStringLiteral(" (choose any)");
    }
    auto* text = new NotchText(heading, NotchFonts::rounded(12, QFont::Medium),
                               QColor::fromRgbF(1, 1, 1, 0.92f));
    text->setMaxLines(kQuestionLines);
    layout->addWidget(text);

    int index = 0;
    for (const nlohmann::json& option : question["options"]) {
        const std::string label = option.is_object() ? stringOf(option, "label") : std::string();
        if (label.empty()) {
            continue;
        }
        auto* button = new QuestionOptionButton(index, QString::fromStdString(label));
        button->setCheckable(true);
        connect(button, &QAbstractButton::clicked, this,
                [this, number, index] { pick(number, index, true); });
        entry.options.push_back(button);
        m_allOptions.push_back(button);
        layout->addWidget(button);
        ++index;
    }

    entry.other = new QLineEdit;
    entry.other->setPlaceholderText(QStringLiteral("Other answer…"));
    entry.other->setFont(NotchFonts::rounded(12));
    entry.other->setStyleSheet(
        QStringLiteral("QLineEdit { color: white; background: %1; border: 1px solid %2;"
                       " border-radius: 8px; padding: 5px 8px; }")
            .arg(NotchPalette::chipFill().name(QColor::HexArgb),
                 NotchPalette::codeStroke().name(QColor::HexArgb)));
    connect(entry.other, &QLineEdit::textEdited, this,
            [this, number](const QString& typed) { setOtherText(number, typed); });
    connect(entry.other, &QLineEdit::returnPressed, this, [this] { submit(); });
    layout->addWidget(entry.other);
    return section;
}

QLineEdit* QuestionForm::otherField(int question) const {
    return question >= 0 && question < questionCount() ? m_questions[question].other : nullptr;
}

bool QuestionForm::answersOnFirstClick() const {
    return m_questions.size() == 1 && !m_questions.front().multiSelect;
}

void QuestionForm::choose(int question, int option) {
    pick(question, option, false);
}

void QuestionForm::pick(int question, int option, bool toggledByClick) {
    if (m_sent || question < 0 || question >= questionCount()) {
        return;
    }
    Question& entry = m_questions[question];
    if (option < 0 || option >= static_cast<int>(entry.options.size())) {
        return;
    }
    QuestionOptionButton* picked = entry.options[option];
    if (entry.multiSelect) {
        // A click has toggled it already.
        if (!toggledByClick) {
            picked->setChecked(!picked->isChecked());
        }
    } else {
        for (QuestionOptionButton* button : entry.options) {
            button->setChecked(button == picked);
        }
        entry.other->clear();
    }
    if (answersOnFirstClick()) {
        submit();
        return;
    }
    refreshSubmit();
}

void QuestionForm::setOtherText(int question, const QString& text) {
    if (m_sent || question < 0 || question >= questionCount()) {
        return;
    }
    Question& entry = m_questions[question];
    if (entry.other->text() != text) {
        entry.other->setText(text);
    }
    // One's own words replace a single choice.
    if (!entry.multiSelect && !text.trimmed().isEmpty()) {
        for (QuestionOptionButton* button : entry.options) {
            button->setChecked(false);
        }
    }
    refreshSubmit();
}

std::string QuestionForm::answerOf(const Question& question) const {
    std::string answer;
    const auto append = [&answer](const std::string& part) {
        answer += answer.empty() ? part : ", " + part;
    };
    for (const QuestionOptionButton* button : question.options) {
        if (button->isChecked()) {
            append(button->label().toStdString());
        }
    }
    if (const QString own = question.other->text().trimmed(); !own.isEmpty()) {
        append(own.toStdString());
    }
    return answer;
}

nlohmann::json QuestionForm::answeredInput() const {
    nlohmann::json input = m_input;
    nlohmann::json answers = nlohmann::json::object();
    for (const Question& question : m_questions) {
        if (const std::string answer = answerOf(question); !answer.empty()) {
            answers[question.text] = answer;
        }
    }
    input["answers"] = std::move(answers);
    return input;
}

bool QuestionForm::submit() {
    if (m_sent || m_questions.empty()) {
        return false;
    }
    for (const Question& question : m_questions) {
        if (answerOf(question).empty()) {
            return false;
        }
    }
    m_sent = true;
    emit answered(QString::fromStdString(
        answeredInput().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)));
    return true;
}

void QuestionForm::refreshSubmit() {
    if (m_submit == nullptr) {
        return;
    }
    const bool complete = std::all_of(m_questions.begin(), m_questions.end(),
                                      [this](const Question& q) { return !answerOf(q).empty(); });
    m_submit->setEnabled(complete);
}

}  // namespace halvane
