#pragma once
// Pieces the updatable tag's loading, saving and stripping share: id3lib
// tags and scratch files that clean up after themselves, field values read
// out of id3lib frames, and the error codes of failures. Library-internal.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "core/Types.h"
#include "id3v230/ID3Enumerations.h"
#include "id3v230/ID3LibBinding.h"
#include "id3v230/TagValue.h"

namespace korvel::id3lib {

using Handle = ID3LibBinding::Handle;

inline constexpr int32_t kNoFileCode = 11;    // id3lib's "No file to parse"
inline constexpr int32_t kReadOnlyCode = 12;  // id3lib's "Attempting to write to a read-only file"
inline constexpr int32_t kBadDataCode = 3;    // id3lib's "Improperly formatted data"

bool IsUrlFrame(ID3_FrameID type);
// The field that holds a frame type's value.
ID3_FieldID ValueField(ID3_FrameID type);
// Values compare by kind and text here: a number written over the same text
// still counts as a change.
bool SameValue(const TagValue& a, const TagValue& b);
// The text of a field, whatever its encoding, as UTF-8.
std::string ReadText(const ID3LibBinding& lib, Handle field);
// The id3lib error code of a failure: 12 for anything refused by the file
// system or the permissions.
int32_t CodeOf(const std::exception_ptr& failure);

// A unique, empty file in a folder for id3lib to render a tag into; removed
// when the object goes.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& folder);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }

    // Throws the file system's error when a block cannot be added to the
    // file: a full disk (or a write that fails otherwise).
    void RequireRoom() const;
    // What id3lib wrote was read back whole: it left no file of its own
    // behind, and the folder need not be searched for one.
    void Rendered() { m_rendered = true; }

private:
    std::string m_path;
    bool m_rendered = false;
};

// An id3lib tag object that is deleted when it goes.
class LibTag {
public:
    explicit LibTag(const ID3LibBinding& lib) : m_lib(lib), m_tag(lib.TagNew()) {}
    ~LibTag() { m_lib.TagDelete(m_tag); }
    LibTag(const LibTag&) = delete;
    LibTag& operator=(const LibTag&) = delete;
    Handle get() const { return m_tag; }

    // The frame of a tag parsed from one frame record, found by the
    // record's identifier (id3lib knows frames it cannot name as NOFRAME).
    Handle Only(const std::string& id) const;
    // Parses one version 2.3 frame record as a tag of its own.
    void ParseRecord(const Bytes& record);

private:
    const ID3LibBinding& m_lib;
    Handle m_tag;
};

}  // namespace korvel::id3lib
