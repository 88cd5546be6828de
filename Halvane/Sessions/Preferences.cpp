#include "Halvane/Sessions/Preferences.h"

#include <QSettings>
#include <QStandardPaths>
#include <string>

#include "Halvane/Platform/posix/Log.h"

namespace halvane {

Preferences::Preferences() : Preferences(defaultFilePath()) {}

Preferences::Preferences(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

Preferences::~Preferences() = default;

QString Preferences::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/halvane/halvane.conf");
}

QString Preferences::filePath() const {
    return m_settings->fileName();
}

bool Preferences::askBeforeEveryToolCall() const {
    return boolValue(askBeforeEveryToolCallKey, false);
}

void Preferences::setAskBeforeEveryToolCall(bool enabled) {
    setValue(askBeforeEveryToolCallKey, enabled);
}

bool Preferences::soundsEnabled() const {
    return boolValue(soundsEnabledKey, true);
}

void Preferences::setSoundsEnabled(bool enabled) {
    setValue(soundsEnabledKey, enabled);
}

bool Preferences::onboardingCompleted() const {
    return boolValue(onboardingCompletedKey, false);
}

void Preferences::setOnboardingCompleted(bool completed) {
    setValue(onboardingCompletedKey, completed);
}

void Preferences::removeOnboardingCompleted() {
    remove(onboardingCompletedKey);
}

bool Preferences::hasOnboardingResumeAt() const {
    return m_settings->contains(QLatin1String(onboardingResumeAtKey));
}

std::optional<int> Preferences::onboardingResumeAt() const {
    const QVariant value = m_settings->value(QLatin1String(onboardingResumeAtKey));
    if (!value.isValid()) {
        return std::nullopt;
    }
    bool isNumber = false;
    const int step = value.toString().trimmed().toInt(&isNumber);
    if (!isNumber) {
        return std::nullopt;
    }
    return step;
}

void Preferences::setOnboardingResumeAt(int step) {
    setValue(onboardingResumeAtKey, step);
}

void Preferences::removeOnboardingResumeAt() {
    remove(onboardingResumeAtKey);
}

bool Preferences::automaticChecksEnabled() const {
    return boolValue(automaticChecksKey, true);
}

void Preferences::setAutomaticChecksEnabled(bool enabled) {
    setValue(automaticChecksKey, enabled);
}

bool Preferences::boolValue(const char* key, bool fallback) const {
    const QVariant value = m_settings->value(QLatin1String(key));
    // A value edited by hand into something that is not a Boolean counts as unset.
    const QString text = value.toString().trimmed().toLower();
    if (text == QStringLiteral("true") || text == QStringLiteral("1")) {
        return true;
    }
    if (text == QStringLiteral("false") || text == QStringLiteral("0")) {
        return false;
    }
    return fallback;
}

void Preferences::setValue(const char* key, const QVariant& value) {
    m_settings->setValue(QLatin1String(key), value);
    save();
}

void Preferences::remove(const char* key) {
    m_settings->remove(QLatin1String(key));
    save();
}

void Preferences::save() {
    // Written at once, so a crash or a second instance never sees an old value.
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        log::system("Halvane: could not save preferences to " +
                    m_settings->fileName().toStdString());
    }
}

}  // namespace halvane
