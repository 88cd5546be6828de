#include "Halvane/App/Shell/HooksPreviewCard.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "Halvane/App/Shell/IconView.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Sessions/ClaudePaths.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr int kWidth = 540;

struct HookPurpose {
    const char* event;
    const char* purpose;
};

constexpr HookPurpose kPurposes[] = {
    {"PreToolUse", "Show permission requests inline in the notch."},
    {"Notification", "Surface Claude's questions without leaving your terminal."},
    {"Stop", "Celebrate when a long-running task finishes."},
};

}  // namespace

HooksPreviewCard::HooksPreviewCard(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 14, 18, 14);
    column->setSpacing(10);

    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new IconView(Icon::code, 13, NotchPalette::accent(), this));
    m_file = ShellLook::label({}, NotchFonts::monospaced(12, QFont::DemiBold), Qt::white, this);
    header->addWidget(m_file, 1);
    column->addLayout(header);

    auto* events = new QGridLayout;
    events->setHorizontalSpacing(14);
    events->setVerticalSpacing(7);
    int row = 0;
    for (const auto& purpose : kPurposes) {
        events->addWidget(ShellLook::label(QString::fromLatin1(purpose.event),
                                           NotchFonts::monospaced(11.5, QFont::DemiBold),
                                           NotchPalette::accent(), this),
                          row, 0);
        events->addWidget(
            ShellLook::label(QString::fromUtf8(purpose.purpose), NotchFonts::system(12),
                             QColor::fromRgbF(1, 1, 1, 0.8f), this),
            row, 1);
        ++row;
    }
    events->setColumnStretch(1, 1);
    column->addLayout(events);

    column->addWidget(ShellLook::label(
        QStringLiteral("We back up your existing settings to settings.json.halvane-backup "
                       "before touching anything."),
        NotchFonts::system(11), NotchPalette::dimText(), this, Qt::AlignLeft, true));
    refresh();
}

QString HooksPreviewCard::displayedSettingsPath() {
    const QString path = QString::fromStdString(ClaudePaths::settingsFile().string());
    const QString home = QDir::homePath();
    if (!home.isEmpty() && path.startsWith(home + QLatin1Char('/'))) {
        return QStringLiteral("~") + path.mid(home.size());
    }
    return path;
}

void HooksPreviewCard::refresh() {
    m_file->setText(HooksInstaller::hookBinaryPath() ? displayedSettingsPath()
                                                     : QStringLiteral("(hook binary missing)"));
}

QString HooksPreviewCard::fileText() const {
    return m_file->text();
}

void HooksPreviewCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    NotchShapes::fillRoundedRect(painter, QRectF(rect()), 14, NotchPalette::codeFill(),
                                 NotchPalette::cardStroke(), 1);
}

}  // namespace halvane
