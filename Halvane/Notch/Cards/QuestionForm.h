#pragma once

#include <QString>
#include <QWidget>

#include <nlohmann/json.hpp>
#include <vector>

class QLineEdit;

namespace halvane {

class NotchActionButton;
class QuestionOptionButton;

// Every question of one AskUserQuestion call, answered on the card: one
// option of a single-choice question, any number of a multiple-choice one,
// or a text of the user's own. A lone single-choice question is answered by
// its first click; otherwise Submit sends all answers once each question has
// one.
class QuestionForm final : public QWidget {
    Q_OBJECT

public:
    explicit QuestionForm(nlohmann::json input, QWidget* parent = nullptr);

    // Whether the input asks at least one question with options to show.
    static bool canAsk(const nlohmann::json& input);

    // Option buttons of every question, in order.
    const std::vector<QuestionOptionButton*>& optionButtons() const { return m_allOptions; }
    int questionCount() const { return static_cast<int>(m_questions.size()); }
    QLineEdit* otherField(int question) const;
    // Null when the lone single-choice question answers on its first click.
    NotchActionButton* submitButton() const { return m_submit; }

    // Picks (or, in a multiple-choice question, toggles) an option.
    void choose(int question, int option);
    void setOtherText(int question, const QString& text);
    // Sends the answers when every question has one; false otherwise.
    bool submit();

    // The tool input with Claude Code's "answers" added: question text →
    // the chosen label, several labels as "A, B", or the user's own text.
    nlohmann::json answeredInput() const;

signals:
    // The tool input to run with, as compact JSON text.
    void answered(const QString& updatedInput);

private:
    struct Question {
        std::string text;
        bool multiSelect = false;
        std::vector<QuestionOptionButton*> options;
        QLineEdit* other = nullptr;
    };

    QWidget* buildQuestion(const nlohmann::json& question, int number);
    void pick(int question, int option, bool toggledByClick);
    std::string answerOf(const Question& question) const;
    bool answersOnFirstClick() const;
    void refreshSubmit();

    nlohmann::json m_input;
    std::vector<Question> m_questions;
    std::vector<QuestionOptionButton*> m_allOptions;
    NotchActionButton* m_submit = nullptr;
    bool m_sent = false;
};

}  // namespace halvane
