#include "id3v2/ID3V2Tag.h"

#include "core/BinaryFile.h"
#include "errors/KorvelException.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagWriter.h"

namespace korvel {

namespace {

std::string Listed(const std::vector<std::string>& ids) {
    std::string list;
    for (size_t i = 0; i < ids.size(); ++i) list += (i == 0 ? "" : i + 1 == ids.size() ? " and " : ", ") + ids[i];
    return list;
}

}  // namespace

ID3V2Tag::ID3V2Tag() = default;

void ID3V2Tag::Init(const std::string& fileName, const ID3V2Header& header, std::shared_ptr<const Bytes> tag,
                    const CodePage& codePage) {
    m_loaded = false;
    m_fileName = fileName;
    m_version->SetMinor(header.MajorVersion);
    m_version->SetRevision(header.RevisionNumber);
    m_size = SyncsafeToLong(header.SizeBytes()) + 10;
    m_headerPresent = true;
    m_header = header;
    m_tagBytes = std::move(tag);
    m_codePage = codePage;
    m_contents.reset();
    m_unconvertible.clear();
    m_notes.clear();
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
                        // Set up when first needed for a change or a save.
                        m_v23.reset();
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
                        m_v24->SetFileName(m_fileName);
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
    const int version = VersionByte();
    if ((version != 2 && version != 3) || !EnsureLoaded()) return nullptr;
    return version == 3 ? m_v23 : UpgradedTag();
}

ID3V23TagPtr ID3V2Tag::UpgradedTag() {
    if (VersionByte() != 2 || !m_contents) return nullptr;
    if (!m_v23) {
        auto tag = std::make_shared<korvel::ID3V23Tag>();
        m_v23 = tag;
        if (!tag->canSave()) return nullptr;
        std::shared_ptr<const TagContents> upgraded;
        m_unconvertible.clear();
        try {
            upgraded = UpgradeTo23(*m_contents, &m_unconvertible);
        } catch (...) {
            tag->ErrorObject()->CopyError();
            return nullptr;
        }
        tag->AttachUpdatable(m_fileName, std::move(upgraded));
    }
    return m_v23->IsUpdatable() ? m_v23 : nullptr;
}

std::vector<std::string> ID3V2Tag::UnconvertibleFrames() {
    if (!EnsureLoaded() || !UpgradedTag()) return {};
    return m_unconvertible;
}

std::string ID3V2Tag::Field(TagField field) {
    if (!EnsureLoaded()) return "";
    switch (VersionByte()) {
        case 2:
            // Once changeable, the fields are those of its version 2.3 form.
            if (m_v23 && m_v23->IsUpdatable()) return m_v23->Field(field);
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
            return m_v24->Field(field);
        default: return "";
    }
}

void ID3V2Tag::SetField(TagField field, const std::string& value) {
    if (VersionByte() == 4) {
        if (EnsureLoaded() && m_v24 && value != Field(field)) m_v24->SetField(field, value);
        return;
    }
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
            if (m_v23 && m_v23->IsUpdatable()) return m_v23->Picture();
            const ID3V22FramePtr frame = m_v22 ? m_v22->GetFrameByID("PIC") : nullptr;
            return frame ? frame->createPicture() : nullptr;
        }
        case 3: return m_v23 ? m_v23->Picture() : nullptr;
        case 4: return m_v24 ? m_v24->Picture() : nullptr;
        default: return nullptr;
    }
}

void ID3V2Tag::setPicture(const PicturePtr& value) {
    if (VersionByte() == 4) {
        if (EnsureLoaded() && m_v24) m_v24->setPicture(value);
        return;
    }
    if (auto t = WritableTag()) t->setPicture(value);
}

bool ID3V2Tag::canSave() {
    if (!EnsureLoaded()) return false;
    bool result = false;
    cErrorPtr readerError;
    switch (m_version->Minor()) {
        case 2:
            // Saved as version 2.3, through the updatable tag.
            result = UpgradedTag() != nullptr;
            if (m_v23) readerError = m_v23->ErrorObject();
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
    m_notes.clear();
    switch (VersionByte()) {
        case 2: {
            const ID3V23TagPtr tag = EnsureLoaded() ? UpgradedTag() : nullptr;
            if (!tag) {
                if (m_v23) m_error = m_v23->ErrorObject();
                return false;
            }
            if (!m_unconvertible.empty() && !m_dropUnconvertible) {
                m_error->Set(1, "saveTag",
                             "The ID3v2.2 tag is saved as an ID3v2.3 tag, which has no form for its frames " +
                                 Listed(m_unconvertible) + "; saving would drop them.");
                return false;
            }
            if (!tag->saveTag()) {
                m_error = tag->ErrorObject();
                return false;
            }
            m_notes.push_back("The ID3v2.2 tag was saved as an ID3v2.3 tag.");
            if (!m_unconvertible.empty()) {
                m_notes.push_back("Its frames " + Listed(m_unconvertible) +
                                  " were dropped: ID3v2.3 has no form for them.");
            }
            return true;
        }
        case 3: {
            // A write before any read must not be lost: load first.
            if (!EnsureLoaded() || !m_v23) return false;
            const bool saved = m_v23->saveTag();
            if (!saved) m_error = m_v23->ErrorObject();
            return saved;
        }
        case 4: {
            if (!EnsureLoaded() || !m_v24) return false;
            const bool saved = m_v24->saveTag();
            if (saved) {
                m_notes = m_v24->SaveNotes();
            } else {
                m_error = m_v24->ErrorObject();
            }
            return saved;
        }
        default: break;
    }
    m_error->Set(1, "saveTag", "Saving is not supported.");
    return false;
}

bool ID3V2Tag::removeTag() {
    if (!m_headerPresent) {
        m_error->Set(1, "removeTag", "The file has no ID3v2 tag.");
        return false;
    }
    try {
        RemoveLeadingTag(m_fileName);
        return true;
    } catch (...) {
        m_error->Set(2, "removeTag",
                     "Unable to remove the tag: " + DescribeFailure(std::current_exception()).Description);
        return false;
    }
}

void ID3V2Tag::SavingOptions(int32_t /*Options*/, int32_t /*SynchronizationOptions*/) {}

bool ID3V2Tag::splittedGenre(int16_t& GenreID, std::string& GenreDescription) {
    if (VersionByte() != 3) return false;
    if (!EnsureLoaded() || !m_v23) return false;
    return m_v23->splittedGenre(GenreID, GenreDescription);
}

}  // namespace korvel
