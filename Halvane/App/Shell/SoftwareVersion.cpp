#include "Halvane/App/Shell/SoftwareVersion.h"

#include <QStringList>

#include <algorithm>

namespace halvane::SoftwareVersion {

namespace {

struct Parts {
    QStringList numbers;
    QString suffix;
};

Parts split(QString version) {
    version = version.trimmed();
    if (version.startsWith(QLatin1Char('v')) || version.startsWith(QLatin1Char('V'))) {
        version.remove(0, 1);
    }
    Parts parts;
    const qsizetype dash = version.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
        parts.suffix = version.mid(dash + 1);
        version.truncate(dash);
    }
    parts.numbers = version.split(QLatin1Char('.'));
    return parts;
}

// A component compares by its number when it has one, else as text.
int compareComponent(const QString& a, const QString& b) {
    bool aNumber = false;
    bool bNumber = false;
    const qulonglong aValue = a.isEmpty() ? 0 : a.toULongLong(&aNumber);
    const qulonglong bValue = b.isEmpty() ? 0 : b.toULongLong(&bNumber);
    if ((aNumber || a.isEmpty()) && (bNumber || b.isEmpty())) {
        return aValue < bValue ? -1 : (aValue > bValue ? 1 : 0);
    }
    return QString::compare(a, b);
}

int compareLists(const QStringList& left, const QStringList& right) {
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype index = 0; index < count; ++index) {
        const QString l = index < left.size() ? left[index] : QString();
        const QString r = index < right.size() ? right[index] : QString();
        if (const int order = compareComponent(l, r); order != 0) {
            return order < 0 ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace

int compare(const QString& a, const QString& b) {
    const Parts left = split(a);
    const Parts right = split(b);
    if (const int order = compareLists(left.numbers, right.numbers); order != 0) {
        return order;
    }
    if (left.suffix.isEmpty() || right.suffix.isEmpty()) {
        return left.suffix.isEmpty() == right.suffix.isEmpty() ? 0
                                                               : (left.suffix.isEmpty() ? 1 : -1);
    }
    return compareLists(left.suffix.split(QLatin1Char('.')), right.suffix.split(QLatin1Char('.')));
}

}  // namespace halvane::SoftwareVersion
