#pragma once

#include <QString>

// Release numbers such as "0.1", "1.2.10" or "2.0.0-beta.2".
namespace halvane::SoftwareVersion {

// Negative when `a` is older than `b`, zero when the same, positive when
// newer. Dot-separated numbers compare numerically, missing ones count as 0
// ("1.2" equals "1.2.0"); a pre-release suffix after "-" is older than the
// release itself; a leading "v" is ignored.
int compare(const QString& a, const QString& b);

}  // namespace halvane::SoftwareVersion
