#include "id3v230/RawTag.h"

#include <algorithm>

#include "core/BinaryFile.h"
#include "core/ByteOrder.h"
#include "errors/KorvelException.h"
#include "id3v2/TagContents.h"

namespace korvel {

RawTag::Leading RawTag::ReadLeading(const BinaryFile& file) {
    Leading tag;
    const Bytes head = file.ReadAt(0, 10);
    const size_t extent = TagExtent(head);
    if (extent == 0) return tag;
    tag.present = true;
    tag.major = head[3];
    tag.revision = head[4];
    tag.flags = head[5];
    tag.extent = std::min(static_cast<int64_t>(extent), file.Length());
    return tag;
}

bool RawTag::CanGiveLibrary(const FrameRecord& frame) {
    if (!frame.readable || frame.id.size() != 4 || frame.stored.size() < 10) return false;
    return !frame.inflatedShort;
}

bool RawTag::ForLibrary(const FrameRecord& frame, Bytes& record) {
    if (!CanGiveLibrary(frame)) return false;
    record.assign(frame.stored.begin(), frame.stored.begin() + 4);
    AppendBigEndian(record, frame.data.size(), 4);
    record.push_back(frame.statusFlags);
    record.push_back(static_cast<uint8_t>(frame.formatFlags & 0x1F));
    record.insert(record.end(), frame.data.begin(), frame.data.end());
    return true;
}

Bytes RawTag::BuildV23Tag(const std::vector<std::span<const uint8_t>>& records, size_t padding) {
    if (records.empty()) return {};
    size_t body = padding;
    for (const auto& record : records) body += record.size();
    if (body > kMaxBodySize) {
        throw KorvelException("RawTag::BuildV23Tag", "The tag is larger than an ID3v2 tag can be.");
    }
    Bytes tag = {'I', 'D', '3', 3, 0, 0};
    AppendSyncsafe32(tag, static_cast<uint32_t>(body));
    tag.reserve(10 + body);
    for (const auto& record : records) tag.insert(tag.end(), record.begin(), record.end());
    tag.resize(10 + body, 0);
    return tag;
}

}  // namespace korvel
