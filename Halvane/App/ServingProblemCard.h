#pragma once

#include <QWidget>

class QLabel;

namespace halvane {

// A short card at the top centre of the screen, where the panel sits, while
// Halvane cannot receive Claude Code's hooks: the reason and what to do. It
// goes away by itself once Halvane serves again, or when dismissed.
class ServingProblemCard final : public QWidget {
    Q_OBJECT

public:
    explicit ServingProblemCard(QWidget* parent = nullptr);

    // Shows problem, or hides the card when it is empty. A problem the user
    // dismissed stays hidden until a different one comes.
    void setProblem(const QString& problem);
    QString problem() const;

private:
    void placeAtTopCentre();

    QLabel* m_text = nullptr;
    QString m_dismissed;
};

}  // namespace halvane
