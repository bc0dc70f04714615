#pragma once
// Writing ID3v2 frames: structured values (FrameContent, as DecodeFrame reads
// them) become the data of a version 2.3 or 2.4 frame in a chosen text
// encoding, and data becomes a frame record (header and data) that a tag
// writer puts into a tag. Also the conversion of version 2.2 frame records
// into their version 2.3 form.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/Types.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"

namespace korvel {

// The text encodings of ID3v2 frames (the first byte of a text frame).
inline constexpr uint8_t kEncodingLatin1 = 0;   // ISO-8859-1
inline constexpr uint8_t kEncodingUtf16 = 1;    // UTF-16 behind a byte-order mark
inline constexpr uint8_t kEncodingUtf16BE = 2;  // UTF-16 big-endian; version 2.4 only
inline constexpr uint8_t kEncodingUtf8 = 3;     // version 2.4 only

// Whether frames of version 2.`version` (3 or 4) may use the encoding.
bool EncodingAllowed(uint8_t encoding, int version);

// Whether the encoding holds every character of the text. Latin-1 holds
// U+0000 to U+007F and U+00A0 to U+00FF (the C1 controls are left out: tag
// readers take those bytes for Windows-1252 characters); the Unicode
// encodings hold everything.
bool EncodingHolds(uint8_t encoding, std::string_view text);

// The encoding a content is best written in: `preferred` when the version
// allows it and it holds every text of the content that the encoding
// applies to (values, description, file name, people, lyrics lines);
// otherwise UTF-8 in version 2.4 and UTF-16 in version 2.3.
uint8_t ChooseEncoding(const FrameContent& content, int version, uint8_t preferred);

// The data of frame `id` of version 2.`version` (3 or 4) holding the content,
// in the content's encoding. By the content's kind: the values of a text
// frame (separated by zero terminators in version 2.4, joined by "/" in
// 2.3), a user text or link, a comment or lyrics (language "XXX" when the
// content has no valid one), involved people, synchronised lyrics, a
// picture, a counter, a popularimeter, owner data, an object, and the bytes
// of any other frame. URLs, MIME types, owners and e-mail addresses are
// Latin-1 ('?' for what it cannot hold). Throws KorvelException for an
// unreadable content, an encoding the version does not allow and a text the
// encoding cannot hold.
Bytes EncodeFrameData(const std::string& id, const FrameContent& content, int version);

// Where a content is to read back exactly as it was read (a tag copied frame
// by frame), two of EncodeFrameData's choices give way to what the frame
// held: a language that is not three letters (empty, shorter, other Latin-1
// characters) is written as its characters padded with zero bytes rather
// than as "XXX", and version 2.3 text values are separated by terminators,
// as a version 2.3 frame that was read with several values had them, rather
// than joined by "/".
struct ExactEncoding {};
Bytes EncodeFrameData(const std::string& id, const FrameContent& content, int version, ExactEncoding);

// A frame record: the 10-byte frame header (the four-character ID, the data
// size, syncsafe in version 2.4, the status flags and the format flags of a
// grouped frame or none) followed by the group identifier when `group` is 0
// to 255, and the data. Throws KorvelException for an ID that is not four
// characters A-Z/0-9 and for data too large for a frame.
Bytes EncodeFrameRecord(const std::string& id, std::span<const uint8_t> data, int version,
                        uint8_t statusFlags = 0, int group = -1);

// EncodeFrameData and EncodeFrameRecord at once: a plain record of the content.
Bytes EncodeFrame(const std::string& id, const FrameContent& content, int version);

// A record of the frame model that holds a record made by EncodeFrameRecord
// (it owns the bytes): as ParseTagContents would read it from a tag.
FrameRecord MakeFrameRecord(Bytes record, int version);

// The version 2.3 record of a version 2.2 frame record: the ID of its 2.3
// form (FrameIdOf22) and the same content, except that a picture's
// three-letter image format becomes a MIME type and a linked frame's ID
// becomes four characters. False (and `record23` untouched) for a frame
// without a version 2.3 form.
bool ConvertFrame22(const FrameRecord& frame, Bytes& record23);

}  // namespace korvel
