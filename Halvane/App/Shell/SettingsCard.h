#pragma once

#include <QWidget>

#include "Halvane/Theme/Icon.h"

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace halvane {

class IconView;

// A card of the settings window: a symbol, a title with room for a badge or
// a switch beside it, a line of detail, then whatever the card holds.
class SettingsCard final : public QWidget {
    Q_OBJECT

public:
    SettingsCard(Icon symbol, const QString& title, QWidget* parent = nullptr);

    QString title() const;
    QString detail() const;
    void setTitle(const QString& title);
    // An empty detail hides the line.
    void setDetail(const QString& detail);

    // The right end of the header row.
    QHBoxLayout* accessories() const { return m_accessories; }
    // Below the detail.
    QVBoxLayout* body() const { return m_body; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_title;
    QLabel* m_detail;
    QHBoxLayout* m_accessories;
    QVBoxLayout* m_body;
};

}  // namespace halvane
