#include "id3v2/ID3V2Tag.h"

#include "core/BinaryFile.h"
#include "errors/KorvelException.h"

namespace korvel {

ID3V2Tag::ID3V2Tag() = default;

void ID3V2Tag::Init(const std::string& fileName, const ID3V2Header& header) {
    m_loaded = false;
    m_fileName = fileName;
    m_version->SetMinor(header.MajorVersion);
    m_version->SetRevision(header.RevisionNumber);
    m_size = (int32_t{header.Size[0]} << 21) + (int32_t{header.Size[1]} << 14) +
             (int32_t{header.Size[2]} << 7) + int32_t{header.Size[3]} + 10;
    m_headerPresent = true;
    m_header = header;
}

bool ID3V2Tag::loadTag() {
    m_loaded = false;
    bool result = false;
    try {
        if (m_headerPresent) {
            const int version = m_header.MajorVersion;
            if (version < 2 || version > 4) return false;
            m_tagPosition = 1;
            switch (version) {
                case 2: {
                    auto reader = std::make_shared<korvel::ID3V22Tag>();
                    BinaryFile file(m_fileName);
                    if (reader->LoadFromFile(file, file.Length(), m_tagPosition, m_header)) {
                        m_v22 = reader;
                        result = true;
                    }
                    break;
                }
                case 3: {
                    // With id3lib the tag is read through the updatable tag
                    // (and can be saved), otherwise by the own parser. A tag
                    // that id3lib is not given (its structure is damaged)
                    // stays with the own parser, read-only; the reader's
                    // error record says why.
                    auto reader = std::make_shared<korvel::ID3V23Tag>();
                    result = reader->canSave() && reader->AttachUpdatable(m_fileName);
                    if (!result) {
                        BinaryFile file(m_fileName);
                        result = reader->LoadFromFile(file, file.Length(), m_tagPosition, m_header);
                    }
                    m_v23 = reader;
                    break;
                }
                case 4: {
                    auto reader = std::make_shared<korvel::ID3V24Tag>();
                    BinaryFile file(m_fileName);
                    if (reader->LoadFromFile(file, file.Length(), m_tagPosition, m_header)) {
                        m_v24 = reader;
                        result = true;
                    }
                    break;
                }
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

template <typename T, typename F2, typename F3, typename F4>
T ID3V2Tag::Route(T empty, F2 read22, F3 read23, F4 read24) {
    if (!EnsureLoaded()) return empty;
    switch (VersionByte()) {
        case 2: return m_v22 ? read22(*m_v22) : empty;
        case 3: return m_v23 ? read23(*m_v23) : empty;
        case 4: return m_v24 ? read24(*m_v24) : empty;
        default: return empty;
    }
}

namespace {

constexpr auto kNoText = [](const auto&) { return std::string(); };

}  // namespace

std::string ID3V2Tag::Artist() {
    auto read = [](const auto& t) { return t.Artist(); };
    return Route<std::string>("", read, read, read);
}
std::string ID3V2Tag::Album() {
    auto read = [](const auto& t) { return t.Album(); };
    return Route<std::string>("", read, read, read);
}
std::string ID3V2Tag::Title() {
    auto read = [](const auto& t) { return t.Title(); };
    return Route<std::string>("", read, read, read);
}
std::string ID3V2Tag::Genre() {
    auto read = [](const auto& t) { return t.Genre(); };
    return Route<std::string>("", read, read, read);
}
std::string ID3V2Tag::Track() {
    auto read = [](const auto& t) { return t.Track(); };
    return Route<std::string>("", read, read, read);
}
std::string ID3V2Tag::Year() {
    auto read = [](const auto& t) { return t.Year(); };
    return Route<std::string>("", read, read, kNoText);
}

PicturePtr ID3V2Tag::Picture() {
    return Route<PicturePtr>(
        nullptr, [](const korvel::ID3V22Tag&) { return PicturePtr(); },
        [](const korvel::ID3V23Tag& t) { return t.Picture(); },
        [](const korvel::ID3V24Tag& t) {
            const ID3V24FramePtr frame = t.GetFrameByID("APIC");
            return frame ? frame->createPicture() : nullptr;
        });
}

std::string ID3V2Tag::LyricsUnsynced() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.LyricsUnsynced(); },
        [](const korvel::ID3V24Tag& t) { return t.GetText("USLT"); });
}
std::string ID3V2Tag::LyricsSynced() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.LyricsSynced(); },
        [](const korvel::ID3V24Tag& t) { return t.GetText("SYLT"); });
}
std::string ID3V2Tag::UserURL() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.UserURL(); },
        [](const korvel::ID3V24Tag& t) { return t.GetText("WXXX"); });
}
std::string ID3V2Tag::Composer() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.Composer(); },
        [](const korvel::ID3V24Tag& t) { return t.GetText("TCOM"); });
}
std::string ID3V2Tag::OriginalArtist() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.OriginalArtist(); },
        [](const korvel::ID3V24Tag& t) { return t.GetText("TOPE"); });
}
std::string ID3V2Tag::Copyright() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.Copyright(); },
        [](const korvel::ID3V24Tag& t) { return t.GetText("TCOP"); });
}

namespace {

std::string FrameText24(const korvel::ID3V24Tag& t, const std::string& id) {
    const ID3V24FramePtr frame = t.GetFrameByID(id);
    return frame ? frame->TextData() : "";
}

}  // namespace

std::string ID3V2Tag::Comment() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.Comment(); },
        [](const korvel::ID3V24Tag& t) { return FrameText24(t, "COMM"); });
}
std::string ID3V2Tag::EncodedBy() {
    return Route<std::string>(
        "", kNoText, [](const korvel::ID3V23Tag& t) { return t.EncodedBy(); },
        [](const korvel::ID3V24Tag& t) { return FrameText24(t, "TENC"); });
}

void ID3V2Tag::setArtist(const std::string& value) {
    if (auto t = WritableTag()) t->setArtist(value);
}
void ID3V2Tag::setAlbum(const std::string& value) {
    if (auto t = WritableTag()) t->setAlbum(value);
}
void ID3V2Tag::setTitle(const std::string& value) {
    if (auto t = WritableTag()) t->setTitle(value);
}
void ID3V2Tag::setGenre(const std::string& value) {
    if (auto t = WritableTag()) t->setGenre(value);
}
void ID3V2Tag::setTrack(const std::string& value) {
    if (auto t = WritableTag()) t->setTrack(value);
}
void ID3V2Tag::setYear(const std::string& value) {
    if (auto t = WritableTag()) t->setYear(value);
}
void ID3V2Tag::setPicture(const PicturePtr& value) {
    if (auto t = WritableTag()) t->setPicture(value);
}
void ID3V2Tag::setLyricsUnsynced(const std::string& value) {
    if (auto t = WritableTag()) t->setLyricsUnsynced(value);
}
void ID3V2Tag::setLyricsSynced(const std::string& value) {
    if (auto t = WritableTag()) t->setLyricsSynced(value);
}
void ID3V2Tag::setUserURL(const std::string& value) {
    if (auto t = WritableTag()) t->setUserURL(value);
}
void ID3V2Tag::setComposer(const std::string& value) {
    if (auto t = WritableTag()) t->setComposer(value);
}
void ID3V2Tag::setOriginalArtist(const std::string& value) {
    if (auto t = WritableTag()) t->setOriginalArtist(value);
}
void ID3V2Tag::setCopyright(const std::string& value) {
    if (auto t = WritableTag()) t->setCopyright(value);
}
void ID3V2Tag::setComment(const std::string& value) {
    if (auto t = WritableTag()) t->setComment(value);
}
void ID3V2Tag::setEncodedBy(const std::string& value) {
    if (auto t = WritableTag()) t->setEncodedBy(value);
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
