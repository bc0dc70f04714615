#include "TagFields.h"

#include <exception>
#include <memory>
#include <optional>

#include "WindowParts.h"
#include "controls/SharedFields.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "id3v230/ID3V230.h"

namespace korvel::quelm {

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }
// Tag text for display; zero characters that end it (the terminators some
// writers store with a text) are not shown, as in the editors.
QString Text(const std::string& text) {
    size_t length = text.size();
    while (length > 0 && text[length - 1] == '\0') --length;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(length));
}

// The ID3v2 text fields that are read and written as they are, through the
// facade of an existing tag and through the updatable tag of a new one.
// Multi-line fields are shown with the line breaks of the text box and
// written with bare line feeds.
struct TextField {
    const char* name;
    std::string (ID3V2Tag::*read)();
    void (ID3V2Tag::*write)(const std::string&);
    void (ID3V230::*create)(const std::string&);
    bool multiLine;
};
constexpr TextField kTextFields[] = {
    {"Title", &ID3V2Tag::Title, &ID3V2Tag::setTitle, &ID3V230::setTitle, false},
    {"Artist", &ID3V2Tag::Artist, &ID3V2Tag::setArtist, &ID3V230::setArtist, false},
    {"Album", &ID3V2Tag::Album, &ID3V2Tag::setAlbum, &ID3V230::setAlbum, false},
    {"Comment", &ID3V2Tag::Comment, &ID3V2Tag::setComment, &ID3V230::setComments, true},
    {"Composer", &ID3V2Tag::Composer, &ID3V2Tag::setComposer, &ID3V230::setComposer, false},
    {"OriginalArtist", &ID3V2Tag::OriginalArtist, &ID3V2Tag::setOriginalArtist,
     &ID3V230::setOriginalArtist, false},
    {"Copyright", &ID3V2Tag::Copyright, &ID3V2Tag::setCopyright, &ID3V230::setCopyright, false},
    {"UserURL", &ID3V2Tag::UserURL, &ID3V2Tag::setUserURL, &ID3V230::setUserURL, false},
    {"EncodedBy", &ID3V2Tag::EncodedBy, &ID3V2Tag::setEncodedBy, &ID3V230::setEncodedBy, false},
    {"LyricsUnsynced", &ID3V2Tag::LyricsUnsynced, &ID3V2Tag::setLyricsUnsynced,
     &ID3V230::setLyricsUnsynced, true},
    {"LyricsSynced", &ID3V2Tag::LyricsSynced, &ID3V2Tag::setLyricsSynced,
     &ID3V230::setLyricsSynced, true},
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
    FieldValues values{
        {QStringLiteral("Title"), Text(tag.Title())},
        {QStringLiteral("Artist"), Text(tag.Artist())},
        {QStringLiteral("Album"), Text(tag.Album())},
        {QStringLiteral("Year"), Text(tag.Year())},
        {QStringLiteral("Track"), ID3v1Track(tag)},
        {QStringLiteral("Comment"), Text(tag.Comment())},
        {QStringLiteral("GenreNumber"), QString::number(tag.Genre())},
    };
    const GenrePtr genre = tag.GenreList()->Item(std::to_string(tag.Genre()));
    values[QStringLiteral("Genre")] = genre ? Text(genre->Description()) : QString();
    return values;
}

FieldValues ReadID3v2(ID3V2Tag& tag) {
    FieldValues values;
    for (const TextField& field : kTextFields) {
        values[QString::fromLatin1(field.name)] = Text((tag.*field.read)());
    }
    const std::string year = tag.Year();
    values[QStringLiteral("Year")] = year == "0" ? QString() : Text(year);
    values[QStringLiteral("Track")] = Text(tag.Track());
    // As the ID3v2 editor shows the genre: split into number and name where
    // the tag's version knows how, else the text as it stands.
    int16_t number = -1;
    std::string name = tag.Genre();
    if (tag.splittedGenre(number, name)) {
        // "(17)" alone names the genre by its number.
        if (name.empty() && number >= 0) name = korvel::Genres::NameOf(number);
        values[QStringLiteral("Genre")] = Text(name);
        values[QStringLiteral("GenreNumber")] = number >= 0 ? QString::number(number) : QString();
    } else {
        values[QStringLiteral("Genre")] = Text(tag.Genre());
        values[QStringLiteral("GenreNumber")] = QString();
        // A version 2.4 genre given as "(17)" alone: its number names it.
        const ID3V24TagPtr v24 = tag.ID3V24Tag();
        bool isNumber = false;
        const int id = v24 ? Text(v24->GenreID()).toInt(&isNumber) : -1;
        if (isNumber && values[QStringLiteral("Genre")].isEmpty()) {
            values[QStringLiteral("Genre")] = Text(korvel::Genres::NameOf(id));
            values[QStringLiteral("GenreNumber")] = QString::number(id);
        }
    }
    return values;
}

void WriteID3v2(ID3V2Tag& tag, const FieldValues& values) {
    for (const TextField& field : kTextFields) {
        const auto found = values.find(QString::fromLatin1(field.name));
        if (found == values.end()) continue;
        const std::string text = Utf8(found->second);
        (tag.*field.write)(field.multiLine ? korvel::convertLineFeeds(text, true) : text);
    }
    if (const auto year = values.find(QStringLiteral("Year")); year != values.end()) {
        tag.setYear(korvel::IsNumeric(Utf8(year->second)) ? Utf8(year->second) : std::string());
    }
    if (const auto track = values.find(QStringLiteral("Track")); track != values.end()) {
        tag.setTrack(Utf8(track->second));
    }
}

// A new tag takes the track and the year only as 16-bit numbers (as the
// ID3v2 editor stores them into a tag it created).
void WriteID3v2(ID3V230& tag, const FieldValues& values) {
    for (const TextField& field : kTextFields) {
        const auto found = values.find(QString::fromLatin1(field.name));
        if (found == values.end()) continue;
        const std::string text = Utf8(found->second);
        (tag.*field.create)(field.multiLine ? korvel::convertLineFeeds(text, true) : text);
    }
    if (const auto year = values.find(QStringLiteral("Year")); year != values.end()) {
        if (const auto number = NumberIn(year->second, INT16_MIN, INT16_MAX)) {
            tag.setYear(static_cast<int16_t>(*number));
        }
    }
    if (const auto track = values.find(QStringLiteral("Track"));
        track != values.end() && !track->second.isEmpty()) {
        const auto number = NumberIn(track->second, INT16_MIN, INT16_MAX);
        if (!number) {
            throw korvel::KorvelException("Update", "The track \"" + Utf8(track->second) +
                                                        "\" is not a number.");
        }
        tag.setTrack(std::to_string(*number));
    }
}

// The genre both kinds of tag store: "(n)Name" for a genre of the list.
template <typename Tag>
void WriteGenre(Tag& tag, const FieldValues& values) {
    const auto genre = values.find(QStringLiteral("Genre"));
    if (genre == values.end()) return;
    const auto number = values.find(QStringLiteral("GenreNumber"));
    const korvel::Genres& genres = *korvel::Genres::Standard();
    tag.setGenre(Utf8(korvel::controls::StoredGenreText(
        genres, number == values.end() ? QString() : number->second, genre->second)));
}

void WriteID3v1(ID3V1Tag& tag, const FieldValues& values) {
    const bool created = tag.TagType() == ID3Unknown;
    using Setter = void (ID3V1Tag::*)(const std::string&);
    const std::pair<const char*, Setter> texts[] = {
        {"Title", &ID3V1Tag::setTitle},     {"Artist", &ID3V1Tag::setArtist},
        {"Album", &ID3V1Tag::setAlbum},     {"Year", &ID3V1Tag::setYear},
        {"Comment", &ID3V1Tag::setComment},
    };
    for (const auto& [name, set] : texts) {
        const auto found = values.find(QString::fromLatin1(name));
        if (found != values.end()) (tag.*set)(Utf8(found->second));
    }
    if (values.count(QStringLiteral("Genre")) || values.count(QStringLiteral("GenreNumber"))) {
        const auto number = values.find(QStringLiteral("GenreNumber"));
        tag.setGenre(static_cast<uint8_t>(
            number == values.end() ? 255 : NumberIn(number->second, 0, 255).value_or(255)));
    }
    const auto track = values.find(QStringLiteral("Track"));
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
        const ID3V23TagPtr reader = tag->ID3V23Tag();
        if (!reader || !reader->removeTag()) {
            return Why("Unable to remove the ID3v2 Tag.", reader ? reader->LastError() : tag->LastError());
        }
        return QString();
    }
    if (changes.ID3v2.empty()) return QString();
    if (const ID3V2TagPtr tag = file.ID3V2Tag()) {
        if (!tag->canSave()) return Why("Unable to save the ID3v2 Tag.", tag->LastError());
        WriteID3v2(*tag, changes.ID3v2);
        WriteGenre(*tag, changes.ID3v2);
        if (!tag->saveTag()) return Why("Unable to save the ID3v2 Tag.", tag->LastError());
        return QString();
    }
    auto created = std::make_shared<ID3V230>();
    WriteID3v2(*created, changes.ID3v2);
    WriteGenre(*created, changes.ID3v2);
    if (!file.createID3V2Tag(created)) return Why("Unable to create the Tag.", file.LastError());
    return QString();
}

}  // namespace

const QStringList& ID3v1Fields() {
    static const QStringList fields = {
        QStringLiteral("Title"), QStringLiteral("Artist"), QStringLiteral("Album"),
        QStringLiteral("Year"),  QStringLiteral("Track"),  QStringLiteral("Genre"),
        QStringLiteral("Comment")};
    return fields;
}

const QStringList& ID3v2Fields() {
    static const QStringList fields =
        ID3v1Fields() + QStringList{QStringLiteral("Composer"), QStringLiteral("OriginalArtist"),
                                    QStringLiteral("Copyright"), QStringLiteral("UserURL"),
                                    QStringLiteral("EncodedBy")};
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
