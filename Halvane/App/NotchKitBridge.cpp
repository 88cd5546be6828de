#include "Halvane/App/NotchKitBridge.h"

#include <QPainter>
#include <QString>

#include <algorithm>
#include <string>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "NotchKit/NotchIcon.h"

namespace halvane::NotchKitBridge {

namespace {

void forwardMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt's own chatter at debug level is for Qt developers.
    if (type == QtDebugMsg) {
        return;
    }
    std::string line;
    const std::string category = context.category ? context.category : "default";
    if (category != "default") {
        line = category + ": ";
    }
    line += message.toStdString();
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        log::system("Halvane: " + line);
    } else {
        log::error(line);
    }
}

// The kit names its icons by our icons' names; a name that is no icon's
// draws the stand-in and is reported once.
void paintIcon(QPainter& painter, const QString& name, const QRectF& box, QColor color) {
    const std::string text = name.toStdString();
    const qreal pointSize = std::min(box.width(), box.height());
    if (const auto icon = IconGlyphs::fromName(text)) {
        IconGlyphs::draw(painter, *icon, box, pointSize, QFont::Normal, color);
    } else {
        IconGlyphs::drawStandIn(painter, text, box, pointSize, color);
    }
}

}  // namespace

void install() {
    qInstallMessageHandler(&forwardMessage);
    notchkit::NotchIcon::setPainter(&paintIcon);
}

}  // namespace halvane::NotchKitBridge
