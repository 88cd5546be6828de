#include "Halvane/Platform/linux/SysfsBacklight.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <system_error>
#include <vector>

#include "Halvane/Platform/posix/Log.h"

namespace halvane {

namespace {

std::optional<long> readNumber(const std::filesystem::path& path) {
    std::ifstream file(path);
    long value = 0;
    if (!(file >> value)) {
        return std::nullopt;
    }
    return value;
}

std::string readWord(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string word;
    file >> word;
    return word;
}

// Firmware interfaces drive the panel the way the vendor intended; platform
// drivers come next; raw GPU registers last.
int preference(const std::filesystem::path& device) {
    const std::string type = readWord(device / "type");
    if (type == "firmware") {
        return 0;
    }
    if (type == "platform") {
        return 1;
    }
    return 2;
}

std::filesystem::path chooseDevice(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> devices;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const auto max = readNumber(entry.path() / "max_brightness");
        if (max && *max > 0) {
            devices.push_back(entry.path());
        }
    }
    if (devices.empty()) {
        return {};
    }
    std::sort(devices.begin(), devices.end(), [](const auto& left, const auto& right) {
        const int a = preference(left);
        const int b = preference(right);
        return a != b ? a < b : left.filename() < right.filename();
    });
    return devices.front();
}

}  // namespace

SysfsBacklight::SysfsBacklight(std::filesystem::path root, QDBusConnection bus, QString sessionPath)
    : m_device(chooseDevice(root)), m_bus(std::move(bus)), m_sessionPath(std::move(sessionPath)) {
    if (m_device.empty()) {
        return;
    }
    m_deviceName = m_device.filename().string();
    m_maxBrightness = readNumber(m_device / "max_brightness").value_or(0);
}

SysfsBacklight::~SysfsBacklight() = default;

std::optional<float> SysfsBacklight::read() {
    if (m_maxBrightness <= 0) {
        return std::nullopt;
    }
    const auto raw = readNumber(m_device / "brightness");
    if (!raw) {
        return std::nullopt;
    }
    const long clamped = std::clamp(*raw, 0L, m_maxBrightness);
    return static_cast<float>(clamped) / static_cast<float>(m_maxBrightness);
}

void SysfsBacklight::write(float value) {
    if (m_maxBrightness <= 0) {
        return;
    }
    const auto raw = static_cast<quint32>(
        std::lround(static_cast<double>(std::clamp(value, 0.0f, 1.0f)) * m_maxBrightness));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), m_sessionPath,
        QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("SetBrightness"));
    call << QStringLiteral("backlight") << QString::fromStdString(m_deviceName) << raw;
    // Not awaited: a key press must not wait for logind.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<> reply = *finished;
                // Once is enough: every key press would repeat the same line.
                if (reply.isError() && !m_reportedWriteFailure) {
                    m_reportedWriteFailure = true;
                    log::system("Halvane: logind refused to set the backlight brightness: " +
                                reply.error().message().trimmed().toStdString());
                }
            });
}

std::unique_ptr<Backlight> makeSystemBacklight() {
    return std::make_unique<SysfsBacklight>();
}

}  // namespace halvane
