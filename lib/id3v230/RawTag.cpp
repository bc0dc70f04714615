#include "id3v230/RawTag.h"

#include <algorithm>

#include "core/BinaryFile.h"
#include "core/ByteOrder.h"
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
    record.assign(frame.id.begin(), frame.id.end());
    AppendBigEndian(record, frame.data.size(), 4);
    record.push_back(frame.statusFlags);
    record.push_back(static_cast<uint8_t>(frame.formatFlags & 0x1F));
    record.insert(record.end(), frame.data.begin(), frame.data.end());
    return true;
}

}  // namespace korvel
