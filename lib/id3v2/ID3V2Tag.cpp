#include "id3v2/ID3V2Tag.h"

#include "core/BinaryFile.h"
#include "errors/KorvelException.h"
#include "id3v2/TagContents.h"

namespace korvel {

ID3V2Tag::ID3V2Tag() = default;

void ID3V2Tag::Init(const std::string& fileName, const ID3V2Header& header, std::shared_ptr<const Bytes> tag,
                    const CodePage& codePage) {
    m_loaded = false;
    m_fileName = fileName;
    m_version->SetMinor(header.MajorVersion);
    m_version->SetRevision(header.RevisionNumber);
    m_size = (int32_t{header.Size[0]} << 21) + (int32_t{header.Size[1]} << 14) +
             (int32_t{header.Size[2]} << 7) + int32_t{header.Size[3]} + 10;
    m_headerPresent = true;
    m_header = header;
    m_tagBytes = std::move(tag);
    m_codePage = codePage;
    m_contents.reset();
}

bool ID3V2Tag::loadTag() {
    m_loaded = false;
    bool result = false;
    try {
        if (m_headerPresent) {
            const int version = m_header.MajorVersion;
            if (version < 2 || version > 4) return false;
            m_tagPosition = 1;
            // The tag is read into the frame model once; every reader works
            // on that.
            if (!m_contents) {
                if (m_tagBytes) {
                    m_contents = ParseTagContents(m_tagBytes, m_codePage);
                } else {
                    m_contents = ReadTagContents(BinaryFile(m_fileName), m_codePage);
                }
            }
            if (m_contents && m_contents->version == version) {
                switch (version) {
                    case 2:
                        m_v22 = std::make_shared<korvel::ID3V22Tag>();
                        m_v22->Load(m_contents);
                        break;
                    case 3:
                        // A tag that can be changed is changed (and saved)
                        // through the updatable tag; otherwise it is read-only.
                        m_v23 = std::make_shared<korvel::ID3V23Tag>();
                        if (!(m_v23->canSave() && m_v23->AttachUpdatable(m_fileName, m_contents))) {
                            m_v23->Load(m_contents);
                        }
                        break;
                    default:
                        m_v24 = std::make_shared<korvel::ID3V24Tag>();
                        m_v24->Load(m_contents);
                        break;
                }
                result = true;
            }
        }
    } catch (...) {
        // A file that cannot be opened: the load is retried on the next access.
        m_loaded = false;
        return false;
    }
    m_loaded = result;
    if (!result) m_error->Set(2, "ID3V2Tag::loadTag", "Unable to load this tag.", kLibraryErrorNumber);
    return result;
}

ID3V22TagPtr ID3V2Tag::ID3V22Tag() {
    if (!EnsureLoaded() || VersionByte() != 2) return nullptr;
    return m_v22;
}

ID3V23TagPtr ID3V2Tag::ID3V23Tag() {
    if (!EnsureLoaded() || VersionByte() != 3) return nullptr;
    return m_v23;
}

ID3V24TagPtr ID3V2Tag::ID3V24Tag() {
    if (!EnsureLoaded() || VersionByte() != 4) return nullptr;
    return m_v24;
}

ID3V23TagPtr ID3V2Tag::WritableTag() {
    if (VersionByte() != 3 || !EnsureLoaded()) return nullptr;
    return m_v23;
}

std::string ID3V2Tag::Field(TagField field) {
    if (!EnsureLoaded()) return "";
    switch (VersionByte()) {
        case 2:
            // A version 2.2 genre is shown as it is stored.
            return m_v22 ? FieldText(*m_contents, field) : "";
        case 3:
            if (!m_v23) return "";
            if (field == TagField::Genre) return m_v23->Genre();
            if (field == TagField::Year) return m_v23->Year();
            return m_v23->Field(field);
        case 4:
            if (!m_v24) return "";
            if (field == TagField::Genre) return m_v24->Genre();
            return FieldText(*m_contents, field);
        default: return "";
    }
}

void ID3V2Tag::SetField(TagField field, const std::string& value) {
    if (auto t = WritableTag()) t->SetField(field, value);
}

std::string ID3V2Tag::Artist() { return Field(TagField::Artist); }
std::string ID3V2Tag::Album() { return Field(TagField::Album); }
std::string ID3V2Tag::Title() { return Field(TagField::Title); }
std::string ID3V2Tag::Genre() { return Field(TagField::Genre); }
std::string ID3V2Tag::Track() { return Field(TagField::Track); }
std::string ID3V2Tag::Year() { return Field(TagField::Year); }
std::string ID3V2Tag::LyricsUnsynced() { return Field(TagField::LyricsUnsynced); }
std::string ID3V2Tag::LyricsSynced() { return Field(TagField::LyricsSynced); }
std::string ID3V2Tag::UserURL() { return Field(TagField::UserURL); }
std::string ID3V2Tag::Composer() { return Field(TagField::Composer); }
std::string ID3V2Tag::OriginalArtist() { return Field(TagField::OriginalArtist); }
std::string ID3V2Tag::Copyright() { return Field(TagField::Copyright); }
std::string ID3V2Tag::Comment() { return Field(TagField::Comment); }
std::string ID3V2Tag::EncodedBy() { return Field(TagField::EncodedBy); }

void ID3V2Tag::setArtist(const std::string& value) { SetField(TagField::Artist, value); }
void ID3V2Tag::setAlbum(const std::string& value) { SetField(TagField::Album, value); }
void ID3V2Tag::setTitle(const std::string& value) { SetField(TagField::Title, value); }
void ID3V2Tag::setGenre(const std::string& value) { SetField(TagField::Genre, value); }
void ID3V2Tag::setTrack(const std::string& value) { SetField(TagField::Track, value); }
void ID3V2Tag::setYear(const std::string& value) { SetField(TagField::Year, value); }
void ID3V2Tag::setLyricsUnsynced(const std::string& value) { SetField(TagField::LyricsUnsynced, value); }
void ID3V2Tag::setLyricsSynced(const std::string& value) { SetField(TagField::LyricsSynced, value); }
void ID3V2Tag::setUserURL(const std::string& value) { SetField(TagField::UserURL, value); }
void ID3V2Tag::setComposer(const std::string& value) { SetField(TagField::Composer, value); }
void ID3V2Tag::setOriginalArtist(const std::string& value) { SetField(TagField::OriginalArtist, value); }
void ID3V2Tag::setCopyright(const std::string& value) { SetField(TagField::Copyright, value); }
void ID3V2Tag::setComment(const std::string& value) { SetField(TagField::Comment, value); }
void ID3V2Tag::setEncodedBy(const std::string& value) { SetField(TagField::EncodedBy, value); }

PicturePtr ID3V2Tag::Picture() {
    if (!EnsureLoaded()) return nullptr;
    switch (VersionByte()) {
        case 2: {
            const ID3V22FramePtr frame = m_v22 ? m_v22->GetFrameByID("PIC") : nullptr;
            return frame ? frame->createPicture() : nullptr;
        }
        case 3: return m_v23 ? m_v23->Picture() : nullptr;
        case 4: {
            const ID3V24FramePtr frame = m_v24 ? m_v24->GetFrameByID("APIC") : nullptr;
            return frame ? frame->createPicture() : nullptr;
        }
        default: return nullptr;
    }
}

void ID3V2Tag::setPicture(const PicturePtr& value) {
    if (auto t = WritableTag()) t->setPicture(value);
}

bool ID3V2Tag::canSave() {
    if (!EnsureLoaded()) return false;
    bool result = false;
    cErrorPtr readerError;
    switch (m_version->Minor()) {
        case 2:
            if (m_v22) {
                result = m_v22->canSave();
                readerError = m_v22->ErrorObject();
            }
            break;
        case 3:
            if (m_v23) {
                result = m_v23->canSave();
                readerError = m_v23->ErrorObject();
            }
            break;
        case 4:
            if (m_v24) {
                result = m_v24->canSave();
                readerError = m_v24->ErrorObject();
            }
            break;
        default: return false;
    }
    if (!result && readerError) m_error = readerError;
    return result;
}

bool ID3V2Tag::saveTag() {
    if (VersionByte() == 3) {
        // A write before any read must not be lost: load first.
        if (!EnsureLoaded() || !m_v23) return false;
        const bool saved = m_v23->saveTag();
        if (!saved) m_error = m_v23->ErrorObject();
        return saved;
    }
    m_error->Set(1, "saveTag", "Saving is not supported.");
    return false;
}

void ID3V2Tag::SavingOptions(int32_t /*Options*/, int32_t /*SynchronizationOptions*/) {}

bool ID3V2Tag::splittedGenre(int16_t& GenreID, std::string& GenreDescription) {
    if (VersionByte() != 3) return false;
    if (!EnsureLoaded() || !m_v23) return false;
    return m_v23->splittedGenre(GenreID, GenreDescription);
}

}  // namespace korvel
