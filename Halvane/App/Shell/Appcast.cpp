#include "Halvane/App/Shell/Appcast.h"

#include <QXmlStreamReader>

#include "Halvane/App/Shell/SoftwareVersion.h"

namespace halvane {

namespace {

struct ItemFields {
    QString title;
    QString link;
    QString version;
    QString shortVersion;
    QString enclosureUrl;
    QString enclosureVersion;
    QString enclosureShortVersion;
};

bool isWebLink(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QStringLiteral("https") || url.scheme() == QStringLiteral("http"));
}

std::optional<AppcastItem> itemFrom(const ItemFields& fields) {
    QString version = fields.shortVersion;
    for (const QString& candidate :
         {fields.enclosureShortVersion, fields.version, fields.enclosureVersion}) {
        if (version.isEmpty()) {
            version = candidate;
        }
    }
    QUrl link(fields.enclosureUrl.trimmed());
    if (!isWebLink(link)) {
        link = QUrl(fields.link.trimmed());
    }
    if (version.trimmed().isEmpty() || !isWebLink(link)) {
        return std::nullopt;
    }
    return AppcastItem{version.trimmed(), fields.title.trimmed(), link};
}

// Reads one <item>, the reader standing on its start tag.
ItemFields readItem(QXmlStreamReader& reader) {
    ItemFields fields;
    while (reader.readNextStartElement()) {
        const auto name = reader.name();
        if (name == QLatin1String("enclosure")) {
            const auto attributes = reader.attributes();
            for (const auto& attribute : attributes) {
                if (attribute.name() == QLatin1String("url")) {
                    fields.enclosureUrl = attribute.value().toString();
                } else if (attribute.name() == QLatin1String("shortVersionString")) {
                    fields.enclosureShortVersion = attribute.value().toString();
                } else if (attribute.name() == QLatin1String("version")) {
                    fields.enclosureVersion = attribute.value().toString();
                }
            }
            reader.skipCurrentElement();
        } else if (name == QLatin1String("title")) {
            fields.title = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == QLatin1String("link")) {
            fields.link = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == QLatin1String("shortVersionString")) {
            fields.shortVersion = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == QLatin1String("version")) {
            fields.version = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        } else {
            reader.skipCurrentElement();
        }
    }
    return fields;
}

}  // namespace

std::optional<AppcastItem> Appcast::newest() const {
    std::optional<AppcastItem> best;
    for (const AppcastItem& item : items) {
        if (!best || SoftwareVersion::compare(item.version, best->version) > 0) {
            best = item;
        }
    }
    return best;
}

AppcastReading readAppcast(const QByteArray& document) {
    if (document.trimmed().isEmpty()) {
        return {std::nullopt, QStringLiteral("the update feed is empty")};
    }
    QXmlStreamReader reader(document);
    if (!reader.readNextStartElement()) {
        return {std::nullopt, QStringLiteral("the update feed is not valid XML (line %1: %2)")
                                  .arg(reader.lineNumber())
                                  .arg(reader.errorString())};
    }
    if (reader.name() != QLatin1String("rss")) {
        return {std::nullopt, QStringLiteral("the update feed is not an RSS document")};
    }
    Appcast appcast;
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("channel")) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("item")) {
                if (auto item = itemFrom(readItem(reader))) {
                    appcast.items.push_back(std::move(*item));
                }
            } else {
                reader.skipCurrentElement();
            }
        }
    }
    if (reader.hasError()) {
        return {std::nullopt, QStringLiteral("the update feed is not valid XML (line %1: %2)")
                                  .arg(reader.lineNumber())
                                  .arg(reader.errorString())};
    }
    if (appcast.items.empty()) {
        return {std::nullopt,
                QStringLiteral("the update feed lists no release with a version and a download "
                               "link")};
    }
    return {std::move(appcast), {}};
}

}  // namespace halvane
