#include "Halvane/App/Shell/OnboardingStepView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

constexpr int kTextWidth = 520;

}  // namespace

OnboardingStepView::OnboardingStepView(QWidget* parent)
    : QWidget(parent),
      m_heroSlot(new QVBoxLayout),
      m_title(ShellLook::label({}, NotchFonts::system(26, QFont::Bold), Qt::white, this,
                               Qt::AlignCenter)),
      m_subtitle(ShellLook::label({}, NotchFonts::system(13.5), NotchPalette::mutedText(), this,
                                  Qt::AlignCenter, true)),
      m_hint(ShellLook::label({}, NotchFonts::system(11.5, QFont::Medium),
                              NotchPalette::withOpacity(NotchPalette::accent(), 0.9), this,
                              Qt::AlignCenter)),
      m_secondary(new OnboardingButton({}, OnboardingButton::Style::secondary, this)),
      m_primary(new OnboardingButton({}, OnboardingButton::Style::primary, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_subtitle->setFixedWidth(kTextWidth);
    m_subtitle->setMinimumHeight(38);
    m_subtitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The hint keeps its line while hidden so the buttons never jump.
    QSizePolicy keep = m_hint->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_hint->setSizePolicy(keep);
    m_hint->hide();
    m_secondary->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(40, 0, 40, 26);
    column->setSpacing(0);
    m_heroSlot->setContentsMargins(0, 0, 0, 0);
    column->addLayout(m_heroSlot, 1);
    column->addSpacing(18);
    column->addWidget(m_title, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(m_subtitle, 0, Qt::AlignHCenter);
    column->addSpacing(6);
    column->addWidget(m_hint, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_secondary);
    buttons->addWidget(m_primary);
    buttons->addStretch(1);
    column->addLayout(buttons);
}

OnboardingButton* OnboardingStepView::secondaryButton() const {
    return m_secondary->isHidden() ? nullptr : m_secondary;
}

QString OnboardingStepView::title() const {
    return m_title->text();
}

QString OnboardingStepView::subtitle() const {
    return m_subtitle->text();
}

QString OnboardingStepView::visibleHint() const {
    return m_hint->isHidden() ? QString() : m_hint->text();
}

void OnboardingStepView::setHero(QWidget* hero) {
    hero->setParent(this);
    m_heroSlot->addWidget(hero, 1, Qt::AlignCenter);
}

void OnboardingStepView::setTitle(const QString& title) {
    m_title->setText(title);
}

void OnboardingStepView::setSubtitle(const QString& subtitle) {
    m_subtitle->setText(subtitle);
}

void OnboardingStepView::setHint(const QString& hint) {
    m_hintText = hint;
    updateHint();
}

void OnboardingStepView::setPrimary(const QString& label, bool enabled) {
    m_primary->setLabel(label);
    m_primary->setDisabled(!enabled);
    updateHint();
}

void OnboardingStepView::setSecondary(const QString& label) {
    m_secondary->setLabel(label);
    m_secondary->setVisible(!label.isEmpty());
}

void OnboardingStepView::updateHint() {
    m_hint->setText(m_hintText);
    m_hint->setVisible(!m_primary->isEnabled() && !m_hintText.isEmpty());
}

}  // namespace halvane
