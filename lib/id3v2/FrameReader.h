#pragma once
// What the readers of the three ID3v2 versions share: the frames of the tag
// in file order, the list of their IDs, the padding behind them and the
// error record. Library-internal base of ID3V22Tag, ID3V23Tag and ID3V24Tag.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Ansi.h"
#include "core/Collection.h"
#include "errors/TagError.h"
#include "errors/cError.h"

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
    int32_t m_paddingSize = 0;

private:
    Collection<Frame> m_frames;
    std::string m_frameList;
};

}  // namespace korvel
