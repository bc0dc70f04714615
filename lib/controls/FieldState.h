#pragma once
// The state every editing control gives its input fields: enabled or not,
// read-only or writable, and one of two background colours that carries the
// state (the window colour for a field the user may edit or has touched, the
// button-face colour for a field that is locked or not yet touched).
#include <vector>

#include <QComboBox>
#include <QPointer>
#include <QWidget>

namespace korvel {
class Genres;
}

namespace korvel::controls {

enum class FieldColour {
    Window,      // the palette's Base role: a normal text-field background
    ButtonFace,  // the palette's Button role: dialog and button background
};

// Gives the field the colour and remembers which one it shows, so that
// FieldColourOf answers from the state and not from the pixel values (the
// two roles may have the same colour in some themes). Works for line edits,
// text edits and combo boxes.
void SetFieldColour(QWidget* field, FieldColour colour);
// The colour set last; Window for a field that was never given one.
FieldColour FieldColourOf(const QWidget* field);
// Sets the colour the field shows again, from its current surroundings (after
// the host changed the palette).
inline void RefreshFieldColour(QWidget* field) { SetFieldColour(field, FieldColourOf(field)); }

// Read-only state of a QLineEdit, QPlainTextEdit, QTextEdit or
// GenreComboBox; other widgets have none (false, and the write is ignored).
void SetFieldReadOnly(QWidget* field, bool readOnly);
bool IsFieldReadOnly(const QWidget* field);

// The fields of one control and the two state calls that act on all of them:
//   Lock(v):   enabled, read-only v, button face when v else window colour;
//              the enabled flag becomes true and the locked flag v.
//   Enable(v): enabled v, writable, window colour;
//              the enabled flag becomes v and the locked flag false.
class FieldSet {
public:
    void Add(QWidget* field) { m_fields.emplace_back(field); }
    const std::vector<QPointer<QWidget>>& Fields() const { return m_fields; }

    void Lock(bool locked);
    void Enable(bool enabled);
    void SetColour(FieldColour colour);
    // Re-applies every field's colour; call it on QEvent::PaletteChange.
    void RefreshColours();

    bool EnabledFlag() const { return m_enabled; }
    bool LockedFlag() const { return m_locked; }

private:
    std::vector<QPointer<QWidget>> m_fields;
    bool m_enabled = true;
    bool m_locked = false;
};

// The genre combo of the ID3v1 and ID3v2 editors: an editable combo whose
// entries show the genre names and carry the genre number as item data (the
// position of an entry is never a genre number). It can be made read-only:
// then neither the list, the arrow keys, the wheel nor typing changes it.
class GenreComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit GenreComboBox(QWidget* parent = nullptr);

    // Adds one entry per genre of the list, in list order. A combo without
    // a selection keeps none.
    void FillGenres(const korvel::Genres& genres);
    // Shows a text: the entry with exactly this text becomes the selection;
    // a text without an entry is shown with no selection. The start of the
    // text stays in view.
    void ShowText(const QString& text);
    // The genre number of an entry; -1 for an invalid index.
    int GenreNumberAt(int index) const;

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    // The width at which the combo shows the given text whole.
    int WidthForText(const QString& text) const;

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_readOnly = false;
};

}  // namespace korvel::controls
