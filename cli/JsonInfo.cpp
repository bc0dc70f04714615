// korvel info --json: every file and its tags as one JSON document, written
// file by file so that any number of files takes the memory of one.
#include <openssl/evp.h>

#include <cmath>
#include <filesystem>
#include <iostream>

#include "Cli.h"
#include "Json.h"
#include "errors/KorvelException.h"
#include "errors/cError.h"
#include "file/FileHandler.h"
#include "xml/XmlNodes.h"

namespace korvel::cli {

namespace {

Json ErrorJson(const cError& error) {
    Json out;
    out["number"] = error.Number;
    out["source"] = error.Source;
    out["description"] = error.Description;
    return out;
}

void AddBinary(Json& out, std::span<const uint8_t> data, bool withData) {
    out["size"] = data.size();
    out["sha256"] = Sha256Hex(data);
    if (withData) out["data"] = Base64Encode(data.data(), data.size());
}

Json AudioJson(const MPEGHeader& h) {
    if (!h.HeaderFound()) return nullptr;
    Json out;
    out["version"] = h.Version();
    out["layer"] = 4 - h.LayerID();
    out["mode"] = h.Mode();
    out["bitrate"] = h.BitRate() >= 0 ? Json(h.BitRate()) : Json(nullptr);
    out["vbr"] = h.VBR();
    out["frequency"] = h.Frequency();
    // Milliseconds are as exact as the bit rate makes the figure.
    const double duration = h.ExactDuration();
    out["duration"] = duration >= 0 ? Json(std::round(duration * 1000) / 1000) : Json(nullptr);
    out["frames"] = h.NumFrames();
    if (h.VBRHeader() != VBRHeaderKind::None) {
        out["xing"] = {{"name", h.VBRHeaderName()}, {"frames", h.XingFrameCount()}, {"bytes", h.XingByteCount()}};
    } else {
        out["xing"] = nullptr;
    }
    return out;
}

Json ID3v1Json(FileHandler& file) {
    if (!file.HasID3V1Tag()) return nullptr;
    const ID3V1Tag& tag = *file.ID3v1xTag();
    Json out;
    out["version"] = tag.TagType() == ID3V11 ? "1.1" : "1.0";
    out["title"] = tag.Title();
    out["artist"] = tag.Artist();
    out["album"] = tag.Album();
    out["year"] = tag.Year();
    out["comment"] = tag.Comment();
    out["track"] = tag.Track();
    out["genre"] = tag.Genre();
    const std::string name = Genres::NameOf(tag.Genre());
    out["genre_name"] = name.empty() ? Json(nullptr) : Json(name);
    return out;
}

Json ID3v2Json(FileHandler& file, bool withData) {
    const ID3V2TagPtr tag = file.HasID3V2Tag() ? file.ID3V2Tag() : nullptr;
    if (!tag) return nullptr;
    const ID3V2Version& v = *tag->Version();
    Json out;
    out["version"] = std::to_string(v.Major()) + "." + std::to_string(v.Minor()) + "." + std::to_string(v.Revision());
    if (v.Minor() < 2 || v.Minor() > 4) {
        cError unsupported;
        unsupported.Set(2, "ID3V2Tag::loadTag", "Unsupported Version " + out["version"].get<std::string>(),
                        kLibraryErrorNumber);
        out["error"] = ErrorJson(unsupported);
        return out;
    }
    if (!tag->IsLoaded() && !tag->loadTag()) {
        out["error"] = ErrorJson(*tag->ErrorObject());
        return out;
    }
    const TagContents& contents = *tag->Contents();
    out["size"] = contents.TotalSize();
    out["padding"] = contents.paddingSize;
    out["flags"] = contents.flags;
    Json& frames = out["frames"] = Json::array();
    for (const FrameRecord& record : contents.frames) {
        frames.push_back(FrameJson(record, DecodeFrame(record, contents.codePage), withData));
    }
    return out;
}

Json LyricsJson(FileHandler& file) {
    try {
        if (!file.HasLyricsTag()) return nullptr;
        const LyricsTag& tag = *file.LyricsTag();
        Json out;
        out["version"] = tag.Version() == lvcV100 ? "1.00" : "2.00";
        Json& fields = out["fields"] = Json::array();
        for (int32_t i = 1; i <= tag.FieldCount(); ++i) {
            const LyricsV200FieldPtr field = tag.getFieldByIndex(i);
            fields.push_back({{"id", field->ID()}, {"text", field->TextData()}});
        }
        return out;
    } catch (...) {
        cError failure;
        failure.CopyError();
        return {{"error", ErrorJson(failure)}};
    }
}

}  // namespace

std::string Sha256Hex(std::span<const uint8_t> bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        throw KorvelException("Sha256Hex", "SHA-256 is not available.");
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

Json FrameJson(const FrameRecord& record, const FrameContent& c, bool withData) {
    Json out;
    out["id"] = record.id;
    switch (c.kind) {
        case FrameKind::Text: out["text"] = c.values; break;
        case FrameKind::UserText:
            out["description"] = c.description;
            out["text"] = c.values;
            break;
        case FrameKind::Url: out["url"] = c.url; break;
        case FrameKind::UserUrl:
            out["description"] = c.description;
            out["url"] = c.url;
            break;
        case FrameKind::Comment:
            out["language"] = c.language;
            out["description"] = c.description;
            out["text"] = c.values;
            break;
        case FrameKind::People: {
            Json& people = out["people"] = Json::array();
            for (const auto& [role, name] : c.people) people.push_back({{"role", role}, {"name", name}});
            break;
        }
        case FrameKind::SyncedLyrics: {
            out["language"] = c.language;
            out["description"] = c.description;
            out["timestamp_format"] = c.timestampFormat;
            out["content_type"] = c.contentType;
            Json& lines = out["lines"] = Json::array();
            for (const SyncedLine& line : c.lines) lines.push_back({{"time", line.time}, {"text", line.text}});
            break;
        }
        case FrameKind::Picture:
            out["mime"] = c.mime;
            out["picture_type"] = c.pictureType;
            out["description"] = c.description;
            AddBinary(out, c.data, withData);
            break;
        case FrameKind::Counter: out["counter"] = c.counter; break;
        case FrameKind::Popularimeter:
            out["email"] = c.email;
            out["rating"] = c.rating;
            if (c.hasCounter) out["counter"] = c.counter;
            break;
        case FrameKind::Owner:
            out["owner"] = c.owner;
            AddBinary(out, c.data, withData);
            break;
        case FrameKind::Object:
            out["mime"] = c.mime;
            out["file_name"] = c.fileName;
            out["description"] = c.description;
            AddBinary(out, c.data, withData);
            break;
        case FrameKind::Binary: AddBinary(out, c.data, withData); break;
        case FrameKind::Unreadable: {
            // Nothing is known of the content: the record behind its header,
            // as stored, with the flags that say how to read it.
            const size_t header = record.id.size() == 3 ? 6 : 10;
            out["unreadable"] = true;
            out["flags"] = (record.statusFlags << 8) | record.formatFlags;
            AddBinary(out, record.stored.subspan(std::min(header, record.stored.size())), withData);
            break;
        }
    }
    return out;
}

Json FileJson(const std::string& path, bool withData, bool& ok) {
    Json out;
    out["path"] = path;
    FileHandler file;
    ok = file.Create(path);
    if (!ok) {
        out["error"] = ErrorJson(*file.ErrorObject());
        return out;
    }
    std::error_code failed;
    const std::uintmax_t size = std::filesystem::file_size(path, failed);
    out["size"] = failed ? Json(file.Size()) : Json(size);
    // The code page the single-byte texts (ID3v1, Lyrics3, ID3v2 encoding 0)
    // were read in.
    out["codepage"] = file.UsedCodePage().Name();
    out["audio"] = AudioJson(*file.MPEGHeader());
    out["id3v1"] = ID3v1Json(file);
    out["id3v2"] = ID3v2Json(file, withData);
    out["lyrics3"] = LyricsJson(file);
    return out;
}

bool WriteJsonDocument(const std::vector<std::string>& paths, bool withData, std::ostream& out) {
    out << "{\"format\":\"" << kJsonFormat << "\",\"version\":" << kJsonVersion << ",\"files\":[";
    bool allRead = true;
    for (size_t i = 0; i < paths.size(); ++i) {
        bool ok = false;
        const Json file = FileJson(paths[i], withData, ok);
        allRead = allRead && ok;
        out << (i == 0 ? "\n" : ",\n")
            << file.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
    }
    out << "\n]}\n";
    return allRead;
}

int RunInfoJson(const std::vector<std::string>& paths, bool withData) {
    return WriteJsonDocument(paths, withData, std::cout) ? kExitOk : kExitFailure;
}

}  // namespace korvel::cli
