#pragma once
// Writing whole ID3v2 tags: frame records (as FrameEncoder makes them, or
// carried over from a tag read into the frame model) become a version 2.3 or
// 2.4 tag with its header, an optional extended header, padding and an
// optional footer; and the tag at the start of a file is replaced by a new
// one (or removed) by writing the whole new file beside it and renaming it
// into place. Tags are written without unsynchronisation.
//
//     std::vector<std::string> notes;
//     TagLayout layout = LayoutOf(*old, &notes);          // keep the old shape
//     std::vector<Bytes> scratch(old->frames.size());
//     std::vector<std::span<const uint8_t>> records;
//     for (size_t i = 0; i < old->frames.size(); ++i)
//         records.push_back(CarriedRecord(*old, old->frames[i], scratch[i]));
//     records.push_back(newRecord);                        // EncodeFrame(...)
//     ReplaceLeadingTag(path, BuildTag(records, layout), old.get());
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Types.h"
#include "id3v2/TagContents.h"

namespace korvel {

// The shape of a tag to be written.
struct TagLayout {
    int version = 4;  // 3 or 4
    uint8_t revision = 0;
    // Header flag 0x20 (an experimental tag).
    bool experimental = false;
    // Version 2.4: a footer behind the frames. Such a tag has no padding.
    bool footer = false;
    // The extended header, written as given (version 2.3: its padding size
    // field is set to the new padding); empty for none.
    Bytes extendedHeader;
    // The size of the tag being replaced (header, body and footer; 0 for a
    // file without one): a new tag that fits in it is padded to exactly that
    // size, so the audio behind it stays where it was.
    size_t fitSize = 0;
    // The least padding of a tag that does not fit that size, so that the
    // next small edit fits. More is added to keep the audio at the same
    // place within a 4 KB page as before (the new size is the old one plus
    // a multiple of 4 KB): the kernel copies audio that keeps its place in
    // the page up to three times as fast.
    size_t minimumPadding = 1024;
    // Padding beyond this is not kept to fit the old size: a tag that
    // shrinks by more (a large picture removed) gets the minimum padding.
    size_t maximumPadding = size_t{1} << 20;
};

// The tag holding the records in that order. Throws KorvelException when the
// tag would be larger than an ID3v2 tag can be (a 28-bit body size).
Bytes BuildTag(const std::vector<std::span<const uint8_t>>& records, const TagLayout& layout);

// The layout that keeps an old tag's shape in a rewrite of the same version:
// its version, revision, experimental flag, footer, extended header and
// size. An extended header carrying a checksum of the frames (which a
// rewrite changes) or one that is damaged is dropped. `notes`, when given,
// receives one sentence for every part of the old tag that is not kept (a
// dropped extended header; the tag's unsynchronisation, as the new tag is
// written plainly).
TagLayout LayoutOf(const TagContents& old, std::vector<std::string>* notes = nullptr);

// The bytes of a record of `old` as a tag of the same version written by
// BuildTag holds it: its stored bytes, exactly, unless they depend on the old
// tag: a version 2.4 frame stored under the tag's unsynchronisation flag is
// written with its bytes behind the frame header de-unsynchronised, and one
// whose size field was not syncsafe gets a syncsafe one; `scratch` then
// receives the record. A record not of `old` (made by FrameEncoder) is
// returned as it is.
std::span<const uint8_t> CarriedRecord(const TagContents& old, const FrameRecord& record, Bytes& scratch);

// The version 2.3 form of a version 2.2 tag: every frame that has one
// converted (ConvertFrame22), in order, in a tag without padding. The IDs
// of the frames left out (no version 2.3 form, or unreadable), in order
// and once each, go to `unconvertible`.
TagContentsPtr UpgradeTo23(const TagContents& v22, std::vector<std::string>* unconvertible = nullptr);

// Puts `tag` in the place of the ID3v2 tag at the start of a file, or in
// front of the file's content when it has none; an empty `tag` removes the
// file's tag (and changes nothing when it has none). The complete new file is
// written beside the file and renamed into place (core/ReplacementFile), so
// that the file is either as it was or completely written. `expected`, when
// given, is the tag as read before the edit: a file that no longer starts
// with that tag's header is refused. Throws on failure (KorvelException,
// std::system_error); the file is then unchanged.
void ReplaceLeadingTag(const std::string& fileName, std::span<const uint8_t> tag,
                       const TagContents* expected = nullptr);

// Removes the ID3v2 tag at the start of a file (ReplaceLeadingTag with no
// tag).
void RemoveLeadingTag(const std::string& fileName);

}  // namespace korvel
