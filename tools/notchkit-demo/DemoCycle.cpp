#include "DemoCycle.h"

#include <QDir>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include "NotchKit/NotchContentView.h"
#include "NotchKit/NotchInfo.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchPresenter.h"

using notchkit::NotchCompletion;

DemoCycle::DemoCycle(notchkit::NotchInfo* info, QScreen* screen, Options options)
    : m_info(info), m_screen(screen), m_options(std::move(options)) {
    m_steps = {
        {QStringLiteral("hidden"), [] { return NotchCompletion::finished(); }},
        {QStringLiteral("compact"), [this] { return m_info->compact(m_screen); }},
        {QStringLiteral("expanded"), [this] { return m_info->expand(m_screen); }},
        {QStringLiteral("hidden"), [this] { return m_info->hide(); }, true},
    };
}

void DemoCycle::start() {
    if (m_options.screenshotDirectory && !QDir().mkpath(*m_options.screenshotDirectory)) {
        QTextStream(stderr) << "notchkit-demo: cannot create " << *m_options.screenshotDirectory
                            << "\n";
        emit finished(1);
        return;
    }
    runStep(0);
}

void DemoCycle::runStep(size_t index) {
    if (index == m_steps.size()) {
        if (m_options.repeat) {
            runStep(1);
        } else {
            emit finished(0);
        }
        return;
    }
    QTextStream(stdout) << "notchkit-demo: " << m_steps[index].name << "\n";
    const NotchCompletion done = m_steps[index].run();
    const auto next = [this, index] {
        const int pause = m_options.screenshotDirectory ? 0 : m_options.pauseMs;
        QTimer::singleShot(pause, this, [this, index] { runStep(index + 1); });
    };
    if (m_steps[index].captureBeforeDone) {
        settleAndCapture(index, [this, done, next] { done.then(this, next); });
    } else {
        done.then(this, [this, index, next] { settleAndCapture(index, next); });
    }
}

void DemoCycle::settleAndCapture(size_t index, std::function<void()> then) {
    whenSettled([this, index, then = std::move(then)] {
        if (m_options.screenshotDirectory && !capture(index)) {
            emit finished(1);
            return;
        }
        then();
    });
}

void DemoCycle::whenSettled(std::function<void()> then) {
    auto* panel = m_info->internalPresenter()->panel();
    if (panel == nullptr || panel->contentView() == nullptr ||
        !panel->contentView()->isAnimating()) {
        then();
        return;
    }
    QTimer::singleShot(20, this, [this, then = std::move(then)] { whenSettled(then); });
}

bool DemoCycle::capture(size_t index) {
    const auto* presenter = m_info->internalPresenter();
    const QRect frame = notchkit::NotchPanel::frameFor(m_screen->geometry());
    QPixmap picture;
    if (auto* panel = presenter->panel()) {
        picture = panel->grab();
    } else {
        // No window exists while hidden: nothing is on the screen.
        picture = QPixmap(frame.size());
        picture.fill(Qt::transparent);
    }
    const QString path =
        QDir(*m_options.screenshotDirectory)
            .filePath(QStringLiteral("%1-%2.png").arg(index + 1).arg(m_steps[index].name));
    if (!picture.save(path, "PNG")) {
        QTextStream(stderr) << "notchkit-demo: cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << "notchkit-demo: wrote " << path << "\n";
    return true;
}
