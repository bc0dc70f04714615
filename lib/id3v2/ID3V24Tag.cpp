#include "id3v2/ID3V24Tag.h"

#include "id3v2/TagContents.h"
#include "id3v2/TagFields.h"

namespace korvel {

namespace {

std::string Field(const ID3V24Tag& tag, TagField field) {
    return tag.Contents() ? FieldText(*tag.Contents(), field) : "";
}

}  // namespace

int64_t ID3V24Frame::FramePosition() const {
    if (!m_tag || !m_tag->bytes) return 0;
    return (Record().stored.data() - m_tag->bytes->data()) + 1;
}

std::string ID3V24Tag::Artist() const { return Field(*this, TagField::Artist); }
std::string ID3V24Tag::Album() const { return Field(*this, TagField::Album); }
std::string ID3V24Tag::Title() const { return Field(*this, TagField::Title); }
std::string ID3V24Tag::Track() const { return Field(*this, TagField::Track); }
std::string ID3V24Tag::Year() const { return Field(*this, TagField::Year); }
std::string ID3V24Tag::GenreID() const { return GenreIDText(Field(*this, TagField::Genre)); }
std::string ID3V24Tag::Genre() const { return GenreText(Field(*this, TagField::Genre)); }

bool ID3V24Tag::LoadFromFile(const BinaryFile& file, int64_t /*fileLength*/, int32_t /*tagPosition*/,
                             const ID3V2Header& header) {
    try {
        return LoadTagFromFile(file, header, 4);
    } catch (...) {
        return false;
    }
}

Bytes ID3V24Tag::ExtendedHeaderSize() const {
    if (!Contents() || Contents()->extendedHeader.size() < 4) return {};
    return Bytes(Contents()->extendedHeader.begin(), Contents()->extendedHeader.begin() + 4);
}

ID3V2Header ID3V24Tag::Footer() const {
    if (!Contents() || !Contents()->hasFooter) return ID3V2Header();
    const Bytes& bytes = *Contents()->bytes;
    const size_t at = 10 + Contents()->bodySize;
    return ID3V2Header::FromBytes(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(at + 10)));
}

}  // namespace korvel
