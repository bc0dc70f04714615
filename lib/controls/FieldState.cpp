#include "controls/FieldState.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextEdit>
#include <QWheelEvent>

#include "id3v1/Genres.h"

namespace korvel::controls {

namespace {

constexpr const char* kColourProperty = "korvelFieldColour";

}  // namespace

void SetFieldColour(QWidget* field, FieldColour colour) {
    if (field == nullptr) return;
    field->setProperty(kColourProperty, static_cast<int>(colour));
    // Both colours come from the surroundings, so that the field follows the
    // host's palette; the disabled group keeps the style's own look.
    const QPalette base =
        field->parentWidget() ? field->parentWidget()->palette() : QApplication::palette(field);
    const QColor wanted = base.color(QPalette::Active, colour == FieldColour::Window
                                                           ? QPalette::Base
                                                           : QPalette::Button);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Active, QPalette::Base, wanted);
    palette.setColor(QPalette::Inactive, QPalette::Base, wanted);
    field->setPalette(palette);
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) {
        combo->lineEdit()->setPalette(palette);
    }
}

FieldColour FieldColourOf(const QWidget* field) {
    if (field == nullptr) return FieldColour::Window;
    const QVariant stored = field->property(kColourProperty);
    return stored.isValid() && stored.toInt() == static_cast<int>(FieldColour::ButtonFace)
               ? FieldColour::ButtonFace
               : FieldColour::Window;
}

void SetFieldReadOnly(QWidget* field, bool readOnly) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setReadOnly(readOnly);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        plain->setReadOnly(readOnly);
    } else if (auto* rich = qobject_cast<QTextEdit*>(field)) {
        rich->setReadOnly(readOnly);
    } else if (auto* genre = qobject_cast<GenreComboBox*>(field)) {
        genre->setReadOnly(readOnly);
    }
}

bool IsFieldReadOnly(const QWidget* field) {
    if (auto* line = qobject_cast<const QLineEdit*>(field)) return line->isReadOnly();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(field)) return plain->isReadOnly();
    if (auto* rich = qobject_cast<const QTextEdit*>(field)) return rich->isReadOnly();
    if (auto* genre = qobject_cast<const GenreComboBox*>(field)) return genre->isReadOnly();
    return false;
}

void FieldSet::Lock(bool locked) {
    for (const QPointer<QWidget>& field : m_fields) {
        if (!field) continue;
        field->setEnabled(true);
        SetFieldReadOnly(field, locked);
        SetFieldColour(field, locked ? FieldColour::ButtonFace : FieldColour::Window);
    }
    m_enabled = true;
    m_locked = locked;
}

void FieldSet::Enable(bool enabled) {
    for (const QPointer<QWidget>& field : m_fields) {
        if (!field) continue;
        field->setEnabled(enabled);
        SetFieldReadOnly(field, false);
        SetFieldColour(field, FieldColour::Window);
    }
    m_enabled = enabled;
    m_locked = false;
}

void FieldSet::SetColour(FieldColour colour) {
    for (const QPointer<QWidget>& field : m_fields) SetFieldColour(field, colour);
}

void FieldSet::RefreshColours() {
    for (const QPointer<QWidget>& field : m_fields) {
        if (field) RefreshFieldColour(field);
    }
}

GenreComboBox::GenreComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
}

void GenreComboBox::FillGenres(const korvel::Genres& genres) {
    const bool noSelection = currentIndex() < 0;
    const QString shown = currentText();
    for (const GenrePtr& genre : genres) {
        addItem(QString::fromStdString(genre->Description()), static_cast<int>(genre->Num()));
    }
    // The box is narrower than the longest names; the list shows them whole.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    if (noSelection) {
        setCurrentIndex(-1);
        setEditText(shown);
    }
}

void GenreComboBox::ShowText(const QString& text) {
    const int entry = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(entry);
    if (entry < 0) setEditText(text);
    if (lineEdit()) lineEdit()->setCursorPosition(0);
}

int GenreComboBox::GenreNumberAt(int index) const {
    if (index < 0 || index >= count()) return -1;
    const QVariant data = itemData(index);
    return data.isValid() ? data.toInt() : -1;
}

int GenreComboBox::WidthForText(const QString& text) const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize content(fontMetrics().horizontalAdvance(text) + 4, fontMetrics().height());
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this).width();
}

void GenreComboBox::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    if (lineEdit()) lineEdit()->setReadOnly(readOnly);
}

void GenreComboBox::showPopup() {
    if (!m_readOnly) QComboBox::showPopup();
}

void GenreComboBox::keyPressEvent(QKeyEvent* event) {
    if (m_readOnly) {
        switch (event->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_F4:
                event->accept();
                return;
            default:
                break;
        }
    }
    QComboBox::keyPressEvent(event);
}

void GenreComboBox::wheelEvent(QWheelEvent* event) {
    if (m_readOnly) {
        event->accept();
        return;
    }
    QComboBox::wheelEvent(event);
}

}  // namespace korvel::controls
