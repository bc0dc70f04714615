#include "id3v2/TagEdit.h"

#include <algorithm>

#include "id3v2/FrameContent.h"
#include "id3v2/FrameEncoder.h"

namespace korvel {

namespace {

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The encoding to write a content in, from the one it should keep: encoding 0
// is read in the tag's code page, so beyond ASCII it holds text only where
// that is the default one.
uint8_t EncodingFor(const TagContents& tag, const FrameContent& content, uint8_t preferred) {
    const uint8_t encoding = ChooseEncoding(content, tag.version, preferred);
    if (encoding != kEncodingLatin1 || tag.codePage.IsDefault()) return encoding;
    bool ascii = IsAscii(content.description);
    for (const std::string& value : content.values) ascii = ascii && IsAscii(value);
    for (const SyncedLine& line : content.lines) ascii = ascii && IsAscii(line.text);
    if (ascii) return encoding;
    return tag.version >= 4 ? kEncodingUtf8 : kEncodingUtf16;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, from)) {
        parts.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    parts.push_back(text.substr(from));
    return parts;
}

bool IsYear(const std::string& text) {
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes every frame of that ID; true when there was one.
bool RemoveAll(TagContents& tag, const std::string& id) {
    const size_t before = tag.frames.size();
    std::erase_if(tag.frames, [&](const FrameRecord& frame) { return frame.id == id; });
    return tag.frames.size() != before;
}

// Puts a frame made of the content at `index` (its old record's status
// flags and group kept), or at the end when index is -1.
void Put(TagContents& tag, int index, const std::string& id, const FrameContent& content) {
    uint8_t status = 0;
    int group = -1;
    if (index >= 0) {
        status = tag.frames[static_cast<size_t>(index)].statusFlags;
        group = tag.frames[static_cast<size_t>(index)].group;
    }
    FrameRecord record = MakeFrameRecord(
        EncodeFrameRecord(id, EncodeFrameData(id, content, tag.version), tag.version, status, group), tag.version);
    if (index >= 0) {
        tag.frames[static_cast<size_t>(index)] = std::move(record);
    } else {
        tag.frames.push_back(std::move(record));
    }
}

// The content of the frame at index as the start of its new content; a
// fresh one of the ID's kind when there is none or it cannot be read.
FrameContent StartingContent(const TagContents& tag, int index, const std::string& id, bool& fresh) {
    const FrameKind kind = KindOfFrame(id);
    if (index >= 0) {
        FrameContent content = DecodeFrame(tag.frames[static_cast<size_t>(index)], tag.codePage);
        if (content.kind == kind) {
            fresh = false;
            return content;
        }
    }
    fresh = true;
    FrameContent content;
    content.kind = kind;
    if (kind == FrameKind::SyncedLyrics) {
        content.timestampFormat = 2;  // milliseconds
        content.contentType = 1;      // lyrics
    }
    return content;
}

}  // namespace

bool SetFieldText(TagContents& tag, TagField field, const std::string& value) {
    if (FieldText(tag, field) == value) return false;
    const TagFieldInfo& info = FieldInfo(field);
    const std::string id = FrameIdOf(info, tag.version);
    bool changed = false;
    if (field == TagField::Year) changed = RemoveAll(tag, tag.version >= 4 ? "TYER" : "TDRC");
    const int index = FindFieldFrame(tag, id, info.descriptor);
    if (value.empty()) {
        if (index < 0) return changed;
        tag.frames.erase(tag.frames.begin() + index);
        return true;
    }

    bool fresh = true;
    FrameContent content = StartingContent(tag, index, id, fresh);
    if (fresh) content.description = info.descriptor;
    switch (content.kind) {
        case FrameKind::Text: {
            std::string text = value;
            // The rest of a recording time stays: only its year changes.
            if (field == TagField::Year && IsYear(value) && content.values.size() == 1 &&
                content.values[0].size() > 4 && IsYear(content.values[0].substr(0, 4))) {
                text += content.values[0].substr(4);
            }
            content.values = content.values.size() > 1 ? Split(text, " / ") : std::vector<std::string>{text};
            break;
        }
        case FrameKind::Url:
        case FrameKind::UserUrl: content.url = value; break;
        case FrameKind::SyncedLyrics: {
            std::vector<SyncedLine> lines;
            for (const std::string& text : Split(value, "\n")) {
                SyncedLine line;
                line.text = text;
                // Each line keeps the time of the line it replaces.
                if (lines.size() < content.lines.size()) {
                    line.time = content.lines[lines.size()].time;
                } else if (!content.lines.empty()) {
                    line.time = content.lines.back().time;
                }
                lines.push_back(std::move(line));
            }
            content.lines = std::move(lines);
            break;
        }
        default: content.values = {value}; break;
    }
    content.encoding = EncodingFor(tag, content, fresh ? kEncodingLatin1 : content.encoding);
    Put(tag, index, id, content);
    return true;
}

bool SetPictureFrame(TagContents& tag, const PicturePtr& picture) {
    const int index = FindFieldFrame(tag, "APIC", "");
    bool fresh = true;
    FrameContent content = StartingContent(tag, index, "APIC", fresh);
    if (!HasImage(picture)) {
        if (index < 0) return false;
        // The same bytes handed back (an image this library cannot decode)
        // are no change.
        if (picture && !fresh && std::equal(content.data.begin(), content.data.end(), picture->Data().begin(),
                                            picture->Data().end())) {
            return false;
        }
        tag.frames.erase(tag.frames.begin() + index);
        return true;
    }
    const Bytes& image = picture->Data();
    if (!fresh && std::equal(content.data.begin(), content.data.end(), image.begin(), image.end())) return false;
    if (fresh) content.pictureType = 3;  // front cover
    const std::string mime = picture->MimeType();
    if (!mime.empty()) content.mime = mime;
    content.data = image;
    content.encoding = EncodingFor(tag, content, fresh ? kEncodingLatin1 : content.encoding);
    Put(tag, index, "APIC", content);
    return true;
}

}  // namespace korvel
