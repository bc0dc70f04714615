#pragma once
// The tag fields Quelm lists in its file table and edits for many files at
// once: what one file holds in them (read without keeping the file open),
// the changes waiting to be written to a file, and their writing.
//
// Values are texts as the editors show them, by the field table's names
// (id3v2/TagFields.h): in the ID3v2 tag every field of the ID3v2 editor, in
// the ID3v1 tag "Title", "Artist", "Album", "Year", "Track", "Genre" and
// "Comment"; "Genre" is the genre's name and "GenreNumber" the number shown
// beside it.
#include <cstdint>
#include <map>

#include <QString>
#include <QStringList>

namespace korvel::quelm {

using FieldValues = std::map<QString, QString>;

// The fields edited for many files at once (the ID3v2 editor's without the
// lyrics).
const QStringList& ID3v1Fields();
const QStringList& ID3v2Fields();

// What the file table knows of one file.
struct FileSummary {
    QString Path;
    // False when the file could not be opened at all; Problem says why. A
    // readable file whose ID3v2 tag does not load has a Problem too.
    bool Readable = false;
    QString Problem;
    bool HasID3v1 = false;
    bool HasID3v2 = false;
    QString TagVersions;  // "ID3v1.1, ID3v2.3.0"
    int32_t Duration = -1;  // seconds; -1 when unknown
    int32_t BitRate = -1;   // kbit/s; -1 when unknown
    bool VBR = false;
    FieldValues ID3v1;
    FieldValues ID3v2;
};

// Reads the tags and the audio header of a file. Never throws: what fails is
// described in Problem.
FileSummary ReadSummary(const QString& path);

// Changes waiting to be written to one file.
struct TagChanges {
    FieldValues ID3v1;
    FieldValues ID3v2;
    bool RemoveID3v1 = false;
    bool RemoveID3v2 = false;

    bool Empty() const {
        return ID3v1.empty() && ID3v2.empty() && !RemoveID3v1 && !RemoveID3v2;
    }
    // Adds later changes: a later value replaces an earlier one, a removal
    // drops the tag's values, a value after a removal keeps the tag.
    void Merge(const TagChanges& later);
};

// A tag's values once its changes are written: none when it is removed,
// otherwise the values on disk with the changed ones replaced.
FieldValues Effective(const FieldValues& onDisk, const FieldValues& changed, bool removed);

// Writes the changes into the file through the library: the ID3v2 tag first
// (created when the file has none), then the ID3v1 tag; each save replaces
// the file whole. Returns "" on success, otherwise what failed.
QString WriteChanges(const QString& path, const TagChanges& changes);

// The number of the genre with exactly this name in the genre list; "" when
// no genre has it.
QString GenreNumberOf(const QString& name);

}  // namespace korvel::quelm
