#include "NotchEnvironment.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace notchkit {

namespace {

constexpr const char* styleProperty = "notchkit.notchStyle";
constexpr const char* sectionProperty = "notchkit.notchSection";

QVariant nearest(const QWidget* widget, const char* name) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant value = w->property(name);
        if (value.isValid()) {
            return value;
        }
    }
    return {};
}

void announce(QWidget* host) {
    const auto type = NotchEnvironment::changeEventType();
    QEvent hostEvent(type);
    QCoreApplication::sendEvent(host, &hostEvent);
    host->update();
    for (QWidget* child : host->findChildren<QWidget*>()) {
        QEvent event(type);
        QCoreApplication::sendEvent(child, &event);
        child->update();
    }
}

}  // namespace

void NotchEnvironment::setNotchStyle(QWidget* host, NotchStyle style) {
    const QVariantList encoded{static_cast<int>(style.kind()), style.topCornerRadius(),
                               style.bottomCornerRadius(), style.cornerRadius()};
    if (host->property(styleProperty) == QVariant(encoded)) {
        return;
    }
    host->setProperty(styleProperty, encoded);
    announce(host);
}

void NotchEnvironment::setNotchSection(QWidget* host, NotchSection section) {
    const QVariant encoded(static_cast<int>(section));
    if (host->property(sectionProperty) == encoded) {
        return;
    }
    host->setProperty(sectionProperty, encoded);
    announce(host);
}

NotchStyle NotchEnvironment::notchStyle(const QWidget* widget) {
    const QVariantList encoded = nearest(widget, styleProperty).toList();
    if (encoded.size() != 4) {
        return NotchStyle::automatic();
    }
    switch (static_cast<NotchStyle::Kind>(encoded[0].toInt())) {
        case NotchStyle::Kind::notch:
            return NotchStyle::notch(encoded[1].toDouble(), encoded[2].toDouble());
        case NotchStyle::Kind::floating:
            return NotchStyle::floating(encoded[3].toDouble());
        case NotchStyle::Kind::automatic:
            break;
    }
    return NotchStyle::automatic();
}

NotchSection NotchEnvironment::notchSection(const QWidget* widget) {
    const QVariant encoded = nearest(widget, sectionProperty);
    return encoded.isValid() ? static_cast<NotchSection>(encoded.toInt()) : NotchSection::expanded;
}

QEvent::Type NotchEnvironment::changeEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace notchkit
