#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace halvane {

// One release in the update feed.
struct AppcastItem {
    QString version;
    QString title;
    QUrl downloadLink;
};

// The update feed: an RSS document whose items each name a release's version
// (an element or enclosure attribute called "shortVersionString" or
// "version", in any namespace) and a web link to download it (the
// enclosure's url, else the item's link).
struct Appcast {
    std::vector<AppcastItem> items;

    // The item with the highest version; none for an empty feed.
    std::optional<AppcastItem> newest() const;
};

struct AppcastReading {
    std::optional<Appcast> appcast;
    // Why the document is not a usable feed, when it is not.
    QString problem;
};

// Reads a feed. Items without a version or without an http(s) link are left
// out; a feed left with no items at all is a problem.
AppcastReading readAppcast(const QByteArray& document);

}  // namespace halvane
