#include "Halvane/Notch/SessionList/SessionRow.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

#include "Halvane/Notch/Components/CollapseButton.h"
#include "Halvane/Notch/Components/IconLabel.h"
#include "Halvane/Notch/SessionList/SessionListText.h"
#include "Halvane/Notch/SessionList/SessionStatusBadge.h"
#include "Halvane/Notch/SessionList/StatusChip.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"
#include "Halvane/Theme/NotchText.h"

namespace halvane {

namespace {

constexpr int kHorizontalPadding = 12;
constexpr int kExpandedVerticalPadding = 10;
constexpr int kCollapsedVerticalPadding = 8;
constexpr int kCollapseInset = 8;
constexpr int kTimeMinimumWidth = 22;

using NotchPalette::withOpacity;

QColor white(float opacity) {
    return QColor::fromRgbF(1, 1, 1, opacity);
}

NotchText* makeName(const QString& text) {
    auto* name = new NotchText(text, NotchFonts::rounded(13, QFont::DemiBold), Qt::white);
    name->setElideMode(Qt::ElideMiddle);
    return name;
}

NotchText* makeTime() {
    auto* time =
        new NotchText(QString(), NotchFonts::rounded(10, QFont::Medium), NotchPalette::dimText());
    time->setElideMode(Qt::ElideNone);
    time->setAlignment(Qt::AlignRight);
    time->setMinimumWidth(kTimeMinimumWidth);
    return time;
}

IconLabel* makeTerminalChip() {
    IconLabel::Style style;
    style.symbolPointSize = 9;
    style.font = NotchFonts::rounded(10, QFont::Medium);
    style.spacing = 4;
    style.color = white(0.55f);
    style.fill = NotchPalette::chipFill();
    style.cornerRadius = 4;
    style.padding = QMarginsF(7, 2, 7, 2);
    return new IconLabel(Icon::terminal, QString(), style);
}

IconLabel* makeOpenHint() {
    IconLabel::Style style;
    style.symbolPointSize = 9;
    style.symbolWeight = QFont::Bold;
    style.font = NotchFonts::rounded(10, QFont::Medium);
    style.spacing = 3;
    style.color = withOpacity(NotchPalette::accent(), 0.85);
    return new IconLabel(Icon::arrowUpRight, QStringLiteral("Click to open"), style);
}

int bodyHeight(const QWidget* body, int width) {
    return body->hasHeightForWidth() ? body->heightForWidth(width) : body->sizeHint().height();
}

}  // namespace

SessionRow::SessionRow(Session session, bool isExpanded, QWidget* parent, Clock clock)
    : QAbstractButton(parent),
      m_session(std::move(session)),
      m_expanded(isExpanded),
      m_clock(std::move(clock)),
      m_collapseButton(new CollapseButton(this)),
      m_fold(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    m_collapsedBody = buildCollapsedBody();
    m_expandedBody = buildExpandedBody();
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    m_fold->setStartValue(0.0);
    m_fold->setEndValue(1.0);
    m_fold->setDuration(static_cast<int>(kFoldDuration.count()));
    m_fold->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_fold, &QVariantAnimation::valueChanged, this, [this] {
        updateGeometry();
        placeBodies();
    });
    connect(m_fold, &QVariantAnimation::finished, this, &SessionRow::updateGeometry);
    connect(m_collapseButton, &QAbstractButton::clicked, this, &SessionRow::collapseRequested);
    refresh();
}

QWidget* SessionRow::buildCollapsedBody() {
    auto* body = new QWidget(this);
    body->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_collapsedBadge = new SessionStatusBadge(SessionUIStatus::idle);
    m_collapsedName = makeName(QString());
    m_collapsedChip = new StatusChip(SessionUIStatus::idle);
    m_collapsedTerminal = makeTerminalChip();
    m_collapsedTime = makeTime();

    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(m_collapsedBadge);
    row->addWidget(m_collapsedName, 0);
    row->addSpacerItem(new QSpacerItem(8, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(m_collapsedChip);
    row->addWidget(m_collapsedTerminal);
    row->addWidget(m_collapsedTime);
    return body;
}

QWidget* SessionRow::buildExpandedBody() {
    auto* body = new QWidget(this);
    body->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_expandedBadge = new SessionStatusBadge(SessionUIStatus::idle);
    m_expandedName = makeName(QString());
    m_expandedTime = makeTime();
    m_preview = new NotchText(QString(), NotchFonts::monospaced(11.5), white(0.7f));
    m_preview->setMaxLines(2);
    m_expandedChip = new StatusChip(SessionUIStatus::idle);
    m_expandedTerminal = makeTerminalChip();

    auto* title = new QHBoxLayout;
    title->setSpacing(8);
    // Keeps the age clear of the collapse button in the corner.
    title->setContentsMargins(0, 0, CollapseButton::kSide + kCollapseInset - kHorizontalPadding + 6,
                              0);
    title->addWidget(m_expandedName, 0);
    title->addStretch(1);
    title->addWidget(m_expandedTime);

    auto* chips = new QHBoxLayout;
    chips->setSpacing(6);
    chips->addWidget(m_expandedChip);
    chips->addWidget(m_expandedTerminal);
    chips->addStretch(1);
    chips->addWidget(makeOpenHint());

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addLayout(title);
    column->addWidget(m_preview);
    column->addLayout(chips);

    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addWidget(m_expandedBadge, 0, Qt::AlignTop);
    row->addLayout(column, 1);
    return body;
}

void SessionRow::setSession(const Session& session) {
    m_session = session;
    refresh();
}

void SessionRow::refresh() {
    const SessionUIStatus state = status();
    const QString project = SessionListText::projectName(m_session.cwd);
    // A session on another machine is named by that machine: there is no
    // terminal here to open.
    const auto label = m_session.remoteHost
                           ? std::optional<QString>(QStringLiteral("on ") +
                                                    QString::fromStdString(*m_session.remoteHost))
                           : SessionListText::terminalLabel(m_session.lastTerminalId);
    const Icon icon = SessionListText::terminalIcon(m_session.lastTerminalId);
    const auto preview = SessionListText::activityPreview(m_session);

    for (SessionStatusBadge* badge : {m_collapsedBadge, m_expandedBadge}) {
        badge->setStatus(state);
    }
    const QString title = SessionListText::rowTitle(m_session);
    for (NotchText* name : {m_collapsedName, m_expandedName}) {
        name->setText(title);
    }
    for (StatusChip* chip : {m_collapsedChip, m_expandedChip}) {
        chip->setStatus(state);
    }
    for (IconLabel* terminal : {m_collapsedTerminal, m_expandedTerminal}) {
        terminal->setContent(icon, label.value_or(QString()));
        terminal->setVisible(label.has_value());
    }
    m_preview->setText(preview.value_or(QString()));
    m_preview->setVisible(preview.has_value());
    refreshTime();

    m_collapsedBody->setVisible(!m_expanded);
    m_expandedBody->setVisible(m_expanded);
    m_collapseButton->setVisible(m_expanded);
    const QString help = m_session.remoteHost
                             ? QStringLiteral("Runs on ") +
                                   QString::fromStdString(*m_session.remoteHost) +
                                   QStringLiteral(": answer it in its terminal there")
                             : SessionListText::helpText(m_expanded, project, label);
    setToolTip(help);
    // Screen readers name the row by its project and read the help after it.
    setAccessibleName(project);
    setAccessibleDescription(help);
    updateGeometry();
    placeBodies();
    update();
}

void SessionRow::refreshTime() {
    const QString age = SessionListText::timeAgo(m_session.lastEvent, m_clock.now());
    m_collapsedTime->setText(age);
    m_expandedTime->setText(age);
}

void SessionRow::setExpanded(bool expanded) {
    if (expanded == m_expanded) {
        return;
    }
    m_foldFrom = height();
    m_expanded = expanded;
    refresh();
    if (isVisible()) {
        m_fold->stop();
        m_fold->start();
    }
}

bool SessionRow::isAnimating() const {
    return m_fold->state() == QAbstractAnimation::Running;
}

SessionUIStatus SessionRow::status() const {
    return SessionListText::uiStatus(m_session);
}

QColor SessionRow::backgroundFill(bool expanded, bool hovering) {
    if (expanded) {
        return withOpacity(NotchPalette::accent(), 0.1);
    }
    return hovering ? withOpacity(NotchPalette::accent(), 0.06) : white(0.03f);
}

QColor SessionRow::backgroundBorder(bool expanded, bool hovering) {
    if (expanded || hovering) {
        return withOpacity(NotchPalette::accent(), expanded ? 0.45 : 0.3);
    }
    return white(0.06f);
}

QWidget* SessionRow::currentBody() const {
    return m_expanded ? m_expandedBody : m_collapsedBody;
}

int SessionRow::verticalPadding() const {
    return m_expanded ? kExpandedVerticalPadding : kCollapsedVerticalPadding;
}

int SessionRow::targetHeight(int width) const {
    const int inner = std::max(0, width - 2 * kHorizontalPadding);
    return bodyHeight(currentBody(), inner) + 2 * verticalPadding();
}

int SessionRow::heightForWidth(int width) const {
    const int target = targetHeight(width);
    if (!isAnimating()) {
        return target;
    }
    const qreal progress = m_fold->currentValue().toReal();
    return static_cast<int>(std::lround(m_foldFrom + (target - m_foldFrom) * progress));
}

QSize SessionRow::sizeHint() const {
    const int width = m_collapsedBody->sizeHint().width() + 2 * kHorizontalPadding;
    return QSize(width, heightForWidth(width));
}

QSize SessionRow::minimumSizeHint() const {
    return QSize(0, heightForWidth(sizeHint().width()));
}

// The bodies keep their full height and are uncovered as the row grows.
void SessionRow::placeBodies() {
    const int inner = std::max(0, width() - 2 * kHorizontalPadding);
    QWidget* body = currentBody();
    body->setGeometry(kHorizontalPadding, verticalPadding(), inner, bodyHeight(body, inner));
    m_collapseButton->move(width() - kCollapseInset - CollapseButton::kSide, kCollapseInset);
    m_collapseButton->raise();
}

void SessionRow::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    placeBodies();
}

void SessionRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    NotchShapes::fillRoundedRect(painter, QRectF(rect()), kCornerRadius,
                                 backgroundFill(m_expanded, m_hovering),
                                 backgroundBorder(m_expanded, m_hovering), 1);
    const SessionStatusBadge* badge = m_expanded ? m_expandedBadge : m_collapsedBadge;
    if (SessionStatusBadge::lookFor(badge->status()).glows) {
        const QRectF tile(badge->mapTo(this, QPoint(0, 0)), badge->size());
        SessionStatusBadge::glow().paint(
            painter, NotchShapes::continuousRoundedRect(tile, SessionStatusBadge::kCornerRadius));
    }
}

void SessionRow::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    m_hovering = true;
    update();
}

void SessionRow::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    m_hovering = false;
    update();
}

bool SessionRow::hitButton(const QPoint& position) const {
    return NotchShapes::continuousRoundedRect(QRectF(rect()), kCornerRadius).contains(position);
}

}  // namespace halvane
