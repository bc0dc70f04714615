#pragma once
// Edit commands on one single-line text box, and whether each of them is
// currently possible (so that a menu can enable or grey its items).
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QString>

namespace korvel::controls {

class cTextBox {
public:
    // The box every command acts on; may be set again at any time. The object
    // does not own the box. With no box (or after it was destroyed) the
    // commands do nothing and the Can... answers are false.
    void setTextBox(QLineEdit* box);
    QLineEdit* TextBox() const { return m_box; }

    void Cut();
    void Copy();
    void Paste();
    // Undoes the last edit, only when there is one to undo.
    void Undo();
    // Selects the whole text.
    void SelectAll();
    // Replaces the selection with sText; with nothing selected nothing
    // happens (the text is not inserted at the caret). Without bAllowUndo the
    // edit cannot be undone (and clears what could be undone before).
    void ReplaceSelection(const QString& sText, bool bAllowUndo);
    // Removes the selection; with nothing selected the box is unchanged.
    void Delete(bool bAllowUndo);

    // A selection exists and the box is not read-only.
    bool CanCut() const;
    // A selection exists (read-only or not).
    bool CanCopy() const;
    // The clipboard offers text; the box is not consulted.
    bool CanPaste() const;
    bool CanUndo() const;
    // The box holds text and nothing is selected.
    bool CanSelectAll() const;

    // Stored flag without further effect; the write is ignored while no box
    // is set.
    bool DisableContextMenu() const { return m_disableContextMenu; }
    void setDisableContextMenu(bool value);
    // Stored references without further effect.
    void setContextMenu(QMenu* menu) { m_contextMenu = menu; }
    void setMenuObject(QObject* object) { m_menuObject = object; }

private:
    QPointer<QObject> m_menuObject;
    QPointer<QMenu> m_contextMenu;
    bool m_disableContextMenu = false;
    QPointer<QLineEdit> m_box;
};

}  // namespace korvel::controls
