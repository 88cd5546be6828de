#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <functional>

#include "Halvane/App/Shell/UpdateCheckResult.h"

class QNetworkAccessManager;

namespace halvane {

// Fetches the update feed and compares its newest release with the running
// version. One check at a time; a new one replaces the one under way.
class UpdateChecker final : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(const UpdateCheckResult&)>;

    static constexpr std::chrono::milliseconds kTimeout{15000};
    // No feed is anywhere near this; a larger answer is not one.
    static constexpr qint64 kMaximumFeedBytes = 2 * 1024 * 1024;

    UpdateChecker(QUrl appcast, QString currentVersion,
                  std::chrono::milliseconds timeout = kTimeout, QObject* parent = nullptr);
    ~UpdateChecker() override;

    const QUrl& appcast() const { return m_appcast; }
    const QString& currentVersion() const { return m_currentVersion; }
    bool checking() const { return m_reply != nullptr; }

    // Runs `completion` on the main thread once the answer is in; never for a
    // check that was cancelled or replaced.
    void check(Completion completion);
    void cancel();

    // The verdict on a fetched feed.
    static UpdateCheckResult judge(const QByteArray& feed, const QString& currentVersion);

private:
    void finished(QNetworkReply* reply);

    QUrl m_appcast;
    QString m_currentVersion;
    std::chrono::milliseconds m_timeout;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    Completion m_completion;
};

}  // namespace halvane
