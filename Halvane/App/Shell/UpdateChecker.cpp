#include "Halvane/App/Shell/UpdateChecker.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "Halvane/App/Shell/SoftwareVersion.h"

namespace halvane {

namespace {

// Marks a reply we aborted for its size.
constexpr const char* kTooLarge = "halvaneTooLarge";

}  // namespace

UpdateChecker::UpdateChecker(QUrl appcast, QString currentVersion,
                             std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent),
      m_appcast(std::move(appcast)),
      m_currentVersion(std::move(currentVersion)),
      m_timeout(timeout),
      m_network(new QNetworkAccessManager(this)) {}

UpdateChecker::~UpdateChecker() {
    cancel();
}

UpdateCheckResult UpdateChecker::judge(const QByteArray& feed, const QString& currentVersion) {
    UpdateCheckResult result;
    result.currentVersion = currentVersion;
    const AppcastReading reading = readAppcast(feed);
    if (!reading.appcast) {
        result.problem = reading.problem;
        return result;
    }
    result.latest = reading.appcast->newest();
    result.outcome = SoftwareVersion::compare(result.latest->version, currentVersion) > 0
                         ? UpdateCheckResult::Outcome::updateAvailable
                         : UpdateCheckResult::Outcome::upToDate;
    return result;
}

void UpdateChecker::check(Completion completion) {
    cancel();
    m_completion = std::move(completion);
    QNetworkRequest request(m_appcast);
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Halvane/%1").arg(m_currentVersion));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kMaximumFeedBytes && reply == m_reply) {
            reply->setProperty(kTooLarge, true);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void UpdateChecker::cancel() {
    m_completion = nullptr;
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void UpdateChecker::finished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != m_reply) {
        return;
    }
    m_reply = nullptr;
    Completion completion = std::move(m_completion);
    m_completion = nullptr;

    UpdateCheckResult result;
    result.currentVersion = m_currentVersion;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError) {
        result = judge(reply->readAll(), m_currentVersion);
    } else if (reply->property(kTooLarge).toBool()) {
        result.problem = QStringLiteral("the update feed is far too large to be one");
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Our own abort is the transfer timeout: cancel() never gets here.
        result.problem = QStringLiteral("the update server did not answer in time");
    } else if (status >= 400) {
        const QString reason =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        result.problem =
            QStringLiteral("the update server answered %1 %2").arg(status).arg(reason).trimmed();
    } else {
        result.problem = reply->errorString();
    }
    if (completion) {
        completion(result);
    }
}

}  // namespace halvane
