#pragma once
// Editing several files at once in the ID3v1 and ID3v2 editors, and telling
// which fields the user changed.
//
// A host that edits many files together shows, field by field, the value all
// the files share; a field whose values differ stays empty and shows the
// placeholder "<different values>". Afterwards it asks which fields the user
// changed (typed in, chose a genre, converted the case) and what to store in
// each of them; the other fields are left alone in every file.
//
//     SharedFields fields(id3v2Editor);
//     fields.BeginManyFiles({"Title", "Album", "Genre"});
//     fields.Show({{"Title", std::nullopt}, {"Album", "Same Album"},
//                  {"Genre", "Rock"}, {"GenreNumber", "17"}});
//     ...
//     for (const QString& name : fields.Changed()) store(name, fields.Value(name));
//
// (A changed "Genre" is stored with its "GenreNumber": the ID3v2 editor's
// genre text is StoredGenreText of the two, the ID3v1 editor's genre is the
// number.)
//
// The same object tells the changes of an editor that shows one file (call
// Reset after the file was loaded). Fields are named by the tag property they
// show, as the field table (id3v2/TagFields.h) names it: every field of the
// ID3v2 editor (ID3v2::Fields), and of those the ID3v1 editor has "Title",
// "Artist", "Album", "Year", "Track", "Genre" and "Comment".
#include <map>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include "id3v1/Genres.h"

class QCheckBox;
class QLabel;

namespace korvel::controls {

// The placeholder of a field whose values differ among the files.
QString DifferentValuesText();

// The genre text the ID3v2 editor stores: "(n)Name" when the genre number
// shown names exactly the shown text in the genre list, else the shown text.
QString StoredGenreText(const korvel::Genres& genres, const QString& numberText,
                        const QString& shown);

// A value per field name: the value the files share, or nullopt where their
// values differ. "GenreNumber" is the genre number shown beside the genre.
using SharedValues = std::map<QString, std::optional<QString>>;

class SharedFields : public QObject {
    Q_OBJECT

public:
    // editor: an ID3v1 or ID3v2 editor of this library.
    explicit SharedFields(QWidget* editor);

    // The names of the fields the editor has.
    QStringList FieldNames() const;

    // The many-files mode: the tag box ticked, the named fields writable and
    // empty (the ID3v1 editor in its temEditMany mode); the editor's other
    // fields and buttons locked. Forgets the tag the editor held.
    void BeginManyFiles(const QStringList& fields);
    // Removes the placeholders; the ID3v1 editor goes back to temEditSingle.
    // The host then hands the editor a tag, which sets the fields' state.
    void EndManyFiles();
    bool InManyFilesMode() const { return m_many; }

    // Shows the values in their fields. In the many-files mode a field named
    // by BeginManyFiles that is missing from the map, or holds nullopt, is
    // emptied and shows the placeholder. Unless asChanges is true, what is
    // shown does not count as a change.
    void Show(const SharedValues& values, bool asChanges = false);
    // What the fields show now counts as unchanged.
    void Reset() { m_changed.clear(); }
    // The fields changed since the last Show or Reset, in field order.
    QStringList Changed() const;
    // A field's text: in the ID3v2 editor without leading and trailing
    // spaces (as the editor stores it), in the ID3v1 editor as shown.
    // "GenreNumber" gives the genre number shown beside the genre.
    QString Value(const QString& field) const;

    // Ticks or unticks the editor's tag box as the user's click does (an
    // editor without a tag makes one when ticked); nothing when the box is
    // disabled or already so.
    void TickTagBox(bool ticked);

private:
    QWidget* Field(const QString& name) const;
    QCheckBox* TagBox() const;
    void ShowText(QWidget* field, const QString& text);
    void ShowGenre(const SharedValues& values);

    QPointer<QWidget> m_editor;
    bool m_isID3v1 = false;
    QStringList m_names;             // the editor's fields, in field order
    std::map<QString, QPointer<QWidget>> m_fields;
    QPointer<QLabel> m_genreNumber;  // lblGenreByte
    QStringList m_shared;            // the fields of the many-files mode
    QSet<QString> m_changed;
    bool m_many = false;
};

}  // namespace korvel::controls
