#pragma once
// The fields of an ID3v2 tag that users edit, declared once: the frame that
// holds each in every version, the property that reads and writes it, the
// korvel option and the ID3v2 editor's box that show it. The facade, the
// updatable tag, the file handler's copy of a tag, the editor, Quelm and the
// command-line tool all work from this table.
#include <cstdint>
#include <span>
#include <string>

namespace korvel {

struct TagContents;

enum class TagField {
    Title,
    Artist,
    Album,
    Year,
    Track,
    Genre,
    Comment,
    Composer,
    OriginalArtist,
    Copyright,
    EncodedBy,
    UserURL,
    LyricsUnsynced,
    LyricsSynced,
    // Fields of the updatable tag only.
    ArtistURL,
    UserText,
    Tempo,
    Mood,
    Situation,
    Preference,
};

struct TagFieldInfo {
    TagField field;
    const char* name;        // the property ("Title")
    const char* frame22;     // the frame of each version ("TT2", "TIT2", "TIT2")
    const char* frame23;
    const char* frame24;
    const char* descriptor;  // the description that picks the frame among its kind
    const char* option;      // korvel v2's option ("--title"); "" for none
    const char* control;     // the ID3v2 editor's box ("txtTitle"); "" for none
    bool multiLine;          // the value may run over several lines (comment, lyrics)
    bool facade;             // a property of the version-independent facade
    uint8_t xmlVersions;     // bit v: the XML names the frame by the field in version 2.v
};

// Every field, in the order above.
std::span<const TagFieldInfo> TagFields();
const TagFieldInfo& FieldInfo(TagField field);

// The frame ID of a field in version 2.`version` (2, 3 or 4).
const char* FrameIdOf(const TagFieldInfo& info, int version);

// The position in tag.frames of the first frame of that ID that holds a
// field: of comments, lyrics, user texts and user links the first whose
// description is the descriptor. -1 when there is none.
int FindFieldFrame(const TagContents& tag, const std::string& id, const char* descriptor);

// The field's value as the tag's frame model holds it: the value text of the
// first frame of its ID (and descriptor); a version 2.4 year from its
// recording time (TDRC), falling back to a year frame (TYER), and a 2.3 year
// from TYER, falling back to TDRC. "" when the tag has no such frame.
std::string FieldText(const TagContents& tag, TagField field);

// Genre of a content-type text: the text after the first ")" when it starts
// with "(" (the whole text when there is no ")"), otherwise the text itself.
std::string GenreText(const std::string& text);
// The characters between a leading "(" and the first ")"; "" when the text
// does not start with "(" or has no ")".
std::string GenreIDText(const std::string& text);
// A changeable tag's genre text split into number and name: "(17)" names the
// genre of the list (17 and "Rock"), "(17)Rock" gives 17 and "Rock", "(x)Rock"
// 0 and "Rock" (false: x is no number); any other text gives 0, the text and
// false.
bool SplitGenreText(const std::string& text, int16_t& id, std::string& description);

}  // namespace korvel
