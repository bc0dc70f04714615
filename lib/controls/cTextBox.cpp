#include "controls/cTextBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace korvel::controls {

void cTextBox::setTextBox(QLineEdit* box) { m_box = box; }

void cTextBox::Cut() {
    if (!m_box) return;
    // A read-only box gives its selection to the clipboard and keeps it.
    if (m_box->isReadOnly()) {
        m_box->copy();
    } else {
        m_box->cut();
    }
}

void cTextBox::Copy() {
    if (m_box) m_box->copy();
}

void cTextBox::Paste() {
    if (m_box && !m_box->isReadOnly()) m_box->paste();
}

void cTextBox::Undo() {
    if (m_box && m_box->isUndoAvailable()) m_box->undo();
}

void cTextBox::SelectAll() {
    if (m_box) m_box->setSelection(0, static_cast<int>(m_box->text().length()));
}

void cTextBox::ReplaceSelection(const QString& sText, bool bAllowUndo) {
    if (!m_box || !m_box->hasSelectedText()) return;
    if (bAllowUndo) {
        m_box->insert(sText);
        return;
    }
    // setText starts a new undo history, so the replacement cannot be undone.
    const QString text = m_box->text();
    const int start = m_box->selectionStart();
    const int length = static_cast<int>(m_box->selectedText().length());
    m_box->setText(text.left(start) + sText + text.mid(start + length));
    m_box->setCursorPosition(start + static_cast<int>(sText.length()));
}

void cTextBox::Delete(bool bAllowUndo) { ReplaceSelection(QString(), bAllowUndo); }

bool cTextBox::CanCut() const { return m_box && m_box->hasSelectedText() && !m_box->isReadOnly(); }

bool cTextBox::CanCopy() const { return m_box && m_box->hasSelectedText(); }

bool cTextBox::CanPaste() const {
    if (!m_box) return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

bool cTextBox::CanUndo() const { return m_box && m_box->isUndoAvailable(); }

bool cTextBox::CanSelectAll() const {
    return m_box && !m_box->text().isEmpty() && !m_box->hasSelectedText();
}

void cTextBox::setDisableContextMenu(bool value) {
    if (m_box) m_disableContextMenu = value;
}

}  // namespace korvel::controls
