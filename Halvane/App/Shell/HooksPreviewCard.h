#pragma once

#include <QWidget>

class QLabel;

namespace halvane {

// What installing the hooks changes: the settings file, the three hook events
// with what each one is for, and the promise of a backup.
class HooksPreviewCard final : public QWidget {
    Q_OBJECT

public:
    explicit HooksPreviewCard(QWidget* parent = nullptr);

    // Re-reads whether the relay can be found and where the file lives.
    void refresh();
    QString fileText() const;

    // Claude Code's settings file as people write it: under ~ when it is.
    static QString displayedSettingsPath();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_file;
};

}  // namespace halvane
