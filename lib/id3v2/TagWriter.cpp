#include "id3v2/TagWriter.h"

#include <algorithm>

#include "core/BinaryFile.h"
#include "core/ByteOrder.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameEncoder.h"

namespace korvel {

namespace {

constexpr uint8_t kUnsynchronised = 0x80;
constexpr uint8_t kExtendedHeader = 0x40;
constexpr uint8_t kExperimental = 0x20;
constexpr uint8_t kFooter = 0x10;

// Largest tag body a header can describe.
constexpr size_t kMaxBody = 0x0FFFFFFF;

bool Within(std::span<const uint8_t> part, const Bytes& whole) {
    return !part.empty() && part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// Whether an extended header is whole, and whether it carries a checksum.
struct ExtendedHeaderFacts {
    bool valid = false;
    bool checksum = false;
};

ExtendedHeaderFacts Examine(std::span<const uint8_t> header, int version) {
    ExtendedHeaderFacts facts;
    if (header.size() < 6) return facts;
    if (version >= 4) {
        // Size (syncsafe, counting itself), one flag byte: update 0x40,
        // checksum 0x20 (five bytes), restrictions 0x10 (one byte).
        const uint8_t flags = header[5];
        const size_t expected = 6 + ((flags & 0x20) ? 6 : 0) + ((flags & 0x40) ? 1 : 0) + ((flags & 0x10) ? 2 : 0);
        facts.valid = IsSyncsafe32(header.data()) && ReadSyncsafe32(header.data()) == header.size() &&
                      header[4] == 1 && header.size() == expected;
        facts.checksum = (flags & 0x20) != 0;
    } else {
        // Size (not counting itself: 6 or 10), two flag bytes (checksum
        // 0x8000), the padding size and the checksum.
        const size_t size = ReadBigEndian32(header.data());
        facts.checksum = (header[4] & 0x80) != 0;
        facts.valid = header.size() == size + 4 && size == (facts.checksum ? 10u : 6u);
    }
    return facts;
}

}  // namespace

Bytes BuildTag(const std::vector<std::span<const uint8_t>>& records, const TagLayout& layout) {
    if (layout.version != 3 && layout.version != 4) {
        throw KorvelException("BuildTag", "Only ID3v2.3 and ID3v2.4 tags can be written.");
    }
    const bool footer = layout.footer && layout.version >= 4;
    size_t frames = layout.extendedHeader.size();
    for (const auto& record : records) frames += record.size();
    const size_t fixed = 10 + (footer ? 10 : 0);
    size_t padding = 0;
    if (footer) {
        padding = 0;
    } else if (layout.fitSize >= fixed + frames && layout.fitSize - fixed - frames <= layout.maximumPadding) {
        padding = layout.fitSize - fixed - frames;
    } else {
        constexpr size_t kPage = 4096;
        const size_t least = fixed + frames + layout.minimumPadding;
        padding = layout.minimumPadding + (kPage - (least - layout.fitSize % kPage) % kPage) % kPage;
    }
    if (frames > kMaxBody || padding > kMaxBody - frames) {
        throw KorvelException("BuildTag", "The tag is larger than an ID3v2 tag can be.");
    }
    const size_t body = frames + padding;
    uint8_t flags = 0;
    if (!layout.extendedHeader.empty()) flags |= kExtendedHeader;
    if (layout.experimental) flags |= kExperimental;
    if (footer) flags |= kFooter;

    Bytes tag = {'I', 'D', '3', static_cast<uint8_t>(layout.version), layout.revision, flags};
    AppendSyncsafe32(tag, static_cast<uint32_t>(body));
    tag.reserve(fixed + body);
    const size_t extendedAt = tag.size();
    tag.insert(tag.end(), layout.extendedHeader.begin(), layout.extendedHeader.end());
    if (layout.version == 3 && layout.extendedHeader.size() >= 10) {
        // Version 2.3 states the padding in its extended header.
        for (int i = 0; i < 4; ++i) tag[extendedAt + 6 + i] = static_cast<uint8_t>(padding >> (24 - 8 * i));
    }
    for (const auto& record : records) tag.insert(tag.end(), record.begin(), record.end());
    tag.resize(10 + body, 0);
    if (footer) {
        tag.insert(tag.end(), tag.begin(), tag.begin() + 10);
        tag[10 + body] = '3';
        tag[10 + body + 1] = 'D';
        tag[10 + body + 2] = 'I';
    }
    return tag;
}

TagLayout LayoutOf(const TagContents& old, std::vector<std::string>* notes) {
    auto note = [&](const std::string& text) {
        if (notes != nullptr) notes->push_back(text);
    };
    TagLayout layout;
    layout.version = old.version >= 4 ? 4 : 3;
    layout.revision = old.version == layout.version ? old.revision : 0;
    layout.experimental = old.version >= 3 && (old.flags & kExperimental) != 0;
    layout.footer = old.hasFooter;
    layout.fitSize = old.TotalSize();
    if (!old.extendedHeader.empty() && old.version >= 3) {
        const ExtendedHeaderFacts facts = Examine(old.extendedHeader, old.version);
        if (!facts.valid) {
            note("The tag's extended header is damaged; it is left out.");
        } else if (facts.checksum) {
            note("The tag's extended header is left out: its checksum of the frames would no longer hold.");
        } else {
            layout.extendedHeader.assign(old.extendedHeader.begin(), old.extendedHeader.end());
        }
    }
    if ((old.flags & kUnsynchronised) != 0) {
        note("The tag was unsynchronised; it is written without unsynchronisation, its frames plainly.");
    }
    return layout;
}

std::span<const uint8_t> CarriedRecord(const TagContents& old, const FrameRecord& record, Bytes& scratch) {
    const std::span<const uint8_t> stored = record.stored;
    if (old.version < 4 || !old.bytes || !Within(stored, *old.bytes) || stored.size() < 10) return stored;
    const bool tagUnsynchronised = (old.flags & kUnsynchronised) != 0;
    const bool syncsafe = IsSyncsafe32(stored.data() + 4) && ReadSyncsafe32(stored.data() + 4) == stored.size() - 10;
    if (!tagUnsynchronised && syncsafe) return stored;
    // Under the tag's flag every frame's bytes behind its header are
    // unsynchronised (whatever its own flag says): undone, the frame stands
    // on its own in a tag without the flag.
    const std::span<const uint8_t> behind = stored.subspan(10);
    const Bytes plain = tagUnsynchronised ? RemoveUnsynchronisationOf(behind) : Bytes(behind.begin(), behind.end());
    scratch.assign(stored.begin(), stored.begin() + 4);
    AppendSyncsafe32(scratch, static_cast<uint32_t>(plain.size()));
    scratch.push_back(record.statusFlags);
    scratch.push_back(tagUnsynchronised ? static_cast<uint8_t>(record.formatFlags & ~0x02) : record.formatFlags);
    scratch.insert(scratch.end(), plain.begin(), plain.end());
    return scratch;
}

TagContentsPtr UpgradeTo23(const TagContents& v22, std::vector<std::string>* unconvertible) {
    Bytes tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    for (const FrameRecord& frame : v22.frames) {
        Bytes record;
        if (ConvertFrame22(frame, record)) {
            tag.insert(tag.end(), record.begin(), record.end());
        } else if (unconvertible != nullptr &&
                   std::find(unconvertible->begin(), unconvertible->end(), frame.id) == unconvertible->end()) {
            unconvertible->push_back(frame.id);
        }
    }
    const size_t body = tag.size() - 10;
    if (body > kMaxBody) throw KorvelException("UpgradeTo23", "The tag is larger than an ID3v2 tag can be.");
    for (int i = 0; i < 4; ++i) tag[6 + i] = static_cast<uint8_t>((body >> (21 - 7 * i)) & 0x7F);
    if (body == 0) {
        // No frame to hold: an empty tag (which version 2.3 does not write).
        auto empty = std::make_shared<TagContents>();
        empty->version = 3;
        empty->codePage = v22.codePage;
        empty->bytes = std::make_shared<const Bytes>(std::move(tag));
        return empty;
    }
    std::string problem;
    TagContentsPtr upgraded = ParseTagContents(std::make_shared<const Bytes>(std::move(tag)), v22.codePage, &problem);
    if (!upgraded) throw KorvelException("UpgradeTo23", "The ID3v2.2 tag cannot be converted: " + problem);
    return upgraded;
}

void ReplaceLeadingTag(const std::string& fileName, std::span<const uint8_t> tag, const TagContents* expected) {
    BinaryFile original(fileName);
    const int64_t length = original.Length();
    const Bytes head = original.ReadAt(0, 10);
    const int64_t extent = std::min<int64_t>(static_cast<int64_t>(TagExtent(head)), length);
    if (expected != nullptr && expected->bytes && expected->bytes->size() >= 10 &&
        !std::equal(head.begin(), head.end(), expected->bytes->begin(), expected->bytes->begin() + 10)) {
        throw KorvelException("ReplaceLeadingTag", "The file's ID3v2 tag has changed since it was read; it is not overwritten.");
    }
    if (tag.empty() && extent == 0) return;
    ReplacementFile replacement(fileName);
    replacement.Write(tag.data(), tag.size());
    replacement.AppendFrom(original, extent, length - extent);
    replacement.Commit();
}

void RemoveLeadingTag(const std::string& fileName) { ReplaceLeadingTag(fileName, {}); }

}  // namespace korvel
