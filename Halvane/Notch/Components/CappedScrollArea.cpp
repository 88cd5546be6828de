#include "Halvane/Notch/Components/CappedScrollArea.h"

#include <QEvent>
#include <QLayout>
#include <QScrollBar>

#include <algorithm>

namespace halvane {

namespace {

// A thin, rounded, translucent thumb that sits over the content's edge.
constexpr auto kIndicatorStyle = R"(
QScrollBar:vertical { background: transparent; width: 6px; margin: 2px 1px 2px 0px; }
QScrollBar::handle:vertical { background: rgba(255, 255, 255, 64); border-radius: 2px;
                              min-height: 18px; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }
)";

}  // namespace

CappedScrollArea::CappedScrollArea(QWidget* content, std::optional<int> cap, Indicators indicators,
                                   QWidget* parent)
    : QScrollArea(parent), m_cap(cap) {
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_TranslucentBackground);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(indicators == Indicators::shown ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setStyleSheet(QString::fromLatin1(kIndicatorStyle));
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setWidget(content);
    // Set after setWidget, which turns the content's background filling on.
    content->setAutoFillBackground(false);
    content->setAttribute(Qt::WA_TranslucentBackground);
    content->installEventFilter(this);
}

void CappedScrollArea::setCap(std::optional<int> cap) {
    if (cap != m_cap) {
        m_cap = cap;
        updateGeometry();
    }
}

int CappedScrollArea::contentHeightForWidth(int width) const {
    const QWidget* content = widget();
    if (content == nullptr) {
        return 0;
    }
    if (content->hasHeightForWidth()) {
        return content->heightForWidth(width);
    }
    return content->sizeHint().height();
}

bool CappedScrollArea::isScrolling() const {
    return m_cap && contentHeightForWidth(viewport()->width()) > *m_cap;
}

int CappedScrollArea::heightForWidth(int width) const {
    const int content = contentHeightForWidth(width);
    return m_cap ? std::min(*m_cap, content) : content;
}

QSize CappedScrollArea::sizeHint() const {
    const QWidget* content = widget();
    const int width = content != nullptr ? content->sizeHint().width() : 0;
    return QSize(width, heightForWidth(width));
}

QSize CappedScrollArea::minimumSizeHint() const {
    return QSize(0, 0);
}

bool CappedScrollArea::eventFilter(QObject* watched, QEvent* event) {
    // The content's height decides this view's: follow its layout changes.
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
    }
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace halvane
