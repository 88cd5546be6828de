#include "Halvane/App/Shell/ShellLook.h"

#include <QLabel>
#include <QPainter>

#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/Notch/Components/IconBadge.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane::ShellLook {

QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent,
              Qt::Alignment alignment, bool wrap) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(alignment);
    label->setWordWrap(wrap);
    label->setAttribute(Qt::WA_TranslucentBackground);
    setTextColor(*label, color);
    return label;
}

void setTextColor(QLabel& label, const QColor& color) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

void paintWindowBackground(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    NotchShapes::fillRoundedRect(painter, rect, kWindowCornerRadius, QColor(18, 18, 20, 250),
                                 QColor::fromRgbF(1, 1, 1, 0.09f), 1);
    painter.restore();
}

QWidget* logo(const ShellServices& services, qreal size, QWidget* parent) {
    if (services.makeLogo) {
        if (QWidget* made = services.makeLogo(size, parent)) {
            return made;
        }
    }
    return new IconBadge(size, size * 0.27, parent);
}

QString version(const ShellServices& services) {
    if (!services.version.isEmpty()) {
        return services.version;
    }
    return QStringLiteral(HALVANE_VERSION);
}

}  // namespace halvane::ShellLook
