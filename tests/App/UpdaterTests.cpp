#include <gtest/gtest.h>

#include <QSignalSpy>

#include <chrono>

#include "FeedServer.h"
#include "Halvane/App/Shell/Appcast.h"
#include "Halvane/App/Shell/SoftwareVersion.h"
#include "Halvane/App/Shell/UpdateChecker.h"
#include "Halvane/App/Shell/UpdaterManager.h"
#include "QtTestEnvironment.h"
#include "ShellFixture.h"

namespace halvane {
namespace {

using namespace std::chrono_literals;
using Outcome = UpdateCheckResult::Outcome;

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/"
           "sparkle\">\n<channel><title>Halvane</title>\n" +
           items + "</channel></rss>\n";
}

QByteArray item(const QByteArray& version, const QByteArray& link) {
    return "<item><title>Halvane " + version + "</title><enclosure url=\"" + link +
           "\" sparkle:shortVersionString=\"" + version + "\" sparkle:version=\"" + version +
           "\" type=\"application/vnd.debian.binary-package\"/>"
           "</item>\n";
}

TEST(SoftwareVersion, ComparesNumbersNumericallyAndPreReleasesBelowReleases) {
    EXPECT_LT(SoftwareVersion::compare("0.1.0", "0.2.0"), 0);
    EXPECT_GT(SoftwareVersion::compare("0.10.0", "0.9.9"), 0);
    EXPECT_EQ(SoftwareVersion::compare("1.2", "1.2.0"), 0);
    EXPECT_EQ(SoftwareVersion::compare("v1.2.0", "1.2.0"), 0);
    EXPECT_LT(SoftwareVersion::compare("1.2.0-beta.2", "1.2.0"), 0);
    EXPECT_LT(SoftwareVersion::compare("1.2.0-beta.2", "1.2.0-beta.10"), 0);
    EXPECT_GT(SoftwareVersion::compare("1.2.1-rc.1", "1.2.0"), 0);
}

TEST(Appcast, TheNewestUsableItemWinsWhateverTheOrder) {
    const AppcastReading reading = readAppcast(
        feed(item("0.2.0", "https://example.org/halvane_0.2.0.deb") +
             item("0.10.1", "https://example.org/halvane_0.10.1.deb") +
             // An element-style item, with its link in <link>.
             "<item><title>Old</title><sparkle:version>0.1.5</sparkle:version>"
             "<link>https://example.org/old</link></item>\n"
             // Unusable: no version; a link that is not a web page.
             "<item><title>No version</title><link>https://example.org/x</link></item>\n" +
             item("9.9.9", "file:///etc/passwd")));
    ASSERT_TRUE(reading.appcast) << reading.problem.toStdString();
    EXPECT_EQ(reading.appcast->items.size(), 3u);
    const auto newest = reading.appcast->newest();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->version, QStringLiteral("0.10.1"));
    EXPECT_EQ(newest->title, QStringLiteral("Halvane 0.10.1"));
    EXPECT_EQ(newest->downloadLink, QUrl("https://example.org/halvane_0.10.1.deb"));
}

TEST(Appcast, DocumentsThatAreNotFeedsSayWhy) {
    EXPECT_TRUE(readAppcast("<rss><channel><item>").problem.contains("not valid XML"));
    EXPECT_TRUE(readAppcast("<html><body>404</body></html>").problem.contains("not an RSS"));
    EXPECT_TRUE(readAppcast(feed("")).problem.contains("no release"));
    EXPECT_TRUE(readAppcast("").problem.contains("empty"));
}

// Made before the fixture's members: a server made without an application
// never hears of its connections.
struct WithApplication {
    WithApplication() { test::qtApplication(); }
};

class UpdaterTest : public WithApplication, public test::ShellFixture {
protected:
    UpdateCheckResult check(const QUrl& url) {
        UpdateChecker checker(url, QStringLiteral("0.1.0"), 5s);
        std::optional<UpdateCheckResult> result;
        checker.check([&](const UpdateCheckResult& found) { result = found; });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }));
        return result.value_or(UpdateCheckResult{});
    }

    test::FeedServer m_server;
};

TEST_F(UpdaterTest, ANewerReleaseInTheFeedIsAnUpdate) {
    m_server.serve(200, feed(item("0.2.0", "https://example.org/halvane_0.2.0.deb")));
    const UpdateCheckResult result = check(m_server.url());
    EXPECT_EQ(result.outcome, Outcome::updateAvailable) << result.problem.toStdString();
    ASSERT_TRUE(result.latest);
    EXPECT_EQ(result.latest->version, QStringLiteral("0.2.0"));
    EXPECT_EQ(result.currentVersion, QStringLiteral("0.1.0"));
    EXPECT_EQ(m_server.requests(), 1);
}

TEST_F(UpdaterTest, TheSameOrAnOlderReleaseIsUpToDate) {
    m_server.serve(200, feed(item("0.1.0", "https://example.org/a.deb") +
                             item("0.0.9", "https://example.org/b.deb")));
    EXPECT_EQ(check(m_server.url()).outcome, Outcome::upToDate);
}

TEST_F(UpdaterTest, BrokenFeedsMissingFeedsAndDeadServersAreFailuresWithAReason) {
    m_server.serve(200, "<rss><channel><item><title>half");
    UpdateCheckResult result = check(m_server.url());
    EXPECT_EQ(result.outcome, Outcome::failed);
    EXPECT_TRUE(result.problem.contains("not valid XML")) << result.problem.toStdString();

    m_server.serve(404, "gone");
    result = check(m_server.url());
    EXPECT_EQ(result.outcome, Outcome::failed);
    EXPECT_TRUE(result.problem.contains("404")) << result.problem.toStdString();

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();
    result = check(QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(port)));
    EXPECT_EQ(result.outcome, Outcome::failed);
    EXPECT_FALSE(result.problem.isEmpty());
}

TEST_F(UpdaterTest, TheLaunchCheckSpeaksOnlyOfNewerVersions) {
    m_server.serve(200, feed(item("0.3.0", "https://example.org/c.deb")));
    UpdaterManager updater(m_preferences, {}, m_server.url(), QStringLiteral("0.1.0"), 10ms);
    std::vector<std::pair<QString, QString>> notices;
    QSignalSpy finished(&updater, &UpdaterManager::checkFinished);
    updater.start([&](const QString& title, const QString& message) {
        notices.emplace_back(title, message);
    });
    EXPECT_TRUE(updater.launchCheckPending());
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, QStringLiteral("Halvane 0.3.0 is available"));
    EXPECT_TRUE(notices[0].second.contains("package manager"));

    m_server.serve(200, feed(item("0.1.0", "https://example.org/a.deb")));
    updater.checkForUpdatesInBackground();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(notices.size(), 1u) << "nothing to say when up to date";
}

TEST_F(UpdaterTest, NoLaunchCheckWhenTurnedOffOrWithoutAFeed) {
    m_preferences.setAutomaticChecksEnabled(false);
    UpdaterManager off(m_preferences, {}, m_server.url(), QStringLiteral("0.1.0"), 10ms);
    EXPECT_FALSE(off.automaticallyChecksForUpdates());
    off.start({});
    EXPECT_FALSE(off.launchCheckPending());

    m_preferences.setAutomaticChecksEnabled(true);
    UpdaterManager unconfigured(m_preferences, {}, QUrl(), QStringLiteral("0.1.0"), 10ms);
    EXPECT_FALSE(unconfigured.updatesConfigured());
    EXPECT_FALSE(unconfigured.automaticallyChecksForUpdates());
    unconfigured.start({});
    EXPECT_FALSE(unconfigured.launchCheckPending());
    EXPECT_EQ(m_server.requests(), 0);
}

}  // namespace
}  // namespace halvane
