// Removing tags from a file through id3lib, on a copy that replaces the file.
#include <algorithm>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "id3v1/ID3V1Tag.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v230/ID3LibSupport.h"
#include "id3v230/ID3V230.h"
#include "id3v230/RawTag.h"
#include "lyrics3/LyricsTag.h"

namespace korvel {

using id3lib::kBadDataCode;
using id3lib::kNoFileCode;
using id3lib::LibTag;

int32_t ID3V230::StripTag(int32_t tagFlags) {
    m_failure.clear();
    std::string message;
    if (!CheckLibrary(message)) {
        m_failure = message;
        return kNoFileCode;
    }
    if (TrimBlanks(m_fileName).empty()) {
        m_failure = "No file is attached.";
        return kNoFileCode;
    }
    const ID3LibBinding& lib = ID3LibBinding::Current();
    try {
        BinaryFile original(m_fileName);
        int64_t length = original.Length();
        RawTag::Leading leading = RawTag::ReadLeading(original);
        // The ID3v2 tag is left out of the copy by its header's size; id3lib
        // then strips the tags at the end of that copy in place, and the copy
        // replaces the file with one rename.
        int64_t start = ((tagFlags & ID3TT_ID3V2) != 0 && leading.present) ? leading.extent : 0;
        ReplacementFile replacement(m_fileName);
        replacement.AppendFrom(original, start, length - start);
        uint16_t appended = static_cast<uint16_t>(tagFlags & (ID3TT_ID3V1 | ID3TT_LYRICS3 | ID3TT_LYRICS3V2 | ID3TT_MUSICMATCH));
        // id3lib parses the tags at the end of the file to strip them: it is
        // given only tags the library's own readers accept. MusicMatch tags
        // have no reader here.
        if ((appended & ID3TT_MUSICMATCH) != 0) {
            m_failure = "MusicMatch tags are not read by this library and cannot be removed.";
            return kBadDataCode;
        }
        if ((appended & (ID3TT_LYRICS3 | ID3TT_LYRICS3V2)) != 0) {
            Bytes tail = original.ReadAt(std::max<int64_t>(0, length - ID3V1Tag::kTagLength), ID3V1Tag::kTagLength);
            bool hasID3v1 = tail.size() == ID3V1Tag::kTagLength && tail[0] == 'T' && tail[1] == 'A' && tail[2] == 'G';
            try {
                LyricsTag().Load(m_fileName, hasID3v1);
            } catch (...) {
                m_failure = "The file's Lyrics3 tag is damaged; it is not handed to id3lib. " +
                            DescribeFailure(std::current_exception()).Description;
                return kBadDataCode;
            }
        }
        int32_t result = 0;
        if (appended != 0) {
            LibTag tag(lib);
            m_framesSize = static_cast<int32_t>(lib.TagLinkWithFlags(tag.get(), replacement.TempPath(), appended));
            for (int32_t bit : {ID3TT_ID3V1, ID3TT_LYRICS3, ID3TT_LYRICS3V2, ID3TT_MUSICMATCH}) {
                if ((appended & bit) != 0) result = lib.TagStrip(tag.get(), static_cast<uint16_t>(bit));
            }
        }
        // id3lib reports success whether or not it could write: check.
        int64_t after = FileLength(replacement.TempPath());
        if (after > length - start) throw KorvelException("StripTag", "id3lib did not remove the tag.");
        if (result != 0) {
            m_failure = ID3ErrorText(result);
            return result;
        }
        if (after != length) replacement.Commit();
        return 0;
    } catch (...) {
        std::exception_ptr failure = std::current_exception();
        m_failure = DescribeFailure(failure).Description;
        return id3lib::CodeOf(failure);
    }
}

}  // namespace korvel
