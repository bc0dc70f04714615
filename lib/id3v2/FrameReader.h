#pragma once
// What the readers of the three ID3v2 versions share: the tag's header and
// place, the frames of the tag in file order, the list of their IDs, the
// padding behind them and the error record. Library-internal base of ID3V22Tag, ID3V23Tag and ID3V24Tag.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "core/Collection.h"
#include "core/Types.h"
#include "errors/TagError.h"
#include "errors/cError.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

template <typename Frame>
class ID3V2FrameReader {
public:
    using FramePtr = std::shared_ptr<Frame>;

    // Every accepted frame ID followed by ";", in file order, duplicates
    // included.
    const std::string& FrameList() const { return m_frameList; }
    int32_t FrameCount() const { return m_frames.Count(); }
    FramePtr GetFrameByID(const std::string& FrameID) const { return m_frames.Item(FrameID); }
    FramePtr GetFrameByIndex(int32_t Index) const { return m_frames.Item(Index); }
    // TextData of the frame when the frame list names it; "" otherwise.
    std::string GetText(const std::string& FrameID) const {
        if (m_frameList.find(FrameID + ";") == std::string::npos) return "";
        const FramePtr frame = GetFrameByID(FrameID);
        return frame ? frame->TextData() : "";
    }

    TagErrorPtr LastError() const { return TagError::ViewOf(m_error); }

    // Library-internal.
    const cErrorPtr& ErrorObject() const { return m_error; }
    int32_t PaddingSize() const { return m_paddingSize; }

protected:
    ID3V2FrameReader() = default;
    ~ID3V2FrameReader() = default;

    // Starts a reading of the tag with this header at the 1-based position.
    void BeginLoad(const ID3V2Header& header, int64_t fileLength, int32_t tagPosition) {
        m_header = header;
        m_tagPosition = tagPosition;
        m_fileLength = fileLength;
        ClearFrames();
        m_paddingSize = 0;
    }

    // The tag data behind the ten-byte header, with the unsynchronisation
    // removed when the header's flag says so. False when the tag runs past
    // the end of the file or holds no data; a failed read throws.
    bool ReadTagData(const BinaryFile& file, Bytes& data) const {
        constexpr uint8_t kTagUnsynchronised = 0x80;
        const int64_t dataSize = SyncsafeToLong(m_header.SizeBytes());
        if (m_tagPosition + dataSize + 10 - 1 > m_fileLength) return false;
        if (dataSize <= 0) return false;
        data = file.ReadExact(m_tagPosition - 1 + 10, static_cast<size_t>(dataSize));
        if (m_header.Flags & kTagUnsynchronised) {
            Bytes plain;
            if (!RemoveUnsynchronisation(data, plain)) return false;
            data = std::move(plain);
        }
        return true;
    }

    // Forgets the frames of an earlier reading.
    void ClearFrames() {
        m_frames.Clear();
        m_frameList.clear();
    }

    // Walks the frame records from `pos` for as long as it lies before
    // `stop`; `parseAt(pos, frame)` parses the record at `pos` into a fresh
    // frame. A parsed frame is kept unless its ID is blank, and the walk
    // moves on by its size; padding ends the walk and takes the bytes from
    // there to `end`; any other failure fails the walk.
    template <typename ParseAt>
    bool CollectFrames(int64_t pos, int64_t stop, int64_t end, ParseAt parseAt) {
        while (pos < stop) {
            auto frame = std::make_shared<Frame>();
            if (parseAt(pos, *frame)) {
                pos += frame->TotalSize();
                const std::string id = frame->ID();
                if (!TrimBlanks(id).empty()) {
                    m_frames.Add(frame, id);
                    m_frameList += id + ";";
                }
            } else if (frame->IsPadding()) {
                m_paddingSize = static_cast<int32_t>(end - pos);
                return true;
            } else {
                return false;
            }
        }
        return true;
    }

    // The answers of a reader that cannot change the file.
    bool RefuseSaving(const std::string& source) {
        m_error->Set(1, source, "Saving is not supported.");
        return false;
    }
    bool RefuseRemoving(const std::string& source) {
        m_error->Set(1, source, "Removing is not supported.");
        return false;
    }

    cErrorPtr m_error = std::make_shared<cError>();
    ID3V2Header m_header;
    int32_t m_tagPosition = 1;
    int64_t m_fileLength = 0;
    int32_t m_paddingSize = 0;

private:
    Collection<Frame> m_frames;
    std::string m_frameList;
};

}  // namespace korvel
