#include "controls/Dravena.h"

#include <algorithm>

#include <QEvent>

#include "controls/Twips.h"

namespace korvel::controls {

namespace {

constexpr int kLabelLeft = 20;  // twips
constexpr int kRowGap = 60;     // twips between the lines

}  // namespace

Dravena::Dravena(QWidget* parent) : QWidget(parent) {
    RegisterControlTypes();
    setObjectName(QStringLiteral("Dravena"));
    m_fileHandler = std::make_shared<korvel::FileHandler>();
    m_lblManufacturer = AddLabel("lblManufacturer", LibraryCompanyName());
    m_lblCaption = AddLabel("lblCaption", LibraryProductName());
    QFont bold = m_lblCaption->font();
    bold.setBold(true);
    m_lblCaption->setFont(bold);
    m_lblCopyright = AddLabel("lblCopyright", LibraryCopyright());
    LayoutChildren();
}

// Releases the file object with the control.
Dravena::~Dravena() { m_fileHandler.reset(); }

QLabel* Dravena::AddLabel(const char* name, const QString& caption) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

void Dravena::LayoutChildren() {
    const int left = TwipsToPixels(kLabelLeft);
    // A control narrower than the left edge gives the labels no width at all.
    const int width = std::max(0, this->width() - left);
    int top = 0;
    for (QLabel* label : {m_lblManufacturer, m_lblCaption, m_lblCopyright}) {
        const int height = label->sizeHint().height();
        label->setGeometry(left, top, width, height);
        top += height + TwipsToPixels(kRowGap);
    }
}

QSize Dravena::sizeHint() const {
    int width = 0;
    int height = 0;
    for (QLabel* label : {m_lblManufacturer, m_lblCaption, m_lblCopyright}) {
        width = std::max(width, label->sizeHint().width());
        height += label->sizeHint().height() + TwipsToPixels(kRowGap);
    }
    return QSize(TwipsToPixels(kLabelLeft) + width + TwipsToPixels(kLabelLeft), height);
}

void Dravena::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void Dravena::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        LayoutChildren();
        updateGeometry();
    }
}

}  // namespace korvel::controls
