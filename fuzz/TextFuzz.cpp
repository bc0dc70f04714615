// The byte and text decoders: the ID3v2 helpers, the frame content decoder
// for every frame kind, de-unsynchronisation, bounded inflation, and the
// Windows-1252 / UTF-8 / UTF-16 conversions, the other code pages and their
// detection. The first byte picks a start, a
// count and a frame kind; the rest is the data.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Ansi.h"
#include "core/CodePage.h"
#include "core/CodePageDetection.h"
#include "core/Numeric.h"
#include "id3v2/FrameContent.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagFields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t pick = data[0];
    const korvel::Bytes bytes(data + 1, data + size);
    const int32_t start = pick & 0x0F;
    const int32_t count = (pick >> 4) - 2;

    (void)korvel::BytesToLong(bytes, start, count);
    (void)korvel::SyncsafeToLong(bytes);
    (void)korvel::ShiftLeft(korvel::BytesToLong(bytes, 0, 4), static_cast<int16_t>(start));
    (void)korvel::ShiftRight(korvel::BytesToLong(bytes, 0, 4), start);
    (void)korvel::BytesToString(bytes, start, count);
    (void)korvel::AnsiBytesToString(bytes);
    (void)korvel::UnicodeBytesToString(bytes);
    (void)korvel::DecodeUtf16Bytes(bytes, static_cast<size_t>(start), (pick & 0x80) != 0);
    korvel::Bytes plain;
    if (korvel::RemoveUnsynchronisation(bytes, plain) && plain.size() > bytes.size()) std::abort();
    (void)korvel::ID3ErrorText(static_cast<int32_t>(pick) - 8);

    static const char* const kIds[] = {"TIT2", "COMM", "USLT", "SYLT", "WXXX", "APIC", "PCNT", "TXXX",
                                       "TT2",  "PIC",  "POPM", "PRIV", "UFID", "GEOB", "TIPL", "XXXX"};
    korvel::FrameRecord record;
    record.id = kIds[pick % 16];
    record.data = bytes;
    const korvel::FrameContent content = korvel::DecodeFrame(record);
    (void)korvel::FrameValueText(content);
    (void)korvel::FrameRowText(content, 2 + pick % 3);
    const std::string genre = korvel::AnsiToUtf8(bytes);
    (void)korvel::GenreText(genre);
    (void)korvel::GenreIDText(genre);
    if (korvel::RemoveUnsynchronisationOf(bytes).size() > bytes.size()) std::abort();

    // Compressed frame data with a declared size from its first four bytes.
    korvel::Bytes inflated;
    const uint32_t declared = static_cast<uint32_t>(korvel::BytesToLong(bytes, 0, 4)) & 0xFFFFF;
    bool complete = false;
    (void)korvel::InflateBounded(bytes, declared, inflated, (pick & 1) != 0 ? &complete : nullptr);
    if (inflated.size() > declared) std::abort();

    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    (void)korvel::Utf8ToAnsi(text), (void)korvel::Utf8ToAnsiBytes(text);
    (void)korvel::IsAnsiRepresentable(text), (void)korvel::Utf8ToUtf16(text);
    (void)korvel::Utf8Length(text), (void)korvel::Utf8Left(text, static_cast<size_t>(start));
    (void)korvel::TrimBlanks(text), (void)korvel::Utf32ToUtf8(korvel::Utf8ToUtf32(text));
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    (void)korvel::Utf16ToUtf8(units);
    if (const auto number = korvel::ParseNumber(text)) {
        (void)korvel::ToInt16(*number), (void)korvel::ToInt32(*number), (void)korvel::ToByte(*number);
    }
    (void)korvel::LeadingNumber(text);

    // The code pages: reading, writing within a field's length, and the
    // detection over the bytes cut into texts at every zero byte.
    static const char* const kPages[] = {"windows-1252", "windows-1251", "koi8-r", "shift_jis",
                                         "gbk",          "big5",         "euc-kr", "iso-2022-jp"};
    if (const auto page = korvel::CodePage::Named(kPages[pick % 8])) {
        (void)page->Decode(bytes);
        size_t missing = 0;
        const korvel::Bytes field = page->EncodeField(text, static_cast<size_t>(start), &missing);
        if (field.size() > static_cast<size_t>(start) || missing > text.size()) std::abort();
        (void)page->CanEncode(text);
    }
    std::vector<std::string> texts(1);
    for (const uint8_t b : bytes) {
        if (b == 0) {
            texts.emplace_back();
        } else {
            texts.back() += static_cast<char>(b);
        }
    }
    (void)korvel::DetectCodePage(texts);
    return 0;
}
