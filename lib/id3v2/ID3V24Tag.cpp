#include "id3v2/ID3V24Tag.h"

#include "errors/KorvelException.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagEdit.h"
#include "id3v2/TagFields.h"
#include "id3v2/TagWriter.h"

namespace korvel {

int64_t ID3V24Frame::FramePosition() const {
    if (!m_tag || !m_tag->bytes) return 0;
    return (Record().stored.data() - m_tag->bytes->data()) + 1;
}

std::string ID3V24Tag::Artist() const { return Field(TagField::Artist); }
std::string ID3V24Tag::Album() const { return Field(TagField::Album); }
std::string ID3V24Tag::Title() const { return Field(TagField::Title); }
std::string ID3V24Tag::Track() const { return Field(TagField::Track); }
std::string ID3V24Tag::Year() const { return Field(TagField::Year); }
std::string ID3V24Tag::GenreID() const { return GenreIDText(Field(TagField::Genre)); }
std::string ID3V24Tag::Genre() const { return GenreText(Field(TagField::Genre)); }

bool ID3V24Tag::LoadFromFile(const BinaryFile& file, int64_t /*fileLength*/, int32_t /*tagPosition*/,
                             const ID3V2Header& header) {
    try {
        return LoadTagFromFile(file, header, 4);
    } catch (...) {
        return false;
    }
}

std::string ID3V24Tag::Field(TagField field) const { return Contents() ? FieldText(*Contents(), field) : ""; }

template <typename Change>
void ID3V24Tag::Edit(Change change) {
    if (!Contents()) return;
    auto edited = std::make_shared<TagContents>(*Contents());
    try {
        if (!change(*edited)) return;
    } catch (...) {
        // A frame too large for a tag: the frames stay as they were.
        m_error->CopyError();
        return;
    }
    if (!m_saved) m_saved = Contents();
    Load(std::move(edited));
}

void ID3V24Tag::SetField(TagField field, const std::string& value) {
    Edit([&](TagContents& tag) { return SetFieldText(tag, field, value); });
}

PicturePtr ID3V24Tag::Picture() const {
    const ID3V24FramePtr frame = GetFrameByID("APIC");
    return frame ? frame->createPicture() : nullptr;
}

void ID3V24Tag::setPicture(const PicturePtr& value) {
    Edit([&](TagContents& tag) { return SetPictureFrame(tag, value); });
}

bool ID3V24Tag::saveTag() {
    if (m_fileName.empty() || !Contents()) {
        m_error->Set(1, "saveTag", "The tag belongs to no file.");
        return false;
    }
    m_notes.clear();
    if (!m_saved) return true;
    try {
        const TagContents& old = *m_saved;
        std::vector<std::string> notes;
        const TagLayout layout = LayoutOf(old, &notes);
        const std::vector<FrameRecord>& frames = Contents()->frames;
        std::vector<Bytes> scratch(frames.size());
        std::vector<std::span<const uint8_t>> records;
        for (size_t i = 0; i < frames.size(); ++i) records.push_back(CarriedRecord(old, frames[i], scratch[i]));
        auto tag = std::make_shared<const Bytes>(BuildTag(records, layout));
        ReplaceLeadingTag(m_fileName, *tag, &old);
        m_notes = std::move(notes);
        // From now on the object holds the tag as the file does.
        if (TagContentsPtr saved = ParseTagContents(tag, old.codePage)) Load(std::move(saved));
        m_saved.reset();
        return true;
    } catch (...) {
        m_error->Set(2, "saveTag", "Unable to save the ID3v2.4 tag: " + DescribeFailure(std::current_exception()).Description);
        return false;
    }
}

bool ID3V24Tag::removeTag() {
    if (m_fileName.empty()) return RefuseRemoving("removeTag");
    try {
        RemoveLeadingTag(m_fileName);
        return true;
    } catch (...) {
        m_error->Set(2, "removeTag", "Unable to remove the tag: " + DescribeFailure(std::current_exception()).Description);
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
