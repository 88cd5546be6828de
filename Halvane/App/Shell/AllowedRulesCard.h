#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace halvane {

class SettingsCard;

// The allow rules Claude Code's settings hold, one row each in file order
// with a button that revokes it.
class AllowedRulesCard final : public QWidget {
    Q_OBJECT

public:
    explicit AllowedRulesCard(QWidget* parent = nullptr);

    // Rebuilds the rows only when the list differs from the one shown.
    void setPatterns(const std::vector<std::string>& patterns);
    const std::vector<std::string>& patterns() const { return m_patterns; }
    QString countText() const;
    // The revoke button of the row showing `pattern`; null when none shows it.
    QWidget* revokeButton(const std::string& pattern) const;
    bool showsEmptyState() const;

signals:
    void revokeRequested(const std::string& pattern);

private:
    void rebuild();

    std::vector<std::string> m_patterns;
    bool m_built = false;
    SettingsCard* m_card;
    QLabel* m_count;
    QWidget* m_rows;
    QVBoxLayout* m_rowsLayout;
    QWidget* m_empty;
};

}  // namespace halvane
