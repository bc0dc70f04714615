// Reading an ID3v2 tag into the frame model: the header, the extended
// header, one frame walker per version, padding and the footer.
#include "id3v2/TagContents.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "core/BinaryFile.h"
#include "core/ByteOrder.h"
#include "id3v2/FrameContent.h"

namespace korvel {

namespace {

constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kTagExtendedHeader = 0x40;
constexpr uint8_t kTagFooter = 0x10;

// Header flags that make a tag unreadable for its version.
uint8_t RejectedFlags(uint8_t version) {
    switch (version) {
        case 2: return 0x0C;
        case 3: return 0x0E;
        default: return 0x0F;
    }
}

bool IsIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool IsFrameId(std::span<const uint8_t> bytes, size_t length) {
    if (bytes.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (!IsIdChar(bytes[i])) return false;
    }
    return true;
}

struct Failure {
    std::string reason;
};

// The bytes a frame's format flags put in front of its data, taken in
// order; `fits` turns false at the first the frame is too short for.
struct AppendedBytes {
    std::span<const uint8_t> content;
    size_t size = 0;
    bool fits = true;

    // The next n bytes; null once they do not fit.
    const uint8_t* Take(size_t n) {
        fits = fits && size + n <= content.size();
        const size_t at = size;
        size += n;
        return fits ? content.data() + at : nullptr;
    }
};

class Walker {
public:
    Walker(TagContents& tag, std::span<const uint8_t> body) : m_tag(tag), m_body(body) {}

    void Walk(size_t pos) {
        const size_t headerSize = m_tag.version == 2 ? 6 : 10;
        while (pos < m_body.size()) {
            const std::span<const uint8_t> rest = m_body.subspan(pos);
            // Padding, however short: the frames end here.
            if (rest[0] == 0) break;
            std::string id22;
            const bool padded = IsPaddedId22(rest, id22);
            // Too little left for a frame, or something that is not a frame:
            // behind frames that is left-over junk where padding belongs;
            // where the first frame should be, the tag is damaged.
            if (rest.size() < headerSize || !(padded || IsFrameId(rest, IdLength()))) {
                if (m_tag.frames.empty()) throw Failure{"The tag holds no frames where they should start."};
                break;
            }
            const size_t size = RecordSize(pos);
            if (size > rest.size() - headerSize) {
                throw Failure{"The frame " + std::string(rest.begin(), rest.begin() + IdLength()) +
                              " runs past the end of the tag."};
            }
            if (size > 0 && !(padded && id22.empty())) Add(rest.first(headerSize + size), headerSize, id22);
            pos += headerSize + size;
        }
        m_tag.paddingSize = m_body.size() - std::min(pos, m_body.size());
    }

private:
    size_t IdLength() const { return m_tag.version == 2 ? 3 : 4; }

    // iTunes writes version 2.2 frame IDs, padded with a zero byte ("TT2\0"),
    // into version 2.3 tags: true for such an ID, with its version 2.3 form
    // ("TIT2") in `id`, "" when it has none (the frame is passed over).
    bool IsPaddedId22(std::span<const uint8_t> bytes, std::string& id) const {
        if (m_tag.version != 3 || bytes.size() < 4 || bytes[3] != 0 || !IsFrameId(bytes, 3)) return false;
        id = FrameIdOf22(std::string(bytes.begin(), bytes.begin() + 3));
        return true;
    }

    // The size field of the frame at pos. Version 2.4 sizes are syncsafe,
    // but some writers put plain big-endian sizes there: a size that is not
    // syncsafe, or whose syncsafe reading does not lead to the next frame
    // (or padding, or the end) where the big-endian one does, is read
    // big-endian.
    size_t RecordSize(size_t pos) const {
        const uint8_t* field = m_body.data() + pos + IdLength();
        if (m_tag.version == 2) return static_cast<size_t>(ReadBigEndian(field, 3));
        const size_t plain = ReadBigEndian32(field);
        if (m_tag.version == 3) return plain;
        if (!IsSyncsafe32(field)) return plain;
        const size_t syncsafe = ReadSyncsafe32(field);
        if (syncsafe == plain || LeadsToFrame(pos + 10 + syncsafe)) return syncsafe;
        return LeadsToFrame(pos + 10 + plain) ? plain : syncsafe;
    }

    bool LeadsToFrame(size_t next) const {
        if (next == m_body.size()) return true;
        if (next > m_body.size()) return false;
        if (m_body[next] == 0) return true;
        return IsFrameId(m_body.subspan(next), 4);
    }

    // A frame record; `id` replaces the ID that stands in the record.
    void Add(std::span<const uint8_t> stored, size_t headerSize, const std::string& id) {
        FrameRecord record;
        record.id =
            id.empty() ? std::string(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(IdLength())) : id;
        record.stored = stored;
        std::span<const uint8_t> content = stored.subspan(headerSize);
        if (m_tag.version == 2) {
            record.data = content;
        } else {
            record.statusFlags = stored[8];
            record.formatFlags = stored[9];
            if (m_tag.version == 3) {
                Appended23(record, content);
            } else {
                Appended24(record, content);
            }
        }
        m_tag.frames.push_back(std::move(record));
    }

    // Version 2.3: decompressed size (0x80), encryption method (0x40), group
    // (0x20), in that order.
    void Appended23(FrameRecord& record, std::span<const uint8_t> content) {
        const uint8_t flags = record.formatFlags;
        AppendedBytes appended{content};
        if (flags & 0x80) {
            if (const uint8_t* size = appended.Take(4)) record.dataLength = ReadBigEndian32(size);
            record.compressed = true;
        }
        if (flags & 0x40) {
            if (const uint8_t* method = appended.Take(1)) record.encryption = *method;
        }
        if (flags & 0x20) {
            if (const uint8_t* group = appended.Take(1)) record.group = *group;
        }
        Finish(record, content, appended.fits, appended.size);
    }

    // Version 2.4: group (0x40), encryption method (0x04), data length
    // indicator (0x01), in that order; compression 0x08, unsynchronisation
    // 0x02 (or the tag's flag).
    void Appended24(FrameRecord& record, std::span<const uint8_t> content) {
        const uint8_t flags = record.formatFlags;
        AppendedBytes appended{content};
        if (flags & 0x40) {
            if (const uint8_t* group = appended.Take(1)) record.group = *group;
        }
        if (flags & 0x04) {
            if (const uint8_t* method = appended.Take(1)) record.encryption = *method;
        }
        if (flags & 0x01) {
            if (const uint8_t* size = appended.Take(4)) record.dataLength = ReadSyncsafe32(size);
        }
        record.compressed = (flags & 0x08) != 0;
        record.unsynchronised = (flags & 0x02) != 0 || (m_tag.flags & kTagUnsynchronised) != 0;
        Finish(record, content, appended.fits, appended.size);
    }

    void Finish(FrameRecord& record, std::span<const uint8_t> content, bool fits, size_t appended) {
        // A frame too short for the bytes its flags announce is kept as it
        // is, its content unknown; an encrypted one keeps its data as stored.
        if (!fits) {
            record.readable = false;
            return;
        }
        std::span<const uint8_t> data = content.subspan(appended);
        if (record.encryption >= 0) {
            record.data = data;
            record.readable = false;
            return;
        }
        if (record.unsynchronised) {
            auto plain = std::make_shared<Bytes>(RemoveUnsynchronisationOf(data));
            data = *plain;
            record.owned = std::move(plain);
        }
        if (record.compressed) {
            if (record.dataLength <= 0 || record.dataLength > kMaxInflatedFrame) {
                throw Failure{"The compressed frame " + record.id + " declares an impossible size."};
            }
            auto inflated = std::make_shared<Bytes>();
            bool complete = false;
            if (!InflateBounded(data, static_cast<size_t>(record.dataLength), *inflated, &complete)) {
                record.readable = false;
                return;
            }
            record.inflatedShort = !complete;
            data = *inflated;
            record.owned = std::move(inflated);
        }
        record.data = data;
    }

    TagContents& m_tag;
    std::span<const uint8_t> m_body;
};

}  // namespace

const FrameRecord* TagContents::Find(std::string_view id) const {
    for (const FrameRecord& frame : frames) {
        if (frame.id == id) return &frame;
    }
    return nullptr;
}

size_t TagExtent(std::span<const uint8_t> head) {
    if (head.size() < 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3') return 0;
    if (head[3] == 0xFF || head[4] == 0xFF || !IsSyncsafe32(head.data() + 6)) return 0;
    size_t extent = 10 + size_t{ReadSyncsafe32(head.data() + 6)};
    if (head[3] >= 4 && (head[5] & kTagFooter) != 0) extent += 10;
    return extent;
}

TagContentsPtr ParseTagContents(std::shared_ptr<const Bytes> bytes, const CodePage& codePage,
                                std::string* problem) {
    auto fail = [&](const std::string& reason) {
        if (problem != nullptr) *problem = reason;
        return TagContentsPtr();
    };
    if (!bytes) return fail("There is no ID3v2 tag.");
    const std::span<const uint8_t> all(*bytes);
    const size_t extent = TagExtent(all);
    if (extent == 0) return fail("There is no valid ID3v2 header.");
    auto tag = std::make_shared<TagContents>();
    tag->version = all[3];
    tag->revision = all[4];
    tag->flags = all[5];
    tag->bytes = bytes;
    tag->codePage = codePage;
    tag->bodySize = ReadSyncsafe32(all.data() + 6);
    tag->hasFooter = tag->version >= 4 && (tag->flags & kTagFooter) != 0;
    if (tag->version < 2 || tag->version > 4) {
        return fail("ID3v2." + std::to_string(tag->version) + " tags are not supported.");
    }
    if ((tag->flags & RejectedFlags(tag->version)) != 0) return fail("The tag header has flags this version does not define.");
    if (extent > all.size()) return fail("The tag runs past the end of the file.");

    // Versions 2.2 and 2.3 do not know empty tags.
    if (tag->bodySize == 0 && tag->version < 4) return fail("The tag is empty.");
    std::span<const uint8_t> body = all.subspan(10, tag->bodySize);
    // Versions 2.2 and 2.3 unsynchronise the tag as a whole.
    if (tag->version < 4 && (tag->flags & kTagUnsynchronised) != 0) {
        const Bytes plain = RemoveUnsynchronisationOf(body);
        const std::span<const uint8_t> tail = all.subspan(10 + tag->bodySize);
        Bytes whole(10 + plain.size() + tail.size());
        std::copy_n(all.begin(), 10, whole.begin());
        std::copy(plain.begin(), plain.end(), whole.begin() + 10);
        std::copy(tail.begin(), tail.end(), whole.begin() + 10 + static_cast<std::ptrdiff_t>(plain.size()));
        auto rebuilt = std::make_shared<const Bytes>(std::move(whole));
        body = std::span<const uint8_t>(*rebuilt).subspan(10, plain.size());
        tag->bytes = std::move(rebuilt);
    }

    size_t first = 0;
    // Some writers set the extended-header flag without writing one: frames
    // then start right behind the header.
    if (tag->version > 2 && (tag->flags & kTagExtendedHeader) != 0 && !IsFrameId(body, 4)) {
        if (body.size() < 4) return fail("The extended header does not fit the tag.");
        // Version 2.3 counts the size bytes apart, 2.4 includes them.
        const size_t size = tag->version == 3 ? 4 + size_t{ReadBigEndian32(body.data())} : ReadSyncsafe32(body.data());
        if (size < 5) return fail("The extended header does not fit the tag.");
        // One that claims more than the tag leaves no room for frames.
        tag->extendedHeader = body.first(std::min(size, body.size()));
        first = std::min(size, body.size());
    }
    // Room for the frames of most tags (a frame takes 11 bytes or more).
    tag->frames.reserve(std::min<size_t>(body.size() / 11 + 1, 32));
    try {
        Walker(*tag, body).Walk(first);
    } catch (const Failure& failure) {
        return fail(failure.reason);
    }
    if (tag->hasFooter) {
        const std::span<const uint8_t> footer = all.subspan(10 + tag->bodySize, 10);
        if (footer[0] != '3' || footer[1] != 'D' || footer[2] != 'I' ||
            !std::equal(footer.begin() + 3, footer.end(), all.begin() + 3)) {
            return fail("The tag's footer does not repeat its header.");
        }
    }
    return tag;
}

TagContentsPtr ReadTagContents(const BinaryFile& file, const CodePage& codePage, std::string* problem) {
    const Bytes head = file.ReadAt(0, 10);
    const size_t extent = TagExtent(head);
    if (extent == 0) {
        if (problem != nullptr) *problem = "There is no valid ID3v2 header.";
        return nullptr;
    }
    return ParseTagContents(std::make_shared<const Bytes>(file.ReadAt(0, extent)), codePage, problem);
}

Bytes RemoveUnsynchronisationOf(std::span<const uint8_t> data) {
    Bytes plain;
    plain.reserve(data.size());
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] == 0x00 && i > 0 && data[i - 1] == 0xFF) continue;
        plain.push_back(data[i]);
    }
    return plain;
}

bool InflateBounded(std::span<const uint8_t> source, size_t limit, Bytes& out, bool* complete) {
    out.clear();
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(source.data());
    size_t remaining = source.size();
    constexpr size_t kChunk = 64 * 1024;
    int status = Z_OK;
    // One byte beyond the limit tells a stream that is longer than allowed.
    const size_t room = complete != nullptr ? limit + 1 : limit;
    while (status == Z_OK && out.size() < room) {
        if (stream.avail_in == 0 && remaining > 0) {
            const size_t feed = std::min<size_t>(remaining, UINT_MAX);
            stream.avail_in = static_cast<uInt>(feed);
            remaining -= feed;
        }
        const size_t before = out.size();
        const size_t grow = std::min(kChunk, room - before);
        out.resize(before + grow);
        stream.next_out = out.data() + before;
        stream.avail_out = static_cast<uInt>(grow);
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + (grow - stream.avail_out));
        // No progress with the input used up: the stream is cut short.
        if (status == Z_BUF_ERROR || (status == Z_OK && stream.avail_in == 0 && remaining == 0 &&
                                      stream.avail_out != 0)) {
            break;
        }
    }
    inflateEnd(&stream);
    if (complete != nullptr) {
        *complete = status == Z_STREAM_END && out.size() == limit;
        if (out.size() > limit) out.resize(limit);
    }
    return true;
}

}  // namespace korvel
