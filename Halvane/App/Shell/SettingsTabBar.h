#pragma once

#include <QWidget>

#include <array>

#include "Halvane/App/Shell/SettingsTab.h"

class QAbstractButton;

namespace halvane {

// One button per tab, with its symbol and title; the selected one is lit.
class SettingsTabBar final : public QWidget {
    Q_OBJECT

public:
    explicit SettingsTabBar(QWidget* parent = nullptr);

    SettingsTab selected() const { return m_selected; }
    void select(SettingsTab tab);
    QAbstractButton* button(SettingsTab tab) const;

signals:
    void tabSelected(SettingsTab tab);

private:
    SettingsTab m_selected = SettingsTab::general;
    std::array<QAbstractButton*, kSettingsTabs.size()> m_buttons{};
};

}  // namespace halvane
