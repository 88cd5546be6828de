#pragma once

#include <QWidget>

#include <optional>

class QHBoxLayout;
class QLabel;

namespace notchkit {

class NotchInfo;
class NotchInfoLabelView;

// The card of a NotchInfo: its icon, then the title over the description.
class InfoView final : public QWidget {
    Q_OBJECT

public:
    explicit InfoView(NotchInfo* info, QWidget* parent = nullptr);

    NotchInfoLabelView* iconView() const { return m_icon; }
    QString titleText() const;
    QString descriptionText() const;
    // The colours the texts are drawn in right now.
    QColor titleColor() const;
    QColor descriptionColor() const;

protected:
    bool event(QEvent* event) override;

private:
    void refresh();
    void applyColours();

    NotchInfo* m_info;
    QHBoxLayout* m_row;
    NotchInfoLabelView* m_icon = nullptr;
    std::optional<quint64> m_iconId;
    QLabel* m_title;
    QLabel* m_description;
};

}  // namespace notchkit
