#pragma once
// The ID3v1 editor: shows one ID3v1/ID3v1.1 tag in seven fields, lets the
// user edit them and hands the same tag object back, updated. A check box
// says whether the file is to carry a tag; the host polls saveTag and
// removeTag and does the file work itself. A right-click menu on the title,
// artist, album and comment boxes offers edit commands and case conversion.
//
// Every public member of the editor is also reachable by name through the Qt
// property system (setProperty("Locked", true), property("saveTag"),
// QMetaObject::invokeMethod(editor, "Clear")). Writing a field property while
// no tag is held, and reading Track while the track box holds text that is
// not a number, throw korvel::KorvelException.
#include <array>
#include <cstdint>
#include <memory>

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QWidget>

#include "controls/ControlTypes.h"
#include "id3v1/ID3V1Tag.h"

class QAction;
class QCheckBox;
class QMenu;
class QToolButton;

namespace korvel::controls {

class BatchString;
class FieldSet;
class GenreComboBox;
class cTextBox;

class ID3v1 : public QWidget {
    Q_OBJECT
    // All run-time members: form editors neither show them nor store them in a
    // form (the field setters need a tag, which only exists at run time).
    Q_PROPERTY(QString Title READ Title WRITE setTitle DESIGNABLE false STORED false)
    Q_PROPERTY(QString Artist READ Artist WRITE setArtist DESIGNABLE false STORED false)
    Q_PROPERTY(QString Album READ Album WRITE setAlbum DESIGNABLE false STORED false)
    Q_PROPERTY(QString Year READ Year WRITE setYear DESIGNABLE false STORED false)
    Q_PROPERTY(QString Comment READ Comment WRITE setComment DESIGNABLE false STORED false)
    Q_PROPERTY(int Track READ Track WRITE setTrack DESIGNABLE false STORED false)
    Q_PROPERTY(int Genre READ Genre WRITE setGenre DESIGNABLE false STORED false)
    Q_PROPERTY(korvel::ID3V1TagPtr ID3v1xTag READ ID3v1xTag WRITE setID3v1xTag
                   DESIGNABLE false STORED false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setFieldsEnabled DESIGNABLE false STORED false)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked DESIGNABLE false STORED false)
    Q_PROPERTY(bool TitleChanged READ TitleChanged DESIGNABLE false STORED false)
    Q_PROPERTY(bool ArtistChanged READ ArtistChanged DESIGNABLE false STORED false)
    Q_PROPERTY(bool AlbumChanged READ AlbumChanged DESIGNABLE false STORED false)
    Q_PROPERTY(bool YearChanged READ YearChanged DESIGNABLE false STORED false)
    Q_PROPERTY(bool GenreChanged READ GenreChanged DESIGNABLE false STORED false)
    Q_PROPERTY(bool TrackChanged READ TrackChanged DESIGNABLE false STORED false)
    Q_PROPERTY(bool CommentChanged READ CommentChanged DESIGNABLE false STORED false)
    Q_PROPERTY(int TagCount READ TagCount DESIGNABLE false STORED false)
    Q_PROPERTY(korvel::controls::ETagEditModeConstants VisibilityMode READ VisibilityMode WRITE
                   setVisibilityMode DESIGNABLE false STORED false)
    Q_PROPERTY(bool removeTag READ removeTag DESIGNABLE false STORED false)
    Q_PROPERTY(bool saveTag READ saveTag DESIGNABLE false STORED false)
    Q_PROPERTY(bool HasTag READ HasTag DESIGNABLE false STORED false)

public:
    explicit ID3v1(QWidget* parent = nullptr);
    ~ID3v1() override;

    // The text of the matching box.
    QString Title() const;
    QString Artist() const;
    QString Album() const;
    QString Year() const;
    QString Comment() const;
    // These store into the held tag; the boxes are not refreshed.
    void setTitle(const QString& value);
    void setArtist(const QString& value);
    void setAlbum(const QString& value);
    void setYear(const QString& value);
    void setComment(const QString& value);

    // 0 for an empty track box, else its number; text that is not a number
    // throws (number 13, type mismatch), a number beyond 16 bits too (6).
    int16_t Track() const;
    // Stores into the held tag; a value outside 16 bits throws (6).
    void setTrack(int value);
    // The number lblGenreByte shows.
    uint8_t Genre() const;
    // Stores into the held tag; a value outside 0 to 255 throws (6).
    void setGenre(int value);

    // Writes the fields into the held tag and returns it (null when none).
    korvel::ID3V1TagPtr ID3v1xTag();
    // Holds the given tag (not a copy) and shows it; null shows no tag.
    void setID3v1xTag(korvel::ID3V1TagPtr tag);
    // The held tag, without writing the fields into it.
    const korvel::ID3V1TagPtr& CurrentTag() const { return m_tag; }

    // Empties the fields and the tag list and forgets the held tag.
    Q_INVOKABLE void Clear();

    // Field state: Enabled = v enables or disables the fields (writable,
    // window colour); Locked = v makes them read-only with the button-face
    // colour (v true) or writable with the window colour. Neither touches the
    // check box, the buttons or the menu. (QWidget::setEnabled is the widget's
    // own state and is left to the host.)
    bool Enabled() const;
    void setFieldsEnabled(bool enabled);
    bool Locked() const;
    void setLocked(bool locked);

    bool TitleChanged() const { return m_changed[kTitle]; }
    bool ArtistChanged() const { return m_changed[kArtist]; }
    bool AlbumChanged() const { return m_changed[kAlbum]; }
    bool YearChanged() const { return m_changed[kYear]; }
    bool GenreChanged() const { return m_changed[kGenre]; }
    bool TrackChanged() const { return m_changed[kTrack]; }
    bool CommentChanged() const { return m_changed[kComment]; }

    // The tag list of the many-files mode, stepped through with the two
    // small buttons. AddTag appends a tag and returns the new count; the
    // shown tag does not change (cmdNext shows the first tag added).
    int32_t TagCount() const { return static_cast<int32_t>(m_tagList.size()); }
    Q_INVOKABLE int AddTag(korvel::ID3V1TagPtr tag);
    // 1-based position of the shown tag in the list, 0 when none.
    int32_t TagIndex() const { return m_tagIndex; }

    // Writing temEditMany empties the fields for editing the fields common to
    // many tags; writing temEditSingle shows the held tag again. Both reset
    // the changed flags. The read answers temEditMany while the artist box
    // shows the button-face colour (so also while the fields are locked).
    ETagEditModeConstants VisibilityMode() const;
    void setVisibilityMode(ETagEditModeConstants mode);

    // What the user asked for, for the host to carry out.
    bool removeTag() const;
    bool saveTag() const;
    bool HasTag() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum Field { kTitle, kArtist, kAlbum, kYear, kGenre, kTrack, kComment, kFieldCount };

    QLineEdit* AddBox(const char* name, int maxLength, Field field);
    QLabel* AddLabel(const QString& caption);
    QAction* AddMenuItem(const char* name, const QString& caption);
    void BuildMenu();
    void LayoutChildren();

    // The held tag, or a KorvelException for a write without one.
    korvel::ID3V1Tag& RequireTag(const char* member) const;

    void ShowCurrentTag();
    void OnCheckBoxClicked();
    void OnGenreActivated(int index);
    void OnTextChanged(QLineEdit* box, Field field);
    void ShowFormatMenu(QLineEdit* box, const QPoint& globalPos);
    void OnFormatItem(int32_t conversion);
    void OnEditItem(void (ID3v1::*command)());
    void Step(int delta);

    // Menu commands on the box the menu was opened for.
    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void EditDelete();
    void EditSelectAll();

    std::unique_ptr<BatchString> m_converter;
    std::unique_ptr<cTextBox> m_boxCommands;
    korvel::ID3V1TagPtr m_tag;
    int32_t m_tagIndex = 0;
    QList<korvel::ID3V1TagPtr> m_tagList;
    std::array<bool, kFieldCount> m_changed{};
    bool m_formatChosen = false;
    korvel::ConstGenresPtr m_genres;

    QCheckBox* m_chkID3v1 = nullptr;
    QLineEdit* m_txtTitle = nullptr;
    QLineEdit* m_txtArtist = nullptr;
    QLineEdit* m_txtAlbum = nullptr;
    QLineEdit* m_txtYear = nullptr;
    QLineEdit* m_txtTrack = nullptr;
    QLineEdit* m_txtComment = nullptr;
    GenreComboBox* m_cmbGenre = nullptr;
    QLabel* m_lblGenreByte = nullptr;
    QLabel* m_lblGenre = nullptr;
    QList<QLabel*> m_rowLabels;  // Title, Artist, Album, Year, Track, Comment
    QToolButton* m_cmdPrevious = nullptr;
    QToolButton* m_cmdNext = nullptr;
    QMenu* m_mnuFormat = nullptr;
    QAction* m_mnuEditUndo = nullptr;
    QAction* m_mnuEditCut = nullptr;
    QAction* m_mnuEditCopy = nullptr;
    QAction* m_mnuEditPaste = nullptr;
    QAction* m_mnuEditDelete = nullptr;
    QAction* m_mnuEditSelectAll = nullptr;
    QAction* m_mnuFormatFirstLetter = nullptr;
    QAction* m_mnuFormatUpperCase = nullptr;
    QAction* m_mnuFormatLowerCase = nullptr;
    QAction* m_mnuCancel = nullptr;
    std::unique_ptr<FieldSet> m_fields;
    QSize m_size;
};

}  // namespace korvel::controls
