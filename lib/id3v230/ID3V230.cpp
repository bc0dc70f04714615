#include "id3v230/ID3V230.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "core/Numeric.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "errors/MessageHandler.h"
#include "id3v1/Genres.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v230/ID3LibBinding.h"

namespace korvel {

namespace {

using Handle = ID3LibBinding::Handle;

constexpr int32_t kNoFileCode = 11;    // id3lib's "No file to parse"
constexpr int32_t kReadOnlyCode = 12;  // id3lib's "Attempting to write to a read-only file"

std::atomic<uint64_t> g_nextLoad{1};

bool IsUrlFrame(ID3_FrameID type) {
    return type >= ID3FID_WWWCOMMERCIALINFO && type <= ID3FID_WWWUSER;
}

// The field that holds a frame type's value.
ID3_FieldID ValueField(ID3_FrameID type) {
    if (type == ID3FID_PLAYCOUNTER) return ID3FN_COUNTER;
    if (type == ID3FID_UNIQUEFILEID || type == ID3FID_PICTURE) return ID3FN_DATA;
    if (IsUrlFrame(type)) return ID3FN_URL;
    return ID3FN_TEXT;
}

// Values compare by kind and text here: a number written over the same text
// still counts as a change.
bool SameValue(const TagValue& a, const TagValue& b) {
    return a.kind() == b.kind() && a.ToString() == b.ToString();
}

std::string StripTrailingZeros(std::string text) {
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// The text of a field, whatever its encoding, as UTF-8.
std::string ReadText(const ID3LibBinding& lib, Handle field) {
    if (field == nullptr) return "";
    int encoding = lib.FieldGetEncoding(field);
    if (encoding == ID3LibBinding::kEncodingUTF16 || encoding == ID3LibBinding::kEncodingUTF16BE) {
        return StripTrailingZeros(Utf16ToUtf8(lib.FieldGetUNICODE(field)));
    }
    std::string bytes = lib.FieldGetASCII(field);
    if (encoding == ID3LibBinding::kEncodingUTF8) return StripTrailingZeros(bytes);
    return StripTrailingZeros(AnsiToUtf8(bytes));
}

// A DATA field read as text: one Windows-1252 character per byte, trailing
// blanks removed, and the blank written after every character undone.
std::string ReadDataText(const ID3LibBinding& lib, Handle field) {
    if (field == nullptr) return "";
    std::u32string text = Utf8ToUtf32(AnsiToUtf8(lib.FieldGetBINARY(field)));
    while (!text.empty() && text.back() == U' ') text.pop_back();
    if (text.size() >= 2 && text[1] == U' ') {
        std::u32string odd;
        for (size_t i = 0; i < text.size(); i += 2) odd.push_back(text[i]);
        text = std::move(odd);
    }
    return Utf32ToUtf8(text);
}

TagValue ReadFieldValue(const ID3LibBinding& lib, Handle frame, ID3_FieldID fieldID) {
    Handle field = lib.FrameGetField(frame, fieldID);
    if (fieldID == ID3FN_DATA) return TagValue(ReadDataText(lib, field));
    return TagValue(ReadText(lib, field));
}

// A unique, empty file in the folder for id3lib to render a tag into; removed
// when the object goes.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& folder) {
        std::string pattern = (std::filesystem::path(folder) / ".korvel-id3-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            throw std::system_error(errno, std::generic_category(), "create a scratch file in '" + folder + "'");
        }
        ::close(fd);
        m_path = name.data();
    }
    ~ScratchFile() {
        ::unlink(m_path.c_str());
        // id3lib renders through a file of its own (name + ".XXXXXX") when
        // it cannot write in place; it renames that over ours, but a failed
        // render may leave it behind.
        std::error_code ec;
        std::filesystem::path self(m_path);
        for (const auto& entry : std::filesystem::directory_iterator(self.parent_path(), ec)) {
            std::string name = entry.path().filename().string();
            std::string prefix = self.filename().string() + ".";
            if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
                std::filesystem::remove(entry.path(), ec);
            }
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }

    // Throws the file system's error when a block cannot be added to the
    // file: a full disk (or a write that fails otherwise).
    void RequireRoom() const {
        int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) throw std::system_error(errno, std::generic_category(), "open '" + m_path + "'");
        static const char kBlock[4096] = {};
        ssize_t n = ::write(fd, kBlock, sizeof kBlock);
        int err = n < 0 ? errno : ENOSPC;
        ::close(fd);
        if (n < static_cast<ssize_t>(sizeof kBlock)) {
            throw std::system_error(err, std::generic_category(), "write '" + m_path + "'");
        }
    }

private:
    std::string m_path;
};

// An id3lib tag object that is deleted when it goes.
class LibTag {
public:
    explicit LibTag(const ID3LibBinding& lib) : m_lib(lib), m_tag(lib.TagNew()) {}
    ~LibTag() { m_lib.TagDelete(m_tag); }
    LibTag(const LibTag&) = delete;
    LibTag& operator=(const LibTag&) = delete;
    Handle get() const { return m_tag; }

    // The frame of a tag parsed from one frame record, found by the
    // record's identifier (id3lib knows frames it cannot name as NOFRAME).
    Handle Only(const std::string& id) const {
        if (m_lib.TagNumFrames(m_tag) != 1) return nullptr;
        Handle frame = m_lib.TagFindFrameWithID(m_tag, ID3LibBinding::LibFrameIDOf(id));
        return frame != nullptr ? frame : m_lib.TagFindFrameWithID(m_tag, 0);
    }

    // Parses one frame record as a tag of its own.
    void ParseRecord(const Bytes& record) { m_lib.TagParse(m_tag, RawTag::BuildV23Tag({record}, 0)); }

    // The frames in the tag's order.
    std::vector<Handle> Frames() const {
        std::vector<Handle> frames;
        Handle iterator = m_lib.TagCreateIterator(m_tag);
        while (Handle frame = m_lib.IteratorGetNext(iterator)) frames.push_back(frame);
        m_lib.IteratorDelete(iterator);
        return frames;
    }

private:
    const ID3LibBinding& m_lib;
    Handle m_tag;
};

int32_t CodeOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::system_error& e) {
        int err = e.code().value();
        if (err == EACCES || err == EPERM || err == EROFS) return kReadOnlyCode;
    } catch (...) {
    }
    return kReadOnlyCode;
}

}  // namespace

// One entry of the new tag: a record carried over from the file, or a frame
// object that id3lib renders.
struct ID3V230::PlanEntry {
    const Bytes* record = nullptr;
    bool orphan = false;  // a record id3lib did not report
    ID3V230FramePtr frame;
    bool mayVanish = false;  // id3lib may leave out a frame with nothing in it
    std::string expectedId;
    Bytes rendered;
    bool haveRendered = false;
};

ID3V230::ID3V230() : m_frames(std::make_shared<Collection<ID3V230Frame>>()) {}

ID3V230::~ID3V230() {
    ReleaseLoadState();
    ClearFrames();
}

void ID3V230::ReleaseLoadState() {
    m_rawFrames.clear();
    m_rawOwner.clear();
    m_loadId = 0;
}

void ID3V230::ClearFrames() { m_frames = std::make_shared<Collection<ID3V230Frame>>(); }

bool ID3V230::CheckLibrary(std::string& message) {
    message.clear();
    const ID3LibBinding& lib = ID3LibBinding::Current();
    if (lib.Available()) return true;
    message = "The DLL '" + lib.FileName() + "' is not present.\r\nPlease install it into the program directory.";
    return false;
}

void ID3V230::AttachFile(const std::string& fileName) {
    ClearFrames();
    std::string message;
    if (!CheckLibrary(message)) return;
    try {
        BinaryFile probe(fileName);
    } catch (...) {
        return;
    }
    m_fileName = fileName;
    if (!TrimBlanks(fileName).empty()) LoadFrames();
}

// A frame object with the values of an id3lib frame.
ID3V230FramePtr ID3V230::FrameFromLibrary(const ID3LibBinding& lib, void* f, int32_t index) {
    auto frame = std::make_shared<ID3V230Frame>();
    frame->lIndex = index;
    frame->eType = lib.PublishedFrameID(lib.FrameGetID(f));
    ID3_FieldID valueField = ValueField(frame->eType);
    if (valueField == ID3FN_COUNTER) {
        frame->vValue = TagValue(static_cast<int32_t>(lib.FieldGetINT(lib.FrameGetField(f, ID3FN_COUNTER))));
    } else {
        // A picture's DATA is its image, not a value.
        frame->vValue = ReadFieldValue(lib, f, frame->eType == ID3FID_PICTURE ? ID3FN_TEXT : valueField);
    }
    frame->vLanguage = ReadFieldValue(lib, f, ID3FN_LANGUAGE);
    frame->sDescription = ReadFieldValue(lib, f, ID3FN_DESCRIPTION).ToString();
    if (frame->eType == ID3FID_PICTURE) {
        Bytes image = lib.FieldGetBINARY(lib.FrameGetField(f, ID3FN_DATA));
        // Bytes that do not decode still make a picture object (handle 0), so
        // that handing the picture back unchanged keeps the frame.
        frame->SetPictureRAW(image);
        frame->Picture = image.empty() ? nullptr : PictureObject::FromBytes(std::move(image));
    }
    return frame;
}

void ID3V230::LoadFrames() {
    m_frames = std::make_shared<Collection<ID3V230Frame>>();
    ReleaseLoadState();
    m_frameCount = 0;
    m_unreadable = false;
    const ID3LibBinding& lib = ID3LibBinding::Current();
    if (m_fileName.empty() || !lib.Available()) return;

    // The tag is read and checked before id3lib parses any of it.
    Bytes tagBytes;
    bool v23 = false;
    try {
        BinaryFile file(m_fileName);
        RawTag::Leading leading = RawTag::ReadLeading(file);
        if (leading.present) {
            tagBytes = file.ReadAt(0, static_cast<size_t>(leading.extent));
            v23 = leading.major == 3;
        }
    } catch (...) {
        m_unreadable = true;
        throw;
    }
    std::string problem = RawTag::UnsafeForLibrary(tagBytes);
    if (!problem.empty()) {
        m_unreadable = true;
        throw KorvelException("LoadFrames", "id3lib cannot be given this ID3v2 tag. " + problem);
    }
    m_framesSize = static_cast<int32_t>(tagBytes.size());
    if (tagBytes.empty()) return;  // no valid ID3v2 header: no frames

    m_loadId = g_nextLoad++;
    std::vector<ID3V230FramePtr> loaded;
    if (v23) {
        // Each frame record of an ID3v2.3 tag reaches id3lib on its own, as a
        // tag of one frame, compression undone: a frame whose content id3lib
        // misreads cannot take its neighbours with it, and every frame object
        // knows its record. Records id3lib does not turn into exactly one
        // frame of their identifier stay records (kept as they are).
        m_rawFrames = RawTag::ParseV23Frames(tagBytes);
        m_rawOwner.assign(m_rawFrames.size(), 0);
        for (size_t k = 0; k < m_rawFrames.size(); ++k) {
            RawTag::Frame plain;
            if (!RawTag::ForLibrary(m_rawFrames[k], plain)) continue;
            LibTag single(lib);
            single.ParseRecord(plain.record);
            Handle f = single.Only(plain.id);
            if (f == nullptr) continue;
            std::string abbr = ID3LibBinding::LibFrameAbbr(lib.FrameGetID(f));
            bool same = abbr.empty() ? lib.FieldGetBINARY(lib.FrameGetField(f, ID3FN_DATA)) == plain.Data()
                                     : abbr == plain.id;
            if (!same) continue;
            ID3V230FramePtr frame = FrameFromLibrary(lib, f, static_cast<int32_t>(loaded.size()) + 1);
            frame->m_loaded = ID3V230Frame::Loaded();
            frame->m_loaded->rawIndex = static_cast<int32_t>(k);
            m_rawOwner[k] = frame->lIndex;
            loaded.push_back(frame);
        }
    } else {
        // Other versions are read by id3lib from the file (and never saved).
        LibTag tag(lib);
        m_framesSize = static_cast<int32_t>(lib.TagLinkWithFlags(tag.get(), m_fileName, ID3TT_ID3V2));
        if (lib.TagNumFrames(tag.get()) > 0) {
            for (Handle f : tag.Frames()) {
                loaded.push_back(FrameFromLibrary(lib, f, static_cast<int32_t>(loaded.size()) + 1));
            }
        }
    }
    m_frameCount = static_cast<int16_t>(std::min<size_t>(loaded.size(), INT16_MAX));

    for (const ID3V230FramePtr& frame : loaded) m_frames->Add(frame);
    MergeDuplicates();
    for (const ID3V230FramePtr& frame : loaded) {
        ID3V230Frame::Loaded snapshot;
        snapshot.load = m_loadId;
        snapshot.value = frame->vValue;
        snapshot.description = frame->sDescription;
        snapshot.language = frame->vLanguage;
        snapshot.picture = frame->Picture;
        snapshot.rawIndex = frame->m_loaded ? frame->m_loaded->rawIndex : -1;
        frame->m_loaded = snapshot;
    }
}

void ID3V230::MergeDuplicates() {
    for (int32_t i = m_frames->Count(); i >= 1; --i) {
        ID3V230FramePtr later = m_frames->Item(int64_t{i});
        for (int32_t j = i - 1; j >= 1; --j) {
            ID3V230FramePtr earlier = m_frames->Item(int64_t{j});
            if (later->eType != earlier->eType || later->sDescription != earlier->sDescription) continue;
            if (later->vValue.TextLength() > earlier->vValue.TextLength()) {
                earlier->vValue = later->vValue;
            } else {
                later->vValue = earlier->vValue;
            }
            earlier->bDupe = true;
        }
    }
}

TagValue ID3V230::FrameValue(ID3_FrameID eFrameID, const std::string& Descriptor) const {
    ID3V230FramePtr frame = FindFrame(eFrameID, Descriptor);
    return frame ? frame->vValue : TagValue();
}

ID3V230FramePtr ID3V230::FindFrame(ID3_FrameID type, const std::string& descriptor) const {
    for (const ID3V230FramePtr& frame : *m_frames) {
        if (frame && frame->eType == type && frame->sDescription == descriptor) return frame;
    }
    return nullptr;
}

PicturePtr ID3V230::GetFramePicture(ID3_FrameID type, const std::string& descriptor) const {
    ID3V230FramePtr last;
    for (const ID3V230FramePtr& frame : *m_frames) {
        if (!frame || frame->eType != type) continue;
        if (frame->sDescription == descriptor) return frame->Picture;
        last = frame;
    }
    return last ? last->Picture : nullptr;
}

void ID3V230::AddFrameObject(ID3_FrameID type, const TagValue& value, const std::string& descriptor,
                             PicturePtr picture) {
    auto frame = std::make_shared<ID3V230Frame>();
    frame->eType = type;
    frame->vValue = value;
    frame->sDescription = descriptor;
    frame->Picture = std::move(picture);
    frame->lIndex = m_frames->Count() + 1;
    frame->bNew = true;
    frame->bChanged = true;
    m_frames->Add(frame);
}

void ID3V230::SetFrameValue(ID3_FrameID type, const TagValue& value, const std::string& descriptor) {
    ID3V230FramePtr frame = FindFrame(type, descriptor);
    bool blank = value.IsString() ? value.ToString().empty() : value.IsEmpty();
    if (frame) {
        if (!blank) {
            frame->bChanged = frame->bChanged || !(frame->vValue == value);
            frame->vValue = value;
        } else {
            frame->vValue = TagValue("");
            frame->Delete();
        }
    } else if (!blank) {
        AddFrameObject(type, value, descriptor, nullptr);
    }
}

void ID3V230::SetFramePicture(ID3_FrameID type, PicturePtr picture, const std::string& descriptor) {
    ID3V230FramePtr frame = FindFrame(type, descriptor);
    if (!frame) {
        if (HasImage(picture)) AddFrameObject(type, TagValue(), descriptor, std::move(picture));
        return;
    }
    // The same image again (for instance read from another object of the same
    // file) is no change, also when the library cannot decode it: the frame
    // stays as it is instead of being deleted or rewritten.
    if (picture && frame->Picture && !frame->bDeleted && picture->Data() == frame->Picture->Data()) {
        return;
    }
    if (HasImage(picture)) {
        frame->bChanged = !frame->Picture || frame->Picture->handle() != picture->handle();
        frame->Picture = std::move(picture);
    } else {
        frame->Picture = std::move(picture);
        frame->Delete();
        frame->bChanged = true;
    }
}

int16_t ID3V230::TotalTracks() const {
    std::string track = Track();
    size_t slash = track.find('/');
    if (slash == std::string::npos) return 0;
    return ToInt16(LeadingNumber(track.substr(slash + 1))).value_or(0);
}

void ID3V230::setTotalTracks(int16_t value) {
    std::string track = Track();
    size_t slash = track.find('/');
    SetFrameValue(ID3FID_TRACKNUM, track.substr(0, slash) + "/" + std::to_string(value));
}

int16_t ID3V230::Year() const {
    return ToInt16(LeadingNumber(FrameValue(ID3FID_YEAR).ToString())).value_or(0);
}

std::string ID3V230::Genre() const { return TrimBlanks(Text(ID3FID_CONTENTTYPE)); }

std::string ID3V230::TrimChars(const std::string& text, const std::string& set) {
    size_t first = text.find_first_not_of(set);
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

bool ID3V230::SplitGenre(int16_t& GenreID, std::string& GenreDescription) {
    std::string genre = Genre();
    bool result = false;
    int16_t id = 0;
    if (genre.size() >= 2 && genre.front() == '(' && genre.back() == ')') {
        double number = LeadingNumber(TrimChars(genre, "() "));
        Genres list;
        std::optional<int32_t> whole = ToInt32(number);
        GenrePtr found = (whole && *whole == number) ? list.getGenreByID(std::to_string(*whole)) : nullptr;
        if (found) {
            id = found->Num();
            genre = found->Description();
            result = true;
        }
    } else if (!genre.empty() && genre.front() == '(') {
        size_t close = genre.find(')');
        if (close != std::string::npos && close > 0) {
            std::optional<double> number = ParseNumber(genre.substr(1, close - 1));
            std::optional<int16_t> value = number ? ToInt16(*number) : std::nullopt;
            if (value) id = *value;
            result = value.has_value();
            genre = genre.substr(close + 1);
        }
    }
    GenreID = id;
    GenreDescription = genre;
    return result;
}

void ID3V230::ReplaceQuotes() {
    struct Property {
        std::string (ID3V230::*get)() const;
        void (ID3V230::*set)(const std::string&);
    };
    static const Property kProperties[] = {
        {&ID3V230::Comments, &ID3V230::setComments},
        {&ID3V230::Song, &ID3V230::setSong},
        {&ID3V230::Artist, &ID3V230::setArtist},
        {&ID3V230::Album, &ID3V230::setAlbum},
        {&ID3V230::UniqueKey, &ID3V230::setUniqueKey},
        {&ID3V230::Title, &ID3V230::setTitle},
        {&ID3V230::UserText, &ID3V230::setUserText},
        {&ID3V230::LyricsUnsynced, &ID3V230::setLyricsUnsynced},
        {&ID3V230::ArtistURL, &ID3V230::setArtistURL},
        {&ID3V230::UserURL, &ID3V230::setUserURL},
    };
    for (const Property& property : kProperties) {
        std::string value = (this->*property.get)();
        if (value.find('"') == std::string::npos) continue;
        for (char& c : value) {
            if (c == '"') c = '\'';
        }
        (this->*property.set)(value);
    }
}

bool ID3V230::FromThisLoad(const ID3V230Frame& frame) const {
    return frame.m_loaded && m_loadId != 0 && frame.m_loaded->load == m_loadId;
}

bool ID3V230::Edited(const ID3V230Frame& frame) const {
    if (!FromThisLoad(frame) || frame.bNew || frame.bChanged || frame.bDeleted) return true;
    const ID3V230Frame::Loaded& loaded = *frame.m_loaded;
    return !SameValue(frame.vValue, loaded.value) || frame.sDescription != loaded.description ||
           !SameValue(frame.vLanguage, loaded.language) || frame.Picture != loaded.picture;
}

bool ID3V230::id3SetField(void* frame, const TagValue& value, ID3_FieldID fieldID) {
    const ID3LibBinding& lib = ID3LibBinding::Current();
    Handle field = lib.FrameGetField(frame, fieldID);
    if (field == nullptr) {
        ShowMessage("Unable to write data to field.\r\nID3V230::id3SetField()\r\nField '" +
                        std::to_string(fieldID) + "' doesn't exist.\r\nData: " + value.ToString(),
                    MessageIcon::Critical, "KORVEL - Store ID3v2 Field");
        return false;
    }
    std::string text = value.ToString();
    if (fieldID == ID3FN_DATA) {
        std::string spaced;
        for (char32_t c : Utf8ToUtf32(text)) {
            AppendUtf8(spaced, c);
            spaced += ' ';
        }
        lib.FieldSetBINARY(field, Utf8ToAnsiBytes(spaced));
        return true;
    }
    int encoding = lib.FieldGetEncoding(field);
    if (encoding == ID3LibBinding::kEncodingUTF16 || encoding == ID3LibBinding::kEncodingUTF16BE) {
        lib.FieldSetUNICODE(field, Utf8ToUtf16(text));
    } else {
        lib.FieldSetASCII(field, Utf8ToAnsi(text));
    }
    return true;
}

// ---- Saving ----

bool ID3V230::UpdateTag(int32_t /*tagType*/) {
    m_failure.clear();
    ReplaceQuotes();
    std::string message;
    if (!CheckLibrary(message)) {
        m_failure = message;
        return false;
    }
    if (TrimBlanks(m_fileName).empty()) {
        m_failure = "No file is attached.";
        return false;
    }
    if (m_unreadable) {
        m_failure = "The file's ID3v2 tag could not be read; saving would lose it.";
        return false;
    }
    try {
        const ID3LibBinding& lib = ID3LibBinding::Current();
        BinaryFile original(m_fileName);
        RawTag::Leading leading = RawTag::ReadLeading(original);
        if (leading.present && leading.major != 3) {
            m_failure = "The file's ID3v2." + std::to_string(leading.major) +
                        " tag is read-only: only ID3v2.3 tags can be changed.";
            return false;
        }
        // Refuses read-only files and folders before anything is built.
        ReplacementFile replacement(m_fileName);
        std::string folder = std::filesystem::absolute(m_fileName).parent_path().string();
        Bytes tag = BuildTag(lib, folder);
        replacement.Write(tag);
        replacement.AppendFrom(original, leading.extent, original.Length() - leading.extent);
        replacement.Commit();
        return true;
    } catch (...) {
        m_failure = DescribeFailure(std::current_exception()).Description;
        return false;
    }
}

// The new tag: the file's frame records in their order, except that records
// of changed frames are replaced by id3lib's rendering and records of frames
// taken out of the list are left out; new frames follow.
Bytes ID3V230::BuildTag(const ID3LibBinding& lib, const std::string& folder) {
    std::vector<PlanEntry> plan;
    std::map<int32_t, ID3V230FramePtr> byIndex;
    for (const ID3V230FramePtr& frame : *m_frames) {
        if (frame && FromThisLoad(*frame)) byIndex.emplace(frame->lIndex, frame);
    }
    std::set<const ID3V230Frame*> placed;
    auto planRender = [&](const ID3V230FramePtr& frame) {
        // A picture frame without an image is not written.
        if (frame->eType == ID3FID_PICTURE && !HasImage(frame->Picture)) return;
        PlanEntry entry;
        entry.frame = frame;
        plan.push_back(std::move(entry));
    };
    for (size_t k = 0; k < m_rawFrames.size(); ++k) {
        int32_t owner = m_rawOwner[k];
        if (owner == 0) {
            PlanEntry entry;
            entry.record = &m_rawFrames[k].record;
            entry.orphan = true;
            plan.push_back(std::move(entry));
            continue;
        }
        auto found = byIndex.find(owner);
        if (found == byIndex.end()) continue;  // taken out of the list
        placed.insert(found->second.get());
        if (Edited(*found->second)) {
            planRender(found->second);
        } else {
            PlanEntry entry;
            entry.record = &m_rawFrames[k].record;
            plan.push_back(std::move(entry));
        }
    }
    for (const ID3V230FramePtr& frame : *m_frames) {
        if (!frame || placed.count(frame.get()) != 0) continue;
        if (FromThisLoad(*frame)) {
            placed.insert(frame.get());
            // A loaded frame without a record of its own is not written
            // unless it was changed.
            if (!Edited(*frame)) continue;
        }
        planRender(frame);
    }

    bool anyRendered = false;
    for (const PlanEntry& entry : plan) anyRendered = anyRendered || entry.frame != nullptr;
    if (anyRendered) {
        ScratchFile scratch(folder);
        {
            LibTag tag(lib);
            lib.TagLinkWithFlags(tag.get(), scratch.Path(), ID3TT_ID3V2);
            for (PlanEntry& entry : plan) {
                if (!entry.frame) continue;
                const ID3V230Frame& frame = *entry.frame;
                // A loaded frame is changed in a fresh copy read from its
                // record, so that the fields this class does not know stay.
                Handle f = nullptr;
                bool fromSource = false;
                int32_t rawIndex = FromThisLoad(frame) ? frame.m_loaded->rawIndex : -1;
                if (rawIndex >= 0 && static_cast<size_t>(rawIndex) < m_rawFrames.size()) {
                    RawTag::Frame plain;
                    RawTag::ForLibrary(m_rawFrames[static_cast<size_t>(rawIndex)], plain);
                    LibTag single(lib);
                    single.ParseRecord(plain.record);
                    f = lib.TagRemoveFrame(single.get(), single.Only(plain.id));
                    if (f == nullptr) throw KorvelException("UpdateTag", "id3lib could not read the frame " + plain.id + " again.");
                    fromSource = true;
                } else {
                    f = lib.FrameNewID(std::max(0, lib.LibFrameID(frame.eType)));
                    if (f == nullptr) throw KorvelException("UpdateTag", "id3lib could not create a frame.");
                }
                if (frame.bDeleted && frame.eType != ID3FID_PICTURE &&
                    lib.FrameGetField(f, ValueField(frame.eType)) == nullptr) {
                    // A deleted frame that has no value to empty is left out.
                    lib.FrameDelete(f);
                    entry.frame = nullptr;
                    continue;
                }
                Fill result = FillFrame(lib, f, frame, fromSource);
                entry.expectedId = ID3LibBinding::LibFrameAbbr(lib.FrameGetID(f));
                entry.mayVanish = frame.vValue.ToString().empty() && frame.sDescription.empty();
                if (!lib.TagAttachFrame(tag.get(), f)) lib.FrameDelete(f);
                if (result == Fill::Failed) {
                    throw KorvelException("UpdateTag", "Unable to write data to field.");
                }
            }
            int rc = lib.TagUpdateByTagType(tag.get(), ID3TT_ID3V2);
            if (rc != 0) throw KorvelException("UpdateTag", "id3lib could not write the tag: " + ID3ErrorText(rc));
        }
        // id3lib may report success when it wrote nothing: read back what it wrote.
        // It does not report failed writes either: when the rendering falls
        // short, a full disk is the failure to report, if that is the cause.
        try {
            BinaryFile written(scratch.Path());
            Bytes bytes = written.ReadAt(0, static_cast<size_t>(written.Length()));
            std::vector<RawTag::Frame> rendered;
            if (!bytes.empty()) {
                if (bytes.size() < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3' || bytes[3] != 3 ||
                    RawTag::GetSyncsafe(&bytes[6]) > bytes.size() - 10) {
                    throw KorvelException("UpdateTag", "id3lib did not write a valid ID3v2.3 tag.");
                }
                bool complete = true;
                rendered = RawTag::ParseV23Frames(bytes, &complete);
                if (!complete) throw KorvelException("UpdateTag", "id3lib wrote a damaged ID3v2.3 tag.");
            }
            size_t next = 0;
            for (PlanEntry& entry : plan) {
                if (!entry.frame) continue;
                if (next < rendered.size() && rendered[next].id == entry.expectedId) {
                    entry.rendered = std::move(rendered[next].record);
                    entry.haveRendered = true;
                    ++next;
                } else if (!entry.mayVanish) {
                    throw KorvelException("UpdateTag", "id3lib did not write the frame " + entry.expectedId + ".");
                }
            }
            if (next != rendered.size()) throw KorvelException("UpdateTag", "id3lib wrote frames that were not asked for.");
        } catch (const KorvelException&) {
            scratch.RequireRoom();
            throw;
        }
    }

    // A text or URL frame exists once per tag: a record id3lib did not report
    // gives way to a frame of the same identifier that was written.
    std::set<std::string> written;
    for (const PlanEntry& entry : plan) {
        if (entry.haveRendered) written.insert(entry.expectedId);
    }
    auto singleInstance = [](const std::string& id) {
        return (id[0] == 'T' && id != "TXXX") || (id[0] == 'W' && id != "WXXX");
    };
    std::vector<Bytes> records;
    for (PlanEntry& entry : plan) {
        if (entry.orphan && entry.record->size() >= 4) {
            std::string id(entry.record->begin(), entry.record->begin() + 4);
            if (singleInstance(id) && written.count(id) != 0) continue;
        }
        if (entry.record != nullptr) {
            records.push_back(*entry.record);
        } else if (entry.haveRendered) {
            records.push_back(std::move(entry.rendered));
        }
    }
    return RawTag::BuildV23Tag(records, kPadding);
}

// Writes a frame object's values into an id3lib frame: all of them for a new
// frame, only what changed since loading for a copy of a loaded one.
ID3V230::Fill ID3V230::FillFrame(const ID3LibBinding& lib, void* f, const ID3V230Frame& frame, bool fromSource) {
    const ID3V230Frame::Loaded* loaded = fromSource ? &*frame.m_loaded : nullptr;
    ID3_FieldID valueField = ValueField(frame.eType);
    bool setDescription = loaded ? frame.sDescription != loaded->description : !frame.sDescription.empty();
    bool setLanguage =
        loaded ? !SameValue(frame.vLanguage, loaded->language) : !frame.vLanguage.ToString().empty();
    bool setValue = frame.eType == ID3FID_PICTURE
                        ? (!loaded || frame.Picture != loaded->picture)
                        : (!loaded || frame.bDeleted || !SameValue(frame.vValue, loaded->value));

    // The frame's texts are single-byte when Windows-1252 holds all of them
    // and UTF-16 otherwise; a change of encoding carries the texts the frame
    // keeps over into the new one.
    Handle encoding = lib.FrameGetField(f, ID3FN_TEXTENC);
    if (encoding != nullptr) {
        std::vector<std::pair<Handle, std::string>> texts;
        bool needUnicode = false;
        for (int32_t id = ID3FN_NOFIELD; id <= ID3FN_LASTFIELDID; ++id) {
            Handle field = lib.FrameGetField(f, static_cast<ID3_FieldID>(id));
            if (field == nullptr || id == ID3FN_TEXTENC || !lib.FieldIsEncodable(field)) continue;
            std::string text = ReadText(lib, field);
            if (id == ID3FN_DESCRIPTION && setDescription) text = frame.sDescription;
            if (id == valueField && setValue) text = frame.vValue.ToString();
            needUnicode = needUnicode || !IsAnsiRepresentable(text);
            texts.emplace_back(field, std::move(text));
        }
        int wanted = needUnicode ? ID3LibBinding::kEncodingUTF16 : ID3LibBinding::kEncodingLatin1;
        if (lib.FieldGetINT(encoding) != static_cast<uint32_t>(wanted)) {
            for (const auto& [field, text] : texts) {
                lib.FieldSetEncoding(field, wanted);
                if (needUnicode) {
                    lib.FieldSetUNICODE(field, Utf8ToUtf16(text));
                } else {
                    lib.FieldSetASCII(field, Utf8ToAnsi(text));
                }
            }
            lib.FieldSetINT(encoding, static_cast<uint32_t>(wanted));
        }
    }

    bool ok = true;
    if (setDescription) ok = id3SetField(f, TagValue(frame.sDescription), ID3FN_DESCRIPTION) && ok;
    if (setLanguage) ok = id3SetField(f, frame.vLanguage, ID3FN_LANGUAGE) && ok;
    if (setValue) {
        if (frame.eType == ID3FID_PICTURE) {
            Handle data = lib.FrameGetField(f, ID3FN_DATA);
            if (HasImage(frame.Picture)) {
                lib.FieldSetBINARY(data, frame.Picture->Data());
                std::string mime = frame.Picture->MimeType();
                Handle mimeField = lib.FrameGetField(f, ID3FN_MIMETYPE);
                if (!mime.empty() && mimeField != nullptr) lib.FieldSetASCII(mimeField, mime);
            } else {
                lib.FieldClear(data);
            }
        } else if (valueField == ID3FN_COUNTER) {
            Handle counter = lib.FrameGetField(f, ID3FN_COUNTER);
            if (counter == nullptr) {
                ok = false;
            } else {
                lib.FieldSetINT(counter, static_cast<uint32_t>(frame.vValue.ToInt32()));
            }
        } else {
            ok = id3SetField(f, frame.vValue, valueField) && ok;
        }
    }
    return ok ? Fill::Written : Fill::Failed;
}

int32_t ID3V230::StripTag(int32_t tagFlags) {
    m_failure.clear();
    std::string message;
    if (!CheckLibrary(message)) {
        m_failure = message;
        return kNoFileCode;
    }
    if (TrimBlanks(m_fileName).empty()) {
        m_failure = "No file is attached.";
        return kNoFileCode;
    }
    const ID3LibBinding& lib = ID3LibBinding::Current();
    try {
        BinaryFile original(m_fileName);
        int64_t length = original.Length();
        RawTag::Leading leading = RawTag::ReadLeading(original);
        // The ID3v2 tag is left out of the copy by its header's size; id3lib
        // then strips the tags at the end of that copy in place, and the copy
        // replaces the file with one rename.
        int64_t start = ((tagFlags & ID3TT_ID3V2) != 0 && leading.present) ? leading.extent : 0;
        ReplacementFile replacement(m_fileName);
        replacement.AppendFrom(original, start, length - start);
        uint16_t appended = static_cast<uint16_t>(tagFlags & (ID3TT_ID3V1 | ID3TT_LYRICS3 | ID3TT_LYRICS3V2 | ID3TT_MUSICMATCH));
        int32_t result = 0;
        if (appended != 0) {
            LibTag tag(lib);
            m_framesSize = static_cast<int32_t>(lib.TagLinkWithFlags(tag.get(), replacement.TempPath(), appended));
            for (int32_t bit : {ID3TT_ID3V1, ID3TT_LYRICS3, ID3TT_LYRICS3V2, ID3TT_MUSICMATCH}) {
                if ((appended & bit) != 0) result = lib.TagStrip(tag.get(), static_cast<uint16_t>(bit));
            }
        }
        // id3lib reports success whether or not it could write: check.
        int64_t after = FileLength(replacement.TempPath());
        if (after > length - start) throw KorvelException("StripTag", "id3lib did not remove the tag.");
        if (result != 0) {
            m_failure = ID3ErrorText(result);
            return result;
        }
        if (after != length) replacement.Commit();
        return 0;
    } catch (...) {
        std::exception_ptr failure = std::current_exception();
        m_failure = DescribeFailure(failure).Description;
        return CodeOf(failure);
    }
}

}  // namespace korvel
