#include "Halvane/App/NotchKitBridge.h"

#include <QPainter>
#include <QString>

#include <algorithm>
#include <string>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Theme/SymbolGlyphs.h"
#include "NotchKit/NotchSymbol.h"

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

void paintSymbol(QPainter& painter, const QString& name, const QRectF& box, QColor color) {
    const std::string text = name.toStdString();
    const auto table = SymbolGlyphs::table();
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [&](const SymbolGlyphs::Entry& e) { return e.name == text; });
    // The table's own spelling of the name, so the name outlives this call;
    // an unknown name draws the glyph table's stand-in and is reported once.
    const std::string_view spelled = entry != table.end() ? entry->name : std::string_view(text);
    SymbolGlyphs::draw(painter, operator""_sym(spelled.data(), spelled.size()), box,
                       std::min(box.width(), box.height()), QFont::Normal, color);
}

}  // namespace

void install() {
    qInstallMessageHandler(&forwardMessage);
    notchkit::NotchSymbol::setPainter(&paintSymbol);
}

}  // namespace halvane::NotchKitBridge
