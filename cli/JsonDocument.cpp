// Reading a korvel-json document back into tag values: every member is
// checked for its type and range, and anything the format does not define is
// refused, naming its place in the document.
#include <algorithm>
#include <set>

#include "Json.h"
#include "core/Ansi.h"
#include "id3v2/FrameEncoder.h"
#include "xml/XmlNodes.h"

namespace korvel::cli {

namespace {

// Deeper documents are not korvel-json and are refused while parsing.
constexpr int kMaxDepth = 16;

struct TooDeep {};

// A member's place: the pointer with the key appended (escaped as JSON
// pointers escape '~' and '/').
std::string Member(const std::string& pointer, const std::string& key) {
    std::string escaped;
    for (char c : key) {
        if (c == '~') {
            escaped += "~0";
        } else if (c == '/') {
            escaped += "~1";
        } else {
            escaped += c;
        }
    }
    return pointer + "/" + escaped;
}

std::string Item(const std::string& pointer, size_t index) { return pointer + "/" + std::to_string(index); }

[[noreturn]] void Fail(const std::string& pointer, const std::string& message) {
    throw DocumentError{pointer, message};
}

const char* TypeName(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null: return "null";
        case Json::value_t::object: return "an object";
        case Json::value_t::array: return "an array";
        case Json::value_t::string: return "a string";
        case Json::value_t::boolean: return "a boolean";
        case Json::value_t::binary: return "binary";
        case Json::value_t::discarded: return "nothing";
        default: return "a number";
    }
}

void ExpectObject(const Json& value, const std::string& pointer, const std::set<std::string>& members,
                  const std::string& what) {
    if (!value.is_object()) Fail(pointer, what + " must be an object, not " + TypeName(value));
    for (const auto& [key, item] : value.items()) {
        if (members.count(key) == 0) Fail(Member(pointer, key), "unknown member of " + what);
    }
}

// Characters a tag cannot give back: zero characters end strings and
// separate values; U+FEFF and U+FFFE are read as byte-order marks in UTF-16.
void CheckCharacters(const std::string& text, const std::string& place) {
    if (text.find('\0') != std::string::npos) Fail(place, "must not hold a zero character");
    if (text.find("\xEF\xBB\xBF") != std::string::npos || text.find("\xEF\xBF\xBE") != std::string::npos) {
        Fail(place, "must not hold U+FEFF or U+FFFE (byte-order marks)");
    }
}

// A string member without zero characters (they end strings in tags);
// `fallback` when absent.
std::string Text(const Json& object, const std::string& pointer, const std::string& key,
                 const std::string& fallback = "") {
    const auto it = object.find(key);
    if (it == object.end()) return fallback;
    const std::string place = Member(pointer, key);
    if (!it->is_string()) Fail(place, "must be a string, not " + std::string(TypeName(*it)));
    const std::string& text = it->get_ref<const std::string&>();
    CheckCharacters(text, place);
    return text;
}

// Text that tags store as Latin-1 whatever the frame's encoding (MIME
// types, owners, e-mail addresses, URLs, languages).
std::string LatinText(const Json& object, const std::string& pointer, const std::string& key,
                      size_t maxLength = std::string::npos) {
    const std::string text = Text(object, pointer, key);
    if (!EncodingHolds(kEncodingLatin1, text)) {
        Fail(Member(pointer, key), "must be Latin-1 text (U+0000 to U+007F, U+00A0 to U+00FF)");
    }
    if (Utf8Length(text) > maxLength) {
        Fail(Member(pointer, key), "must be at most " + std::to_string(maxLength) + " characters long");
    }
    return text;
}

// A language: three Latin-1 characters at most; blanks at its end are not
// kept by the frame (they pad it).
std::string Language(const Json& object, const std::string& pointer) {
    std::string text = LatinText(object, pointer, "language", 3);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

uint64_t Number(const Json& value, const std::string& place, uint64_t max) {
    if (!value.is_number_unsigned()) {
        Fail(place, "must be a whole number from 0 to " + std::to_string(max) + ", not " +
                        (value.is_number() ? value.dump() : std::string(TypeName(value))));
    }
    const uint64_t n = value.get<uint64_t>();
    if (n > max) Fail(place, "must be a whole number from 0 to " + std::to_string(max) + ", not " + value.dump());
    return n;
}

uint64_t Number(const Json& object, const std::string& pointer, const std::string& key, uint64_t max,
                uint64_t fallback = 0) {
    const auto it = object.find(key);
    return it == object.end() ? fallback : Number(*it, Member(pointer, key), max);
}

const Json& ArrayMember(const Json& object, const std::string& pointer, const std::string& key) {
    static const Json empty = Json::array();
    const auto it = object.find(key);
    if (it == object.end()) return empty;
    if (!it->is_array()) Fail(Member(pointer, key), "must be an array, not " + std::string(TypeName(*it)));
    return *it;
}

std::vector<std::string> Strings(const Json& object, const std::string& pointer, const std::string& key) {
    const Json& list = ArrayMember(object, pointer, key);
    const std::string place = Member(pointer, key);
    std::vector<std::string> values;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].is_string()) Fail(Item(place, i), "must be a string, not " + std::string(TypeName(list[i])));
        const std::string& value = list[i].get_ref<const std::string&>();
        CheckCharacters(value, Item(place, i));
        values.push_back(value);
    }
    // Readers drop empty values at the end (extra terminators): so does the
    // document, so that it says what the written frame will read as.
    while (!values.empty() && values.back().empty()) values.pop_back();
    return values;
}

bool IsFrameIdChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The members each kind of frame has besides "id".
const std::set<std::string>& MembersOf(FrameKind kind) {
    static const std::set<std::string> text{"text"}, userText{"description", "text"}, url{"url"},
        userUrl{"description", "url"}, comment{"language", "description", "text"}, people{"people"},
        synced{"language", "description", "timestamp_format", "content_type", "lines"},
        picture{"mime", "picture_type", "description", "size", "sha256", "data"}, counter{"counter"},
        popularimeter{"email", "rating", "counter"}, owner{"owner", "size", "sha256", "data"},
        object{"mime", "file_name", "description", "size", "sha256", "data"}, binary{"size", "sha256", "data"},
        unreadable{"unreadable", "flags", "size", "sha256", "data"};
    switch (kind) {
        case FrameKind::Text: return text;
        case FrameKind::UserText: return userText;
        case FrameKind::Url: return url;
        case FrameKind::UserUrl: return userUrl;
        case FrameKind::Comment: return comment;
        case FrameKind::People: return people;
        case FrameKind::SyncedLyrics: return synced;
        case FrameKind::Picture: return picture;
        case FrameKind::Counter: return counter;
        case FrameKind::Popularimeter: return popularimeter;
        case FrameKind::Owner: return owner;
        case FrameKind::Object: return object;
        case FrameKind::Binary: return binary;
        case FrameKind::Unreadable: return unreadable;
    }
    return binary;
}

const char* KindName(FrameKind kind) {
    switch (kind) {
        case FrameKind::Text: return "a text frame";
        case FrameKind::UserText: return "a user text frame";
        case FrameKind::Url: return "a link frame";
        case FrameKind::UserUrl: return "a user link frame";
        case FrameKind::Comment: return "a comment or lyrics frame";
        case FrameKind::People: return "an involved people frame";
        case FrameKind::SyncedLyrics: return "a synchronised lyrics frame";
        case FrameKind::Picture: return "a picture frame";
        case FrameKind::Counter: return "a play counter frame";
        case FrameKind::Popularimeter: return "a popularimeter frame";
        case FrameKind::Owner: return "an owner data frame";
        case FrameKind::Object: return "an object frame";
        case FrameKind::Binary: return "a binary frame";
        case FrameKind::Unreadable: return "an unreadable frame";
    }
    return "a frame";
}

bool CarriesBytes(FrameKind kind) {
    return kind == FrameKind::Picture || kind == FrameKind::Owner || kind == FrameKind::Object ||
           kind == FrameKind::Binary || kind == FrameKind::Unreadable;
}

// The binary content: data in Base64, or its hash (and size) alone.
void ReadBinary(const Json& object, const std::string& pointer, DocumentFrame& frame) {
    frame.hasBinary = true;
    const bool hasHash = object.contains("sha256");
    if (hasHash) {
        std::string hash = Text(object, pointer, "sha256");
        std::transform(hash.begin(), hash.end(), hash.begin(),
                       [](char c) { return static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c); });
        if (hash.size() != 64 || hash.find_first_not_of("0123456789abcdef") != std::string::npos) {
            Fail(Member(pointer, "sha256"), "must be 64 hexadecimal digits");
        }
        frame.sha256 = hash;
    }
    const bool hasSize = object.contains("size");
    if (hasSize) frame.size = Number(object, pointer, "size", kMaxFrameData);
    if (object.contains("data")) {
        const std::string text = Text(object, pointer, "data");
        auto bytes = std::make_shared<Bytes>();
        if (!Base64Decode(text, *bytes)) Fail(Member(pointer, "data"), "is not Base64 text");
        if (bytes->size() > kMaxFrameData) Fail(Member(pointer, "data"), "is larger than a frame can hold");
        if (hasSize && frame.size != bytes->size()) {
            Fail(Member(pointer, "size"), "is " + std::to_string(frame.size) + " but the data holds " +
                                              std::to_string(bytes->size()) + " bytes");
        }
        const std::string hash = Sha256Hex(*bytes);
        if (hasHash && frame.sha256 != hash) Fail(Member(pointer, "sha256"), "does not match the data");
        frame.sha256 = hash;
        frame.size = bytes->size();
        frame.bytes = std::move(bytes);
        frame.content.data = *frame.bytes;
    } else if (hasHash) {
        frame.hashOnly = true;
    } else {
        Fail(pointer, std::string(KindName(frame.content.kind)) + " needs its data or its sha256");
    }
}

ID3V1Tag ReadID3v1(const Json& object, const std::string& pointer) {
    ExpectObject(object, pointer,
                 {"version", "title", "artist", "album", "year", "comment", "track", "genre", "genre_name"},
                 "the ID3v1 tag");
    ID3V1Tag tag;
    const uint64_t track = Number(object, pointer, "track", 255);
    std::string version = Text(object, pointer, "version", track > 0 ? "1.1" : "1.0");
    if (version != "1.0" && version != "1.1") Fail(Member(pointer, "version"), "must be \"1.0\" or \"1.1\"");
    if (version == "1.1" && track == 0) Fail(Member(pointer, "track"), "an ID3v1.1 tag needs a track from 1 to 255");
    if (version == "1.0" && track > 0) Fail(Member(pointer, "track"), "an ID3v1.0 tag has no track");
    // Blanks around a value are not kept by readers. Whether the texts fit
    // their fields depends on the code page they are written in: that is
    // checked against the file (CheckID3v1Fields).
    auto field = [&](const char* key) { return TrimBlanks(Text(object, pointer, key)); };
    tag.setTitle(field("title"));
    tag.setArtist(field("artist"));
    tag.setAlbum(field("album"));
    tag.setYear(field("year"));
    tag.setComment(field("comment"));
    tag.setTrack(static_cast<int16_t>(track));
    tag.setTagType(version == "1.1" ? ID3V11 : ID3v1);
    if (object.contains("genre")) {
        tag.setGenre(static_cast<uint8_t>(Number(object, pointer, "genre", 255)));
    } else if (object.contains("genre_name") && !object["genre_name"].is_null()) {
        // A genre given by its name alone.
        const std::string name = Text(object, pointer, "genre_name");
        auto lower = [](std::string s) {
            for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            return s;
        };
        bool found = false;
        for (int n = 0; n < 256 && !found; ++n) {
            const std::string known = Genres::NameOf(n);
            if (!known.empty() && lower(known) == lower(name)) {
                tag.setGenre(static_cast<uint8_t>(n));
                found = true;
            }
        }
        if (!found) Fail(Member(pointer, "genre_name"), "is not a genre of the list (see 'korvel genres')");
    }
    return tag;
}

DocumentID3v2 ReadID3v2(const Json& object, const std::string& pointer) {
    ExpectObject(object, pointer, {"version", "size", "padding", "flags", "frames", "error"}, "the ID3v2 tag");
    if (object.contains("error")) Fail(Member(pointer, "error"), "the ID3v2 tag could not be read: it cannot be written");
    DocumentID3v2 tag;
    tag.pointer = pointer;
    if (object.contains("version")) {
        const std::string version = Text(object, pointer, "version");
        if (version == "2.2.0") {
            tag.version = 2;
        } else if (version == "2.3.0") {
            tag.version = 3;
        } else if (version == "2.4.0") {
            tag.version = 4;
        } else {
            Fail(Member(pointer, "version"), "must be \"2.2.0\", \"2.3.0\" or \"2.4.0\"");
        }
    }
    // Size, padding and flags describe the tag as it was read; a written tag
    // gets its own.
    (void)Number(object, pointer, "size", UINT64_MAX);
    (void)Number(object, pointer, "padding", UINT64_MAX);
    (void)Number(object, pointer, "flags", 255);
    const Json& frames = ArrayMember(object, pointer, "frames");
    const std::string place = Member(pointer, "frames");
    for (size_t i = 0; i < frames.size(); ++i) tag.frames.push_back(ReadFrame(frames[i], Item(place, i), tag.version));
    return tag;
}

}  // namespace

void CheckID3v1Fields(const ID3V1Tag& tag, const std::string& pointer, const CodePage& page) {
    struct Field {
        const char* key;
        const std::string& text;
        size_t room;
    };
    const Field fields[] = {{"title", tag.Title(), 30},
                            {"artist", tag.Artist(), 30},
                            {"album", tag.Album(), 30},
                            {"year", tag.Year(), 4},
                            {"comment", tag.Comment(), tag.TagType() == ID3V11 ? size_t{28} : size_t{30}}};
    for (const auto& [key, text, room] : fields) {
        if (!page.CanEncode(text)) {
            Fail(Member(pointer, key), "has characters an ID3v1 tag in " + page.Name() + " cannot hold");
        }
        if (page.Encode(text).size() > room) {
            Fail(Member(pointer, key), "is longer than the " + std::to_string(room) + " bytes an ID3v1 tag holds");
        }
    }
}

std::string DocumentError::Text() const { return (pointer.empty() ? "" : pointer + ": ") + message; }

DocumentFrame ReadFrame(const Json& object, const std::string& pointer, int version) {
    if (!object.is_object()) Fail(pointer, "a frame must be an object, not " + std::string(TypeName(object)));
    DocumentFrame frame;
    frame.pointer = pointer;
    if (!object.contains("id")) Fail(pointer, "a frame needs its \"id\"");
    frame.id = Text(object, pointer, "id");
    const size_t idLength = version == 2 ? 3 : 4;
    if (frame.id.size() != idLength || !std::all_of(frame.id.begin(), frame.id.end(), IsFrameIdChar)) {
        Fail(Member(pointer, "id"), "must be " + std::to_string(idLength) + " capital letters or digits");
    }
    FrameContent& c = frame.content;
    c.kind = KindOfFrame(frame.id);
    if (object.contains("unreadable")) {
        const auto& flag = object["unreadable"];
        if (!flag.is_boolean() || !flag.get<bool>()) Fail(Member(pointer, "unreadable"), "must be true when given");
        c.kind = FrameKind::Unreadable;
    } else if (!CarriesBytes(c.kind) && (object.contains("data") || object.contains("sha256") || object.contains("size"))) {
        // A frame whose content could not be taken apart gives its bytes.
        c.kind = FrameKind::Binary;
    }
    std::set<std::string> members = MembersOf(c.kind);
    members.insert("id");
    ExpectObject(object, pointer, members, KindName(c.kind) + std::string(" (") + frame.id + ")");

    switch (c.kind) {
        case FrameKind::Text: c.values = Strings(object, pointer, "text"); break;
        case FrameKind::UserText:
            c.description = Text(object, pointer, "description");
            c.values = Strings(object, pointer, "text");
            break;
        case FrameKind::Url: c.url = LatinText(object, pointer, "url"); break;
        case FrameKind::UserUrl:
            c.description = Text(object, pointer, "description");
            c.url = LatinText(object, pointer, "url");
            break;
        case FrameKind::Comment:
            c.language = Language(object, pointer);
            c.description = Text(object, pointer, "description");
            c.values = Strings(object, pointer, "text");
            break;
        case FrameKind::People: {
            const Json& people = ArrayMember(object, pointer, "people");
            const std::string place = Member(pointer, "people");
            std::vector<std::string> strings;
            for (size_t i = 0; i < people.size(); ++i) {
                ExpectObject(people[i], Item(place, i), {"role", "name"}, "an involved person");
                strings.push_back(Text(people[i], Item(place, i), "role"));
                strings.push_back(Text(people[i], Item(place, i), "name"));
            }
            // The frame is one list of strings: empty ones at its end are
            // not kept, a role without a name reads with an empty name.
            while (!strings.empty() && strings.back().empty()) strings.pop_back();
            for (size_t i = 0; i < strings.size(); i += 2) {
                c.people.emplace_back(strings[i], i + 1 < strings.size() ? strings[i + 1] : "");
            }
            break;
        }
        case FrameKind::SyncedLyrics: {
            c.language = Language(object, pointer);
            c.description = Text(object, pointer, "description");
            c.timestampFormat = static_cast<uint8_t>(Number(object, pointer, "timestamp_format", 255, 2));
            c.contentType = static_cast<uint8_t>(Number(object, pointer, "content_type", 255, 1));
            const Json& lines = ArrayMember(object, pointer, "lines");
            const std::string place = Member(pointer, "lines");
            for (size_t i = 0; i < lines.size(); ++i) {
                ExpectObject(lines[i], Item(place, i), {"time", "text"}, "a line");
                SyncedLine line;
                line.time = static_cast<uint32_t>(Number(lines[i], Item(place, i), "time", UINT32_MAX));
                line.text = Text(lines[i], Item(place, i), "text");
                c.lines.push_back(std::move(line));
            }
            break;
        }
        case FrameKind::Picture:
            c.mime = LatinText(object, pointer, "mime");
            c.pictureType = static_cast<uint8_t>(Number(object, pointer, "picture_type", 255));
            c.description = Text(object, pointer, "description");
            ReadBinary(object, pointer, frame);
            break;
        case FrameKind::Counter:
            c.counter = Number(object, pointer, "counter", UINT64_MAX);
            c.hasCounter = true;
            break;
        case FrameKind::Popularimeter:
            c.email = LatinText(object, pointer, "email");
            c.rating = static_cast<uint8_t>(Number(object, pointer, "rating", 255));
            c.hasCounter = object.contains("counter");
            c.counter = Number(object, pointer, "counter", UINT64_MAX);
            break;
        case FrameKind::Owner:
            c.owner = LatinText(object, pointer, "owner");
            c.identifier = frame.id == "UFID" || frame.id == "UFI";
            ReadBinary(object, pointer, frame);
            break;
        case FrameKind::Object:
            c.mime = LatinText(object, pointer, "mime");
            c.fileName = Text(object, pointer, "file_name");
            c.description = Text(object, pointer, "description");
            ReadBinary(object, pointer, frame);
            break;
        case FrameKind::Binary: ReadBinary(object, pointer, frame); break;
        case FrameKind::Unreadable:
            frame.unreadable = true;
            frame.flags = static_cast<uint16_t>(Number(object, pointer, "flags", 0xFFFF));
            ReadBinary(object, pointer, frame);
            // Nothing but the stored bytes is known of the content.
            c.data = {};
            break;
    }
    return frame;
}

Json CanonicalJson(const DocumentFrame& frame) {
    FrameRecord record;
    record.id = frame.id;
    record.statusFlags = static_cast<uint8_t>(frame.flags >> 8);
    record.formatFlags = static_cast<uint8_t>(frame.flags);
    Json out = FrameJson(record, frame.content, false);
    if (frame.hasBinary) {
        out["size"] = frame.size;
        out["sha256"] = frame.sha256;
    }
    return out;
}

DocumentTags ReadDocument(const std::string& text) {
    Json document;
    try {
        document = Json::parse(text, [](int depth, Json::parse_event_t, Json&) {
            if (depth > kMaxDepth) throw TooDeep{};
            return true;
        });
    } catch (const TooDeep&) {
        Fail("", "the document nests deeper than " + std::to_string(kMaxDepth) + " levels");
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 1, column 3: ..."
        std::string message = e.what();
        const size_t start = message.find("] ");
        Fail("", "malformed JSON: " + (start == std::string::npos ? message : message.substr(start + 2)));
    }

    std::string pointer;
    const Json* file = &document;
    if (!document.is_object()) Fail("", "the document must be an object, not " + std::string(TypeName(document)));
    if (document.contains("format")) {
        ExpectObject(document, "", {"format", "version", "files"}, "the document");
        if (Text(document, "", "format") != kJsonFormat) {
            Fail("/format", "must be \"" + std::string(kJsonFormat) + "\"");
        }
        if (!document.contains("version") || Number(document, "", "version", UINT64_MAX) != kJsonVersion) {
            Fail("/version", "must be " + std::to_string(kJsonVersion));
        }
        const Json& files = ArrayMember(document, "", "files");
        if (files.size() != 1) {
            Fail("/files", "must hold exactly one file, not " + std::to_string(files.size()));
        }
        pointer = "/files/0";
        file = &files[0];
    }
    ExpectObject(*file, pointer, {"path", "size", "codepage", "audio", "id3v1", "id3v2", "lyrics3", "error"},
                 "a file");
    if (file->contains("error")) Fail(Member(pointer, "error"), "the document describes a file that could not be read");

    DocumentTags tags;
    if (file->contains("id3v1")) {
        tags.hasID3v1 = true;
        const Json& v1 = (*file)["id3v1"];
        tags.id3v1Pointer = Member(pointer, "id3v1");
        if (!v1.is_null()) tags.id3v1 = ReadID3v1(v1, tags.id3v1Pointer);
    }
    if (file->contains("id3v2")) {
        tags.hasID3v2 = true;
        const Json& v2 = (*file)["id3v2"];
        if (!v2.is_null()) tags.id3v2 = ReadID3v2(v2, Member(pointer, "id3v2"));
    }
    return tags;
}

}  // namespace korvel::cli
