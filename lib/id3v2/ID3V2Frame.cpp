#include "id3v2/ID3V2Frame.h"

#include "core/BinaryFile.h"
#include "id3v2/FrameContent.h"
#include "id3v2/ID3V22Tag.h"
#include "id3v2/ID3V23Tag.h"
#include "id3v2/ID3V24Tag.h"
#include "id3v2/TagContents.h"

namespace korvel {

namespace {

const FrameRecord kNoRecord{};

}  // namespace

const FrameRecord& ID3V2Frame::Record() const {
    if (!m_tag || m_index >= m_tag->frames.size()) return kNoRecord;
    return m_tag->frames[m_index];
}

FrameContent ID3V2Frame::Content() const {
    return m_tag ? DecodeFrame(Record(), m_tag->codePage) : DecodeFrame(Record());
}

std::string ID3V2Frame::ID() const { return Record().id; }

bool ID3V2Frame::Is(const char* id) const { return Record().id == id; }

Bytes ID3V2Frame::RawData() const {
    const FrameRecord& record = Record();
    return Bytes(record.data.begin(), record.data.end());
}

std::string ID3V2Frame::TextData() const { return FrameValueText(Content()); }

std::string ID3V2Frame::Description() const { return Content().description; }

std::string ID3V2Frame::Language() const { return Content().language; }

PicturePtr ID3V2Frame::createPicture() const {
    const FrameContent content = Content();
    if (content.kind != FrameKind::Picture || content.data.empty()) return nullptr;
    return PictureFromBytes(m_tag, content.data);
}

Bytes ID3V2Frame::removeHeader() const {
    const FrameContent content = Content();
    switch (content.kind) {
        case FrameKind::Picture: return Bytes(content.data.begin(), content.data.end());
        case FrameKind::Comment:
        case FrameKind::SyncedLyrics:
        case FrameKind::UserUrl: return Bytes(content.rest.begin(), content.rest.end());
        default: return {};
    }
}

int64_t ID3V2Frame::TotalSize() const { return static_cast<int64_t>(Record().stored.size()); }

bool ID3V2Frame::IsEncrypted() const { return Record().encryption >= 0; }

uint8_t ID3V2Frame::StatusFlags() const { return Record().statusFlags; }

uint8_t ID3V2Frame::FormatFlags() const { return Record().formatFlags; }

template <typename Frame>
size_t ID3V2FrameReader<Frame>::FrameCountOf(const TagContents& contents) {
    return contents.frames.size();
}

template <typename Frame>
int32_t ID3V2FrameReader<Frame>::PaddingSize() const {
    return m_contents ? static_cast<int32_t>(m_contents->paddingSize) : 0;
}

template <typename Frame>
bool ID3V2FrameReader<Frame>::LoadTagFromFile(const BinaryFile& file, const ID3V2Header& header, int version) {
    Load(nullptr);
    if (header.MajorVersion != version) return false;
    TagContentsPtr contents = ReadTagContents(file);
    if (!contents || contents->version != version) return false;
    Load(contents);
    return true;
}

template class ID3V2FrameReader<ID3V22Frame>;
template class ID3V2FrameReader<ID3V23Frame>;
template class ID3V2FrameReader<ID3V24Frame>;

}  // namespace korvel
