#include "id3v2/ID3V23Tag.h"

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagWriter.h"
#include "id3v2/UpdatableTag.h"

namespace korvel {

uint8_t ID3V23Frame::GroupIdentifier() const {
    return Record().group < 0 ? 0 : static_cast<uint8_t>(Record().group);
}

uint8_t ID3V23Frame::EncryptionMethod() const {
    return Record().encryption < 0 ? 0 : static_cast<uint8_t>(Record().encryption);
}

ID3V23Tag::ID3V23Tag() : m_updatableTag(MakeUpdatableTag()) {}

ID3V23Tag::~ID3V23Tag() = default;

bool ID3V23Tag::AttachUpdatable(const std::string& fileName, std::shared_ptr<const TagContents> contents) {
    try {
        if (!m_updatableTag) throw KorvelException("canSave", "Saving is not supported.");
        if (!contents) {
            BinaryFile file(fileName);
            std::string problem;
            contents = ReadTagContents(file, DefaultCodePage().Page(), &problem);
            if (!contents) {
                throw KorvelException("LoadFrames", "The ID3v2 tag cannot be changed: " + problem);
            }
        }
    } catch (...) {
        m_error->CopyError();
        return false;
    }
    Load(std::move(contents));
    m_fileName = fileName;
    m_updatable = true;
    m_attached = false;
    return true;
}

bool ID3V23Tag::LoadFromFile(const BinaryFile& file, int64_t /*fileLength*/, int32_t /*tagPosition*/,
                             const ID3V2Header& header) {
    try {
        return LoadTagFromFile(file, header, 3);
    } catch (...) {
        return false;
    }
}

UpdatableTag* ID3V23Tag::Writable() const {
    if (!m_updatable || !m_updatableTag) return nullptr;
    if (!m_attached) {
        try {
            m_updatableTag->Attach(m_fileName, Contents());
        } catch (...) {
            m_error->CopyError();
            return nullptr;
        }
        m_attached = true;
    }
    return m_updatableTag.get();
}

std::shared_ptr<UpdatableTag> ID3V23Tag::UpdatableTag() const {
    return Writable() != nullptr ? m_updatableTag : nullptr;
}

std::string ID3V23Tag::Field(TagField field) const {
    if (m_updatable && m_attached) return m_updatableTag->FieldValue(field);
    return Contents() ? FieldText(*Contents(), field) : "";
}

void ID3V23Tag::SetField(TagField field, const std::string& value) {
    if (korvel::UpdatableTag* tag = Writable()) tag->SetFieldValue(field, value);
}

std::string ID3V23Tag::GenreID() const { return m_updatable ? "" : GenreIDText(Field(TagField::Genre)); }

std::string ID3V23Tag::Genre() const {
    const std::string text = Field(TagField::Genre);
    return m_updatable ? TrimBlanks(text) : GenreText(text);
}

bool ID3V23Tag::splittedGenre(int16_t& GenreID, std::string& GenreDescription) {
    if (m_updatable) {
        // Read from the frame model until a change set the updatable tag up.
        if (m_attached) return m_updatableTag->SplitGenre(GenreID, GenreDescription);
        return SplitGenreText(Genre(), GenreID, GenreDescription);
    }
    const std::string text = Field(TagField::Genre);
    if (!text.empty() && text[0] == '(') {
        GenreDescription = GenreText(text);
        // The number in parentheses, when it is one.
        if (const auto number = ParseNumber(GenreIDText(text))) {
            if (const auto id = ToInt16(*number)) GenreID = *id;
        }
    }
    return true;
}

std::string ID3V23Tag::Year() const {
    if (!m_updatable || m_attached) return Field(TagField::Year);
    // As the updatable tag answers it: the number of the year text.
    return std::to_string(ToInt16(LeadingNumber(Field(TagField::Year))).value_or(0));
}

bool ID3V23Tag::removeTag() {
    if (!m_updatable) return RefuseRemoving("Remove functionality");
    // Cutting the tag off needs no id3lib.
    try {
        RemoveLeadingTag(m_fileName);
        return true;
    } catch (...) {
        m_error->Set(1, "removeTag", "Unable to remove the tag: " + DescribeFailure(std::current_exception()).Description);
        return false;
    }
}

bool ID3V23Tag::canSave() {
    std::string message;
    const bool available = m_updatableTag && m_updatableTag->CheckLibrary(message);
    if (!available) m_error->Set(1, "canSave", "Saving is not supported.\r\n\r\n" + message);
    return available;
}

bool ID3V23Tag::saveTag() {
    korvel::UpdatableTag* tag = Writable();
    if (tag == nullptr) return RefuseSaving("saveTag");
    const bool saved = tag->UpdateTag(2);
    const std::string why = saved ? std::string() : tag->LastFailure();
    m_error->Set(2, "saveTag", "Unable to save the ID3v23 tag." + (why.empty() ? "" : " " + why));
    return saved;
}

PicturePtr ID3V23Tag::Picture() const {
    if (m_updatable && m_attached) return m_updatableTag->FieldPicture();
    if (!m_updatable) {
        const ID3V23FramePtr frame = GetFrameByID("APIC");
        return frame ? frame->createPicture() : nullptr;
    }
    // As the updatable tag picks it: the first picture without a
    // description, else the last picture; bytes that are no image still give
    // a picture (handle 0), so that handing it back changes nothing.
    std::span<const uint8_t> image;
    for (int32_t i = 1; i <= FrameCount(); ++i) {
        const ID3V23FramePtr frame = GetFrameByIndex(i);
        if (!frame->IsPicture()) continue;
        const FrameContent content = frame->Content();
        image = content.data;
        if (content.description.empty()) break;
    }
    return image.empty() ? nullptr : PictureObject::FromShared(Contents(), image);
}

void ID3V23Tag::setPicture(const PicturePtr& value) {
    if (korvel::UpdatableTag* tag = Writable()) tag->SetFieldPicture(value);
}

Bytes ID3V23Tag::ExtendedHeaderSize() const {
    if (!Contents() || Contents()->extendedHeader.size() < 4) return {};
    return Bytes(Contents()->extendedHeader.begin(), Contents()->extendedHeader.begin() + 4);
}

}  // namespace korvel
