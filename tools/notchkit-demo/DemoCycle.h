#pragma once

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "NotchKit/NotchCompletion.h"

namespace notchkit {
class NotchInfo;
}

// Walks a NotchInfo through hidden, compact, expanded and hidden again,
// waiting for each state to settle; optionally writes a PNG of each.
class DemoCycle final : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Where the PNGs go; nothing = just show the states on screen.
        std::optional<QString> screenshotDirectory;
        // Keep cycling until the program is stopped.
        bool repeat = false;
        // How long each state stays on screen between steps.
        int pauseMs = 1500;
    };

    DemoCycle(notchkit::NotchInfo* info, QScreen* screen, Options options);
    void start();

signals:
    void finished(int exitCode);

private:
    struct Step {
        QString name;
        std::function<notchkit::NotchCompletion()> run;
        // A hide finishes with the window gone: photograph the hidden form
        // while the window still shows it.
        bool captureBeforeDone = false;
    };

    void runStep(size_t index);
    void settleAndCapture(size_t index, std::function<void()> then);
    void whenSettled(std::function<void()> then);
    bool capture(size_t index);

    notchkit::NotchInfo* m_info;
    QPointer<QScreen> m_screen;
    Options m_options;
    std::vector<Step> m_steps;
};
