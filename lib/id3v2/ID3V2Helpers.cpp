#include "id3v2/ID3V2Helpers.h"

#include "core/Ansi.h"
#include "id3v2/TagContents.h"

namespace korvel {

namespace {
constexpr int64_t kTwo31 = int64_t{1} << 31;

// The low 32 bits of a value, read as signed.
int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v & 0xFFFFFFFF)); }
}  // namespace

int32_t ShiftLeft(int32_t value, int16_t n) {
    if (n < 0 || n > 32) return 0;
    int64_t p = static_cast<int64_t>(value) * (int64_t{1} << n);
    if (p >= -kTwo31 && p < kTwo31) return static_cast<int32_t>(p);
    if (p >= kTwo31) {
        // Reduce by 2^31 until negative: the result lies in [-2^31, 0).
        p -= kTwo31 * ((p / kTwo31));
        if (p >= 0) p -= kTwo31;
        return static_cast<int32_t>(p);
    }
    return Wrap32(p);
}

int32_t ShiftRight(int32_t value, int32_t n) {
    if (n < 0 || n > 31) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(value) >> n);
}

int32_t BytesToLong(const Bytes& bytes, int32_t start, int32_t count) {
    if (count < 1 || start < 0 ||
        static_cast<int64_t>(start) + count - 1 > static_cast<int64_t>(bytes.size()) - 1) {
        return 0;
    }
    int32_t v = 0;
    for (int32_t i = start; i < start + count; ++i) {
        v = Wrap32(static_cast<int64_t>(ShiftLeft(v, 8)) + bytes[static_cast<size_t>(i)]);
    }
    return v;
}

int32_t SyncsafeToLong(const Bytes& bytes) {
    int32_t v = 0;
    for (uint8_t b : bytes) v = Wrap32(static_cast<int64_t>(ShiftLeft(v, 7)) + b);
    return v;
}

std::string BytesToString(const Bytes& bytes, int32_t start, int32_t count) {
    const int64_t upper = static_cast<int64_t>(bytes.size()) - 1;
    if (start < 0 || start > upper) return "";
    int64_t end = count > 0 ? static_cast<int64_t>(start) + count - 1 : upper;
    if (end > upper) end = upper;
    return AnsiToUtf8(bytes.data() + start, static_cast<size_t>(end - start + 1));
}

std::string AnsiBytesToString(const Bytes& bytes) { return AnsiToUtf8(bytes); }

std::string UnicodeBytesToString(const Bytes& bytes) {
    if (bytes.empty() || bytes.size() % 2 != 0) return "";
    return DecodeUtf16Bytes(bytes, 0, false);
}

std::string DecodeUtf16Bytes(const Bytes& bytes, size_t from, bool bigEndian) {
    if (from >= bytes.size()) return "";
    return Utf16BytesToUtf8(std::span<const uint8_t>(bytes).subspan(from), bigEndian);
}

PicturePtr PictureFromBytes(const Bytes& bytes) {
    PicturePtr picture = PictureObject::FromBytes(bytes);
    return picture->handle() != 0 ? picture : nullptr;
}

PicturePtr PictureFromBytes(std::shared_ptr<const void> owner, std::span<const uint8_t> bytes) {
    PicturePtr picture = PictureObject::FromShared(std::move(owner), bytes);
    return picture->handle() != 0 ? picture : nullptr;
}

std::string ID3ErrorText(int32_t code) {
    switch (code) {
        case 0: return "No error reported";
        case 1: return "No available memory";
        case 2: return "No data to parse";
        case 3: return "Improperly formatted data";
        case 4: return "No buffer to write to";
        case 5: return "Buffer is too small";
        case 6: return "Invalid frame id";
        case 7: return "Requested field not found";
        case 8: return "Unknown field type";
        case 9: return "Tag is already attached to a file";
        case 10: return "Invalid tag version";
        case 11: return "No file to parse";
        case 12: return "Attempting to write to a read-only file";
        case 13: return "Error in compression/uncompression";
        default: return "Unknown error";
    }
}

bool RemoveUnsynchronisation(const Bytes& data, Bytes& result) {
    result = RemoveUnsynchronisationOf(data);
    return !data.empty();
}

ID3V2Header ID3V2Header::FromBytes(const Bytes& head) {
    auto at = [&](size_t i) -> uint8_t { return i < head.size() ? head[i] : 0; };
    ID3V2Header h;
    for (size_t i = 0; i < 3; ++i) h.Identifier[i] = static_cast<char>(at(i));
    h.MajorVersion = at(3);
    h.RevisionNumber = at(4);
    h.Flags = at(5);
    for (size_t i = 0; i < 4; ++i) h.Size[i] = at(6 + i);
    return h;
}

}  // namespace korvel
