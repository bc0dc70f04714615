#pragma once
// The ID3v2 editor: shows one ID3v2 tag (any version) with its common text
// fields, picture, lyrics and the list of all its frames, lets the user edit a
// version 2.3 tag and hands the same object back, updated. A check box says
// whether the file is to carry a tag; ticking it on a file without one makes
// the editor create a new updatable tag (an ID3V230) that the host then writes
// into the file. The editor never touches a file and raises no events: the
// host polls HasTag, saveTag and removeTag.
//
// The tag crosses the Qt property system as a QVariant holding a
// korvel::ID3V2TagPtr, a korvel::ID3V230Ptr or nothing:
//
//     editor->setProperty("ID3V2Tag", QVariant::fromValue(file->ID3V2Tag()));
//     QVariant tag = editor->property("ID3V2Tag");   // fields written into it
//     if (auto created = tag.value<korvel::ID3V230Ptr>()) ...
//
// Setting anything else than an ID3V2Tag (or nothing), and reading while a
// foreign object is held, throw korvel::KorvelException (0x80040000, "Invalid
// type of tag passed."); so does reading when a new tag's track box holds
// text that is not a number.
//
// Two design-time properties, Mode ("V2A") and FrameListVisible ("FRL"), are
// kept by the host through a PropertyBag.
#include <cstdint>
#include <memory>
#include <vector>

#include <QList>
#include <QVariant>
#include <QWidget>

#include "controls/ControlTypes.h"
#include "controls/PropertyBag.h"
#include "core/Picture.h"
#include "id3v1/Genres.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v2/TagFields.h"
#include "id3v230/ID3V230.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace korvel::controls {

class FieldSet;
class GenreComboBox;

class ID3v2 : public QWidget, public PersistentControl {
    Q_OBJECT
    // Run-time members: form editors neither show them nor store them in a form.
    Q_PROPERTY(QVariant ID3V2Tag READ ID3V2Tag WRITE setID3V2Tag DESIGNABLE false STORED false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setFieldsEnabled DESIGNABLE false STORED false)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked DESIGNABLE false STORED false)
    Q_PROPERTY(bool removeTag READ removeTag DESIGNABLE false STORED false)
    Q_PROPERTY(bool saveTag READ saveTag DESIGNABLE false STORED false)
    Q_PROPERTY(bool HasTag READ HasTag DESIGNABLE false STORED false)
    // Design-time properties: form editors show them and store them in the
    // form, as a PropertyBag keeps them under "V2A" and "FRL".
    Q_PROPERTY(korvel::controls::EID3v2Apperance Mode READ Mode WRITE setMode
                   DESIGNABLE true STORED true)
    Q_PROPERTY(bool FrameListVisible READ FrameListVisible WRITE setFrameListVisible
                   DESIGNABLE true STORED true)

public:
    explicit ID3v2(QWidget* parent = nullptr);
    ~ID3v2() override;

    // Writes the fields into the held tag and returns it: an ID3V2TagPtr or
    // an ID3V230Ptr; an invalid QVariant when nothing is held.
    QVariant ID3V2Tag();
    // Holds the given object (not a copy) and shows it. An ID3V2TagPtr is
    // shown; nothing (an invalid QVariant or a null pointer) shows no tag;
    // anything else is held but refused with an error.
    void setID3V2Tag(const QVariant& tag);
    void setID3V2Tag(korvel::ID3V2TagPtr tag);
    void setID3V2Tag(std::nullptr_t) { setID3V2Tag(korvel::ID3V2TagPtr()); }
    // The held object as setID3V2Tag took it or the check box created it,
    // without writing the fields into it.
    QVariant CurrentTag() const;

    // Empties every box, the picture and the frame list. The held tag, the
    // check box and the field state stay as they are.
    Q_INVOKABLE void Clear();

    // Field state of the fourteen fields and the two picture buttons:
    // Enabled = v enables or disables them (writable, window colour);
    // Locked = v makes them read-only with the button-face colour (v true)
    // or writable with the window colour, and enables the picture buttons
    // when v is false. The three multi-line boxes stay scrollable when
    // disabled: they are then read-only with the button-face colour.
    // (QWidget::setEnabled is the widget's own state and is left to the host.)
    bool Enabled() const;
    void setFieldsEnabled(bool enabled);
    bool Locked() const;
    void setLocked(bool locked);

    // What the user asked for, for the host to carry out.
    bool removeTag() const;
    bool saveTag() const;
    bool HasTag() const;

    // Panel arrangement: v2aDefault stacks the text panels with the frame
    // list below them and the picture panel to their right; v2aWide puts the
    // three panels side by side with the frame list below. Any value other
    // than v2aWide is taken as v2aDefault.
    EID3v2Apperance Mode() const { return m_mode; }
    void setMode(EID3v2Apperance mode);
    bool FrameListVisible() const { return m_frameListVisible; }
    void setFrameListVisible(bool visible);

    // "V2A" (default v2aDefault) and "FRL" (default true).
    void ReadProperties(const PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) const override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The fields of the field table the editor shows, each in the box the
    // table names, in table order.
    static const std::vector<const korvel::TagFieldInfo*>& Fields();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The box of a field (null for a field the editor does not show).
    QWidget* FieldBox(const korvel::TagFieldInfo& info) const;
    QLineEdit* AddLine(QWidget* panel, korvel::TagField field);
    QPlainTextEdit* AddMultiLine(QWidget* parent, korvel::TagField field);
    QLabel* AddCaption(QWidget* panel, const char* name, const QString& caption);
    void BuildHeader();
    void BuildTopPanel();
    void BuildBottomPanel();
    void BuildPicturePanel();
    void BuildFrameList();

    void ShowTag(const korvel::ID3V2TagPtr& tag);
    void ShowGenre(korvel::ID3V2Tag& tag);
    void FillFrameList(korvel::ID3V2Tag& tag);
    void FitColumns();
    void ShowPicture(const korvel::PicturePtr& picture);
    // The genre text to store: "(n)Name" when lblGenreByte's number names
    // exactly the combo's text, else the combo's text.
    QString GenreToStore() const;
    // Reads the fields back into a held korvel::ID3V2Tag or korvel::ID3V230.
    template <typename Tag>
    void StoreInto(Tag& tag);

    void OnCheckBoxClicked();
    void OnGenreActivated(int index);
    void OnLoadPicture();
    void OnClearPicture();

    // Geometry: the panels' design sizes, then their places for the mode,
    // then the parts that follow the control's size.
    void MeasurePanels();
    void ArrangePanels();
    void FitToSize();
    void LayoutPicturePanel();

    korvel::ID3V2TagPtr m_tag;       // a tag handed in
    korvel::ID3V230Ptr m_newTag;     // a tag created by the check box (or handed in)
    QVariant m_foreign;              // anything else handed in
    korvel::PicturePtr m_picture;    // the picture picMain shows
    bool m_pictureChanged = false;   // loaded or cleared since the tag was shown
    korvel::ConstGenresPtr m_genres;
    EID3v2Apperance m_mode = v2aDefault;
    bool m_frameListVisible = true;
    std::unique_ptr<FieldSet> m_fields;

    QCheckBox* m_chkID3v2 = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblSizeCaption = nullptr;
    QLabel* m_lblSize = nullptr;
    QWidget* m_grpTop = nullptr;
    QWidget* m_grpBottom = nullptr;
    QWidget* m_grpPicture = nullptr;
    QLineEdit* m_txtTitle = nullptr;
    GenreComboBox* m_cmbGenre = nullptr;
    QLabel* m_lblGenreByte = nullptr;
    QLabel* m_picMain = nullptr;
    QPushButton* m_cmdLoadPicture = nullptr;
    QPushButton* m_cmdClearPicture = nullptr;
    QTabWidget* m_sstLyrics = nullptr;
    QTreeWidget* m_lvwFrames = nullptr;
    QList<QLabel*> m_captions;  // the captions of both text panels

    // Geometry in pixels, from MeasurePanels and ArrangePanels.
    int m_headerHeight = 0;
    QSize m_topSize;
    QSize m_bottomSize;
    QSize m_pictureSize;
    QSize m_arrangedSize;
};

}  // namespace korvel::controls
