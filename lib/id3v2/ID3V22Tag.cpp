#include "id3v2/ID3V22Tag.h"

#include "id3v2/TagContents.h"
#include "id3v2/TagFields.h"

namespace korvel {

namespace {

std::string Field(const ID3V22Tag& tag, TagField field) {
    return tag.Contents() ? FieldText(*tag.Contents(), field) : "";
}

}  // namespace

std::string ID3V22Tag::Artist() const { return Field(*this, TagField::Artist); }
std::string ID3V22Tag::Album() const { return Field(*this, TagField::Album); }
std::string ID3V22Tag::Title() const { return Field(*this, TagField::Title); }
std::string ID3V22Tag::Genre() const { return Field(*this, TagField::Genre); }
std::string ID3V22Tag::Track() const { return Field(*this, TagField::Track); }
std::string ID3V22Tag::Year() const { return Field(*this, TagField::Year); }

bool ID3V22Tag::LoadFromFile(const BinaryFile& file, int64_t /*fileLength*/, int32_t /*tagPosition*/,
                             const ID3V2Header& header) {
    try {
        return LoadTagFromFile(file, header, 2);
    } catch (...) {
        return false;
    }
}

}  // namespace korvel
