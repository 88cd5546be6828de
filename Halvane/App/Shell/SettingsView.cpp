#include "Halvane/App/Shell/SettingsView.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "Halvane/App/Shell/AboutTab.h"
#include "Halvane/App/Shell/ConfirmationSheet.h"
#include "Halvane/App/Shell/ConnectionTab.h"
#include "Halvane/App/Shell/GeneralTab.h"
#include "Halvane/App/Shell/PermissionsTab.h"
#include "Halvane/App/Shell/SettingsTabBar.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr qreal kLogoSize = 34;

// The round "close" in the header's corner.
class CloseButton final : public QAbstractButton {
public:
    explicit CloseButton(QWidget* parent) : QAbstractButton(parent) {
        setToolTip(QStringLiteral("Close"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
        setFixedSize(28, 28);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(1, 1, 1, underMouse() ? 0.14f : 0.07f));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        IconGlyphs::draw(painter, Icon::close, QRectF(rect()), 12, QFont::Bold,
                         QColor::fromRgbF(1, 1, 1, 0.75f));
    }
};

}  // namespace

SettingsView::SettingsView(ShellServices services, UpdaterManager* updater, SettingsTimings timings,
                           QWidget* parent)
    : QWidget(parent),
      m_services(std::move(services)),
      m_feedback(m_services.sounds, m_services.preferences),
      m_versionLine(QStringLiteral("Halvane \u00b7 v") + ShellLook::version(m_services)),
      m_tabBar(new SettingsTabBar(this)),
      m_pages(new QStackedWidget(this)),
      m_sheet(nullptr),
      m_close(new CloseButton(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(ShellLook::logo(m_services, kLogoSize, this));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(ShellLook::label(QStringLiteral("Settings"),
                                       NotchFonts::system(18, QFont::Bold), Qt::white, this));
    titles->addWidget(
        ShellLook::label(m_versionLine, NotchFonts::system(11.5), NotchPalette::mutedText(), this));
    header->addLayout(titles, 1);
    header->addWidget(m_close, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 22, 26, 22);
    column->setSpacing(0);
    column->addLayout(header);
    column->addSpacing(16);
    column->addWidget(m_tabBar);
    column->addSpacing(14);
    column->addWidget(m_pages, 1);

    // Made last so it lies over everything else.
    m_sheet = new ConfirmationSheet(this);
    m_general = new GeneralTab(m_services, m_feedback);
    connect(m_general, &GeneralTab::replayOnboardingRequested, this,
            &SettingsView::replayOnboardingRequested);
    m_connection = new ConnectionTab(m_feedback, *m_sheet, timings.connectionPoll);
    m_permissions = new PermissionsTab(m_services, m_feedback, timings.permissionsPoll);
    m_about = new AboutTab(m_services, updater);
    for (QWidget* tab : {static_cast<QWidget*>(m_general), static_cast<QWidget*>(m_connection),
                         static_cast<QWidget*>(m_permissions), static_cast<QWidget*>(m_about)}) {
        m_pages->addWidget(page(tab));
    }
    m_sheet->raise();

    connect(m_tabBar, &SettingsTabBar::tabSelected, this, &SettingsView::setTab);
    connect(m_close, &QAbstractButton::clicked, this, &SettingsView::closeRequested);
}

SettingsView::~SettingsView() = default;

QWidget* SettingsView::page(QWidget* tab) {
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setAttribute(Qt::WA_TranslucentBackground);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setStyleSheet(QStringLiteral(
        "QScrollArea { background: transparent; }"
        "QScrollBar:vertical { background: transparent; width: 6px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(255,255,255,40); border-radius: 3px; "
        "min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
    scroll->setWidget(tab);
    // setWidget() turns the background on; the window's glass shows through.
    tab->setAutoFillBackground(false);
    return scroll;
}

SettingsTab SettingsView::tab() const {
    return m_tabBar->selected();
}

void SettingsView::setTab(SettingsTab tab) {
    m_tabBar->select(tab);
    m_pages->setCurrentIndex(static_cast<int>(tab));
}

QString SettingsView::versionLine() const {
    return m_versionLine;
}

void SettingsView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_sheet->asking()) {
            m_sheet->cancel();
        } else {
            emit closeRequested();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ShellLook::paintWindowBackground(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace halvane
