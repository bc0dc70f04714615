#include "TagFields.h"

#include <exception>
#include <memory>
#include <optional>

#include "WindowParts.h"
#include "controls/ID3v2.h"
#include "controls/SharedFields.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "id3v2/TagFields.h"
#include "id3v230/ID3V230.h"

namespace korvel::quelm {

namespace {

using korvel::TagField;
using korvel::TagFieldInfo;
using korvel::controls::ID3v2;

const QString kGenreNumber = QStringLiteral("GenreNumber");

std::string Utf8(const QString& text) { return text.toStdString(); }
QString Text(const std::string& text) { return QString::fromStdString(text); }
QString NameOf(const TagFieldInfo& info) { return QString::fromLatin1(info.name); }
QString NameOf(TagField field) { return NameOf(korvel::FieldInfo(field)); }

// The fields of the ID3v1 record, named as the ID3v2 fields they match, in
// the editors' order. Track and genre are numbers, read and written apart.
struct ID3v1Field {
    TagField field;
    const std::string& (ID3V1Tag::*read)() const;
    void (ID3V1Tag::*write)(const std::string&);
};
constexpr ID3v1Field kID3v1Fields[] = {
    {TagField::Title, &ID3V1Tag::Title, &ID3V1Tag::setTitle},
    {TagField::Artist, &ID3V1Tag::Artist, &ID3V1Tag::setArtist},
    {TagField::Album, &ID3V1Tag::Album, &ID3V1Tag::setAlbum},
    {TagField::Year, &ID3V1Tag::Year, &ID3V1Tag::setYear},
    {TagField::Track, nullptr, nullptr},
    {TagField::Genre, nullptr, nullptr},
    {TagField::Comment, &ID3V1Tag::Comment, &ID3V1Tag::setComment},
};

// A number between low and high, from text; nullopt for anything else.
std::optional<int> NumberIn(const QString& text, int low, int high) {
    const std::optional<double> value = korvel::ParseNumber(Utf8(text));
    if (!value) return std::nullopt;
    const std::optional<int32_t> number = korvel::ToInt32(*value);
    if (!number || *number < low || *number > high) return std::nullopt;
    return *number;
}

QString ID3v1Track(const ID3V1Tag& tag) {
    return tag.TagType() == ID3V11 ? QStringLiteral("%1").arg(tag.Track(), 2, 10, QLatin1Char('0'))
                                   : QString();
}

FieldValues ReadID3v1(const ID3V1Tag& tag) {
    FieldValues values;
    for (const ID3v1Field& field : kID3v1Fields) {
        if (field.read != nullptr) values[NameOf(field.field)] = Text((tag.*field.read)());
    }
    values[NameOf(TagField::Track)] = ID3v1Track(tag);
    values[kGenreNumber] = QString::number(tag.Genre());
    const GenrePtr genre = tag.GenreList()->Item(std::to_string(tag.Genre()));
    values[NameOf(TagField::Genre)] = genre ? Text(genre->Description()) : QString();
    return values;
}

// The fields as the ID3v2 editor shows them.
FieldValues ReadID3v2(ID3V2Tag& tag) {
    FieldValues values;
    for (const TagFieldInfo* info : ID3v2::Fields()) {
        if (info->field == TagField::Genre) continue;  // number and name, below
        const std::string value = tag.Field(info->field);
        // A year of 0 is no year.
        values[NameOf(*info)] = info->field == TagField::Year && value == "0" ? QString() : Text(value);
    }
    // Split into number and name where the tag's version knows how, else the
    // text as it stands.
    const QString genre = NameOf(TagField::Genre);
    int16_t number = -1;
    std::string name = tag.Genre();
    if (tag.splittedGenre(number, name)) {
        // "(17)" alone names the genre by its number.
        if (name.empty() && number >= 0) name = korvel::Genres::NameOf(number);
        values[genre] = Text(name);
        values[kGenreNumber] = number >= 0 ? QString::number(number) : QString();
    } else {
        values[genre] = Text(tag.Genre());
        values[kGenreNumber] = QString();
        // A version 2.4 genre given as "(17)" alone: its number names it.
        const ID3V24TagPtr v24 = tag.ID3V24Tag();
        bool isNumber = false;
        const int id = v24 ? Text(v24->GenreID()).toInt(&isNumber) : -1;
        if (isNumber && values[genre].isEmpty()) {
            values[genre] = Text(korvel::Genres::NameOf(id));
            values[kGenreNumber] = QString::number(id);
        }
    }
    return values;
}

// Where the two kinds of tag differ: a new tag takes the track and the year
// only as 16-bit numbers (as the ID3v2 editor stores them into a tag it
// created).
void SetText(ID3V2Tag& tag, TagField field, const std::string& text) { tag.SetField(field, text); }
void SetText(ID3V230& tag, TagField field, const std::string& text) { tag.SetFieldValue(field, text); }

void SetYear(ID3V2Tag& tag, const QString& year) {
    tag.setYear(korvel::IsNumeric(Utf8(year)) ? Utf8(year) : std::string());
}
void SetYear(ID3V230& tag, const QString& year) {
    if (const auto number = NumberIn(year, INT16_MIN, INT16_MAX)) tag.setYear(static_cast<int16_t>(*number));
}

void SetTrack(ID3V2Tag& tag, const QString& track) { tag.setTrack(Utf8(track)); }
void SetTrack(ID3V230& tag, const QString& track) {
    if (track.isEmpty()) return;
    const auto number = NumberIn(track, INT16_MIN, INT16_MAX);
    if (!number) {
        throw korvel::KorvelException("Update", "The track \"" + Utf8(track) + "\" is not a number.");
    }
    tag.setTrack(std::to_string(*number));
}

// Stores the values into an existing tag or a new one. The genre is stored
// as "(n)Name" for a genre of the list; multi-line fields are written with
// bare line feeds.
template <typename Tag>
void WriteID3v2(Tag& tag, const FieldValues& values) {
    for (const TagFieldInfo* info : ID3v2::Fields()) {
        const auto found = values.find(NameOf(*info));
        if (found == values.end()) continue;
        switch (info->field) {
            case TagField::Year: SetYear(tag, found->second); break;
            case TagField::Track: SetTrack(tag, found->second); break;
            case TagField::Genre: {
                const auto number = values.find(kGenreNumber);
                const korvel::Genres& genres = *korvel::Genres::Standard();
                SetText(tag, info->field,
                        Utf8(korvel::controls::StoredGenreText(
                            genres, number == values.end() ? QString() : number->second, found->second)));
                break;
            }
            default: {
                const std::string text = Utf8(found->second);
                SetText(tag, info->field, info->multiLine ? korvel::convertLineFeeds(text, true) : text);
            }
        }
    }
}

void WriteID3v1(ID3V1Tag& tag, const FieldValues& values) {
    const bool created = tag.TagType() == ID3Unknown;
    for (const ID3v1Field& field : kID3v1Fields) {
        const auto found = values.find(NameOf(field.field));
        if (field.write != nullptr && found != values.end()) (tag.*field.write)(Utf8(found->second));
    }
    if (values.count(NameOf(TagField::Genre)) || values.count(kGenreNumber)) {
        const auto number = values.find(kGenreNumber);
        tag.setGenre(static_cast<uint8_t>(
            number == values.end() ? 255 : NumberIn(number->second, 0, 255).value_or(255)));
    }
    const auto track = values.find(NameOf(TagField::Track));
    if (track != values.end()) tag.setTrack(static_cast<int16_t>(NumberIn(track->second, 0, 255).value_or(0)));
    // A track number makes the tag ID3v1.1; an untouched tag keeps its kind.
    if (created || track != values.end()) {
        tag.setTagType(tag.Track() >= 1 && tag.Track() <= 255 ? ID3V11 : ID3v1);
    }
}

QString Why(const char* what, const TagErrorPtr& error) {
    const QString reason = error ? Text(error->Description()) : QString();
    return reason.isEmpty() ? QString::fromLatin1(what)
                            : QString::fromLatin1(what) + QStringLiteral(" ") + reason;
}

// The ID3v2 step of WriteChanges; "" on success.
QString WriteID3v2Changes(FileHandler& file, const TagChanges& changes) {
    if (changes.RemoveID3v2) {
        const ID3V2TagPtr tag = file.ID3V2Tag();
        if (!tag) return QString();
        if (!tag->removeTag()) return Why("Unable to remove the ID3v2 Tag.", tag->LastError());
        return QString();
    }
    if (changes.ID3v2.empty()) return QString();
    if (const ID3V2TagPtr tag = file.ID3V2Tag()) {
        if (!tag->canSave()) return Why("Unable to save the ID3v2 Tag.", tag->LastError());
        WriteID3v2(*tag, changes.ID3v2);
        if (!tag->saveTag()) return Why("Unable to save the ID3v2 Tag.", tag->LastError());
        return QString();
    }
    auto created = std::make_shared<ID3V230>();
    WriteID3v2(*created, changes.ID3v2);
    if (!file.createID3V2Tag(created)) return Why("Unable to create the Tag.", file.LastError());
    return QString();
}

}  // namespace

const QStringList& ID3v1Fields() {
    static const QStringList fields = [] {
        QStringList names;
        for (const ID3v1Field& field : kID3v1Fields) names << NameOf(field.field);
        return names;
    }();
    return fields;
}

const QStringList& ID3v2Fields() {
    static const QStringList fields = [] {
        QStringList names;
        for (const TagFieldInfo* info : ID3v2::Fields()) {
            // Lyrics are edited one file at a time.
            if (info->field != TagField::LyricsUnsynced && info->field != TagField::LyricsSynced) {
                names << NameOf(*info);
            }
        }
        return names;
    }();
    return fields;
}

FileSummary ReadSummary(const QString& path) {
    FileSummary summary;
    summary.Path = path;
    try {
        FileHandler file;
        if (!file.Create(FilePath(path))) {
            summary.Problem = Text(file.LastError()->Description());
            if (summary.Problem.isEmpty()) summary.Problem = QStringLiteral("The file cannot be read.");
            return summary;
        }
        summary.Readable = true;
        QStringList versions;
        if (file.HasID3V1Tag()) {
            summary.HasID3v1 = true;
            summary.ID3v1 = ReadID3v1(*file.ID3v1xTag());
            versions << (file.ID3v1xTag()->TagType() == ID3V11 ? QStringLiteral("ID3v1.1")
                                                                : QStringLiteral("ID3v1.0"));
        }
        if (const ID3V2TagPtr tag = file.ID3V2Tag()) {
            summary.HasID3v2 = true;
            const ID3V2VersionPtr version = tag->Version();
            versions << QStringLiteral("ID3v%1.%2.%3")
                            .arg(version->Major())
                            .arg(version->Minor())
                            .arg(version->Revision());
            if (tag->loadTag()) {
                summary.ID3v2 = ReadID3v2(*tag);
            } else {
                summary.Problem = Why("The ID3v2 tag cannot be read.", tag->LastError());
            }
        }
        summary.TagVersions = versions.join(QStringLiteral(", "));
        const MPEGHeaderPtr audio = file.MPEGHeader();
        if (audio->FrameSize() > 0) {
            summary.Duration = audio->Duration();
            summary.BitRate = audio->BitRate();
            summary.VBR = audio->VBR();
        }
    } catch (...) {
        summary.Problem = Text(korvel::DescribeFailure(std::current_exception()).Description);
    }
    return summary;
}

void TagChanges::Merge(const TagChanges& later) {
    auto merge = [](FieldValues& values, bool& removed, const FieldValues& more, bool remove) {
        if (remove) {
            values.clear();
            removed = true;
            return;
        }
        if (more.empty()) return;
        removed = false;
        for (const auto& [name, value] : more) values[name] = value;
    };
    merge(ID3v1, RemoveID3v1, later.ID3v1, later.RemoveID3v1);
    merge(ID3v2, RemoveID3v2, later.ID3v2, later.RemoveID3v2);
}

FieldValues Effective(const FieldValues& onDisk, const FieldValues& changed, bool removed) {
    if (removed) return {};
    FieldValues values = onDisk;
    for (const auto& [name, value] : changed) values[name] = value;
    return values;
}

QString WriteChanges(const QString& path, const TagChanges& changes) {
    try {
        FileHandler file;
        if (!file.Create(FilePath(path))) return Text(file.LastError()->Description());
        QStringList failures;
        const QString id3v2 = WriteID3v2Changes(file, changes);
        if (!id3v2.isEmpty()) failures << id3v2;
        if (changes.RemoveID3v1) {
            if (file.HasID3V1Tag() && !file.removeID3V1xTag()) {
                failures << Why("Unable to remove the ID3v1 Tag.", file.LastError());
            }
        } else if (!changes.ID3v1.empty()) {
            WriteID3v1(*file.ID3v1xTag(), changes.ID3v1);
            if (!file.writeID3v1xTag()) failures << Why("Unable to save the ID3v1 Tag.", file.LastError());
        }
        return failures.join(QLatin1Char(' '));
    } catch (...) {
        return Text(korvel::DescribeFailure(std::current_exception()).Description);
    }
}

QString GenreNumberOf(const QString& name) {
    const korvel::Genres& genres = *korvel::Genres::Standard();
    for (const GenrePtr& genre : genres) {
        if (Text(genre->Description()) == name) return QString::number(genre->Num());
    }
    return QString();
}

}  // namespace korvel::quelm
