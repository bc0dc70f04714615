#include "id3v230/ID3LibBinding.h"

#include <dlfcn.h>
#include <id3.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "core/Ansi.h"

namespace korvel {

const char* ID3LibBinding::kDefaultFileName = "libid3-3.8.so.3";

// The functions the library resolves, with id3lib's own signatures.
struct ID3LibBinding::Functions {
    decltype(&::ID3Tag_New) TagNew;
    decltype(&::ID3Tag_Delete) TagDelete;
    decltype(&::ID3Tag_Clear) TagClear;
    decltype(&::ID3Tag_Link) TagLink;
    decltype(&::ID3Tag_LinkWithFlags) TagLinkWithFlags;
    decltype(&::ID3Tag_Parse) TagParse;
    decltype(&::ID3Tag_NumFrames) TagNumFrames;
    decltype(&::ID3Tag_CreateIterator) TagCreateIterator;
    decltype(&::ID3TagIterator_GetNext) IteratorGetNext;
    decltype(&::ID3TagIterator_Delete) IteratorDelete;
    decltype(&::ID3Tag_AddFrame) TagAddFrame;
    decltype(&::ID3Tag_AttachFrame) TagAttachFrame;
    decltype(&::ID3Tag_RemoveFrame) TagRemoveFrame;
    decltype(&::ID3Tag_FindFrameWithID) TagFindFrameWithID;
    decltype(&::ID3Tag_UpdateByTagType) TagUpdateByTagType;
    decltype(&::ID3Tag_Strip) TagStrip;
    decltype(&::ID3Frame_NewID) FrameNewID;
    decltype(&::ID3Frame_Delete) FrameDelete;
    decltype(&::ID3Frame_GetID) FrameGetID;
    decltype(&::ID3Frame_GetField) FrameGetField;
    decltype(&::ID3Field_Size) FieldSize;
    decltype(&::ID3Field_GetNumTextItems) FieldGetNumTextItems;
    decltype(&::ID3Field_GetINT) FieldGetINT;
    decltype(&::ID3Field_SetINT) FieldSetINT;
    decltype(&::ID3Field_GetBINARY) FieldGetBINARY;
    decltype(&::ID3Field_SetBINARY) FieldSetBINARY;
    decltype(&::ID3Field_Clear) FieldClear;
    decltype(&::ID3Field_GetASCII) FieldGetASCII;
    decltype(&::ID3Field_SetASCII) FieldSetASCII;
    decltype(&::ID3Field_GetUNICODE) FieldGetUNICODE;
    decltype(&::ID3Field_SetUNICODE) FieldSetUNICODE;
    decltype(&::ID3Field_GetEncoding) FieldGetEncoding;
    decltype(&::ID3Field_SetEncoding) FieldSetEncoding;
    decltype(&::ID3Field_IsEncodable) FieldIsEncodable;
    decltype(&::ID3Field_ToFile) FieldToFile;
    decltype(&::ID3Field_FromFile) FieldFromFile;
};

namespace {

// id3lib's frame values and the ID3v2.3 identifiers it reads and writes for
// them (its v2.4-only frames carry their v2.4 identifiers).
const std::map<int, std::string>& LibFrameAbbreviations() {
    static const std::map<int, std::string> table = {
        {::ID3FID_AUDIOCRYPTO, "AENC"},       {::ID3FID_PICTURE, "APIC"},
        {::ID3FID_AUDIOSEEKPOINT, "ASPI"},    {::ID3FID_COMMENT, "COMM"},
        {::ID3FID_COMMERCIAL, "COMR"},        {::ID3FID_CRYPTOREG, "ENCR"},
        {::ID3FID_EQUALIZATION2, "EQU2"},     {::ID3FID_EQUALIZATION, "EQUA"},
        {::ID3FID_EVENTTIMING, "ETCO"},       {::ID3FID_GENERALOBJECT, "GEOB"},
        {::ID3FID_GROUPINGREG, "GRID"},       {::ID3FID_INVOLVEDPEOPLE, "IPLS"},
        {::ID3FID_LINKEDINFO, "LINK"},        {::ID3FID_CDID, "MCDI"},
        {::ID3FID_MPEGLOOKUP, "MLLT"},        {::ID3FID_OWNERSHIP, "OWNE"},
        {::ID3FID_PRIVATE, "PRIV"},           {::ID3FID_PLAYCOUNTER, "PCNT"},
        {::ID3FID_POPULARIMETER, "POPM"},     {::ID3FID_POSITIONSYNC, "POSS"},
        {::ID3FID_BUFFERSIZE, "RBUF"},        {::ID3FID_VOLUMEADJ2, "RVA2"},
        {::ID3FID_VOLUMEADJ, "RVAD"},         {::ID3FID_REVERB, "RVRB"},
        {::ID3FID_SEEKFRAME, "SEEK"},         {::ID3FID_SIGNATURE, "SIGN"},
        {::ID3FID_SYNCEDLYRICS, "SYLT"},      {::ID3FID_SYNCEDTEMPO, "SYTC"},
        {::ID3FID_ALBUM, "TALB"},             {::ID3FID_BPM, "TBPM"},
        {::ID3FID_COMPOSER, "TCOM"},          {::ID3FID_CONTENTTYPE, "TCON"},
        {::ID3FID_COPYRIGHT, "TCOP"},         {::ID3FID_DATE, "TDAT"},
        {::ID3FID_ENCODINGTIME, "TDEN"},      {::ID3FID_PLAYLISTDELAY, "TDLY"},
        {::ID3FID_ORIGRELEASETIME, "TDOR"},   {::ID3FID_RECORDINGTIME, "TDRC"},
        {::ID3FID_RELEASETIME, "TDRL"},       {::ID3FID_TAGGINGTIME, "TDTG"},
        {::ID3FID_INVOLVEDPEOPLE2, "TIPL"},   {::ID3FID_ENCODEDBY, "TENC"},
        {::ID3FID_LYRICIST, "TEXT"},          {::ID3FID_FILETYPE, "TFLT"},
        {::ID3FID_TIME, "TIME"},              {::ID3FID_CONTENTGROUP, "TIT1"},
        {::ID3FID_TITLE, "TIT2"},             {::ID3FID_SUBTITLE, "TIT3"},
        {::ID3FID_INITIALKEY, "TKEY"},        {::ID3FID_LANGUAGE, "TLAN"},
        {::ID3FID_SONGLEN, "TLEN"},           {::ID3FID_MUSICIANCREDITLIST, "TMCL"},
        {::ID3FID_MEDIATYPE, "TMED"},         {::ID3FID_MOOD, "TMOO"},
        {::ID3FID_ORIGALBUM, "TOAL"},         {::ID3FID_ORIGFILENAME, "TOFN"},
        {::ID3FID_ORIGLYRICIST, "TOLY"},      {::ID3FID_ORIGARTIST, "TOPE"},
        {::ID3FID_ORIGYEAR, "TORY"},          {::ID3FID_FILEOWNER, "TOWN"},
        {::ID3FID_LEADARTIST, "TPE1"},        {::ID3FID_BAND, "TPE2"},
        {::ID3FID_CONDUCTOR, "TPE3"},         {::ID3FID_MIXARTIST, "TPE4"},
        {::ID3FID_PARTINSET, "TPOS"},         {::ID3FID_PRODUCEDNOTICE, "TPRO"},
        {::ID3FID_PUBLISHER, "TPUB"},         {::ID3FID_TRACKNUM, "TRCK"},
        {::ID3FID_RECORDINGDATES, "TRDA"},    {::ID3FID_NETRADIOSTATION, "TRSN"},
        {::ID3FID_NETRADIOOWNER, "TRSO"},     {::ID3FID_SIZE, "TSIZ"},
        {::ID3FID_ALBUMSORTORDER, "TSOA"},    {::ID3FID_PERFORMERSORTORDER, "TSOP"},
        {::ID3FID_TITLESORTORDER, "TSOT"},    {::ID3FID_ISRC, "TSRC"},
        {::ID3FID_ENCODERSETTINGS, "TSSE"},   {::ID3FID_SETSUBTITLE, "TSST"},
        {::ID3FID_USERTEXT, "TXXX"},          {::ID3FID_YEAR, "TYER"},
        {::ID3FID_UNIQUEFILEID, "UFID"},      {::ID3FID_TERMSOFUSE, "USER"},
        {::ID3FID_UNSYNCEDLYRICS, "USLT"},    {::ID3FID_WWWCOMMERCIALINFO, "WCOM"},
        {::ID3FID_WWWCOPYRIGHT, "WCOP"},      {::ID3FID_WWWAUDIOFILE, "WOAF"},
        {::ID3FID_WWWARTIST, "WOAR"},         {::ID3FID_WWWAUDIOSOURCE, "WOAS"},
        {::ID3FID_WWWRADIOPAGE, "WORS"},      {::ID3FID_WWWPAYMENT, "WPAY"},
        {::ID3FID_WWWPUBLISHER, "WPUB"},      {::ID3FID_WWWUSER, "WXXX"},
    };
    return table;
}

template <typename T>
bool Resolve(void* library, const char* name, T& target, std::string& missing) {
    void* symbol = ::dlsym(library, name);
    if (symbol == nullptr) {
        if (!missing.empty()) missing += ", ";
        missing += name;
        return false;
    }
    target = reinterpret_cast<T>(symbol);
    return true;
}

::ID3Tag* AsTag(ID3LibBinding::Handle h) { return static_cast<::ID3Tag*>(h); }
::ID3TagIterator* AsIterator(ID3LibBinding::Handle h) { return static_cast<::ID3TagIterator*>(h); }
::ID3Frame* AsFrame(ID3LibBinding::Handle h) { return static_cast<::ID3Frame*>(h); }
::ID3Field* AsField(ID3LibBinding::Handle h) { return static_cast<::ID3Field*>(h); }

}  // namespace

ID3LibBinding::ID3LibBinding(std::string fileName) : m_fileName(std::move(fileName)) {
    m_library = ::dlopen(m_fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr) {
        const char* why = ::dlerror();
        m_loadError = why != nullptr ? why : "dlopen failed";
        return;
    }
    auto fn = std::make_unique<Functions>();
    std::string missing;
    Resolve(m_library, "ID3Tag_New", fn->TagNew, missing);
    Resolve(m_library, "ID3Tag_Delete", fn->TagDelete, missing);
    Resolve(m_library, "ID3Tag_Clear", fn->TagClear, missing);
    Resolve(m_library, "ID3Tag_Link", fn->TagLink, missing);
    Resolve(m_library, "ID3Tag_LinkWithFlags", fn->TagLinkWithFlags, missing);
    Resolve(m_library, "ID3Tag_Parse", fn->TagParse, missing);
    Resolve(m_library, "ID3Tag_NumFrames", fn->TagNumFrames, missing);
    Resolve(m_library, "ID3Tag_CreateIterator", fn->TagCreateIterator, missing);
    Resolve(m_library, "ID3TagIterator_GetNext", fn->IteratorGetNext, missing);
    Resolve(m_library, "ID3TagIterator_Delete", fn->IteratorDelete, missing);
    Resolve(m_library, "ID3Tag_AddFrame", fn->TagAddFrame, missing);
    Resolve(m_library, "ID3Tag_AttachFrame", fn->TagAttachFrame, missing);
    Resolve(m_library, "ID3Tag_RemoveFrame", fn->TagRemoveFrame, missing);
    Resolve(m_library, "ID3Tag_FindFrameWithID", fn->TagFindFrameWithID, missing);
    Resolve(m_library, "ID3Tag_UpdateByTagType", fn->TagUpdateByTagType, missing);
    Resolve(m_library, "ID3Tag_Strip", fn->TagStrip, missing);
    Resolve(m_library, "ID3Frame_NewID", fn->FrameNewID, missing);
    Resolve(m_library, "ID3Frame_Delete", fn->FrameDelete, missing);
    Resolve(m_library, "ID3Frame_GetID", fn->FrameGetID, missing);
    Resolve(m_library, "ID3Frame_GetField", fn->FrameGetField, missing);
    Resolve(m_library, "ID3Field_Size", fn->FieldSize, missing);
    Resolve(m_library, "ID3Field_GetNumTextItems", fn->FieldGetNumTextItems, missing);
    Resolve(m_library, "ID3Field_GetINT", fn->FieldGetINT, missing);
    Resolve(m_library, "ID3Field_SetINT", fn->FieldSetINT, missing);
    Resolve(m_library, "ID3Field_GetBINARY", fn->FieldGetBINARY, missing);
    Resolve(m_library, "ID3Field_SetBINARY", fn->FieldSetBINARY, missing);
    Resolve(m_library, "ID3Field_Clear", fn->FieldClear, missing);
    Resolve(m_library, "ID3Field_GetASCII", fn->FieldGetASCII, missing);
    Resolve(m_library, "ID3Field_SetASCII", fn->FieldSetASCII, missing);
    Resolve(m_library, "ID3Field_GetUNICODE", fn->FieldGetUNICODE, missing);
    Resolve(m_library, "ID3Field_SetUNICODE", fn->FieldSetUNICODE, missing);
    Resolve(m_library, "ID3Field_GetEncoding", fn->FieldGetEncoding, missing);
    Resolve(m_library, "ID3Field_SetEncoding", fn->FieldSetEncoding, missing);
    Resolve(m_library, "ID3Field_IsEncodable", fn->FieldIsEncodable, missing);
    Resolve(m_library, "ID3Field_ToFile", fn->FieldToFile, missing);
    Resolve(m_library, "ID3Field_FromFile", fn->FieldFromFile, missing);
    if (!missing.empty()) {
        m_loadError = "missing functions: " + missing;
        return;
    }
    m_fn = fn.release();
    m_available = true;
}

ID3LibBinding::~ID3LibBinding() { delete m_fn; }

const ID3LibBinding& ID3LibBinding::Current() {
    static std::mutex guard;
    static std::map<std::string, std::unique_ptr<ID3LibBinding>> loaded;
    const char* overridden = std::getenv("KORVEL_ID3LIB");
    std::string name = (overridden != nullptr && *overridden != '\0') ? overridden : kDefaultFileName;
    std::lock_guard<std::mutex> lock(guard);
    auto found = loaded.find(name);
    if (found == loaded.end()) {
        found = loaded.emplace(name, std::unique_ptr<ID3LibBinding>(new ID3LibBinding(name))).first;
    }
    return *found->second;
}

std::string ID3LibBinding::LibFrameAbbr(int libFrameID) {
    const auto& table = LibFrameAbbreviations();
    auto found = table.find(libFrameID);
    return found == table.end() ? std::string() : found->second;
}

int ID3LibBinding::LibFrameIDOf(const std::string& abbr) {
    for (const auto& [lib, libAbbr] : LibFrameAbbreviations()) {
        if (libAbbr == abbr) return lib;
    }
    return -1;
}

int ID3LibBinding::LibFrameID(ID3_FrameID type) const {
    // The two meta frames have no identifier of their own in the table.
    if (type == ID3FID_METACRYPTO) return ::ID3FID_METACRYPTO;
    if (type == ID3FID_METACOMPRESSION) return ::ID3FID_METACOMPRESSION;
    if (type == ID3FID_NOFRAME) return ::ID3FID_NOFRAME;
    std::string abbr = FrameInfo(type, eslSHORT).ToString();
    for (const auto& [lib, libAbbr] : LibFrameAbbreviations()) {
        if (libAbbr == abbr) return lib;
    }
    return -1;
}

ID3_FrameID ID3LibBinding::PublishedFrameID(int libFrameID) const {
    if (libFrameID == ::ID3FID_METACRYPTO) return ID3FID_METACRYPTO;
    if (libFrameID == ::ID3FID_METACOMPRESSION) return ID3FID_METACOMPRESSION;
    return FrameIDFromAbbr(LibFrameAbbr(libFrameID));
}

ID3LibBinding::Handle ID3LibBinding::TagNew() const {
    return m_fn == nullptr ? nullptr : m_fn->TagNew();
}
void ID3LibBinding::TagDelete(Handle tag) const {
    if (tag != nullptr) m_fn->TagDelete(AsTag(tag));
}
void ID3LibBinding::TagClear(Handle tag) const {
    if (tag != nullptr) m_fn->TagClear(AsTag(tag));
}
size_t ID3LibBinding::TagLink(Handle tag, const std::string& fileName) const {
    return tag == nullptr ? 0 : m_fn->TagLink(AsTag(tag), fileName.c_str());
}
size_t ID3LibBinding::TagLinkWithFlags(Handle tag, const std::string& fileName,
                                       uint16_t tagTypes) const {
    return tag == nullptr ? 0 : m_fn->TagLinkWithFlags(AsTag(tag), fileName.c_str(), tagTypes);
}
int ID3LibBinding::TagParse(Handle tag, const Bytes& wholeTag) const {
    if (tag == nullptr || wholeTag.size() < ID3_TAGHEADERSIZE) return ::ID3E_NoData;
    // id3lib reads the header's whole tag size from the body pointer, that is
    // ten bytes beyond the tag: they are supplied as zero padding.
    Bytes padded(wholeTag);
    padded.resize(wholeTag.size() + ID3_TAGHEADERSIZE, 0);
    return m_fn->TagParse(AsTag(tag), padded.data(), padded.data() + ID3_TAGHEADERSIZE);
}
size_t ID3LibBinding::TagNumFrames(Handle tag) const {
    return tag == nullptr ? 0 : m_fn->TagNumFrames(AsTag(tag));
}
ID3LibBinding::Handle ID3LibBinding::TagCreateIterator(Handle tag) const {
    return tag == nullptr ? nullptr : m_fn->TagCreateIterator(AsTag(tag));
}
ID3LibBinding::Handle ID3LibBinding::IteratorGetNext(Handle iterator) const {
    return iterator == nullptr ? nullptr : m_fn->IteratorGetNext(AsIterator(iterator));
}
void ID3LibBinding::IteratorDelete(Handle iterator) const {
#if defined(__SANITIZE_ADDRESS__)
    // id3lib deletes its iterator through a base class of another size,
    // which AddressSanitizer reports as an error of the caller; sanitized
    // builds leave the iterator to the leak suppressions instead.
    (void)iterator;
#else
    if (iterator != nullptr) m_fn->IteratorDelete(AsIterator(iterator));
#endif
}
void ID3LibBinding::TagAddFrame(Handle tag, Handle frame) const {
    if (tag != nullptr && frame != nullptr) m_fn->TagAddFrame(AsTag(tag), AsFrame(frame));
}
bool ID3LibBinding::TagAttachFrame(Handle tag, Handle frame) const {
    return tag != nullptr && frame != nullptr && m_fn->TagAttachFrame(AsTag(tag), AsFrame(frame));
}
ID3LibBinding::Handle ID3LibBinding::TagRemoveFrame(Handle tag, Handle frame) const {
    return (tag == nullptr || frame == nullptr) ? nullptr : m_fn->TagRemoveFrame(AsTag(tag), AsFrame(frame));
}
ID3LibBinding::Handle ID3LibBinding::TagFindFrameWithID(Handle tag, int libFrameID) const {
    if (tag == nullptr || libFrameID < 0) return nullptr;
    return m_fn->TagFindFrameWithID(AsTag(tag), static_cast<::ID3_FrameID>(libFrameID));
}
int ID3LibBinding::TagUpdateByTagType(Handle tag, uint16_t tagType) const {
    return tag == nullptr ? 0 : m_fn->TagUpdateByTagType(AsTag(tag), tagType);
}
int ID3LibBinding::TagStrip(Handle tag, uint16_t tagType) const {
    return tag == nullptr ? 0 : m_fn->TagStrip(AsTag(tag), tagType);
}

ID3LibBinding::Handle ID3LibBinding::FrameNewID(int libFrameID) const {
    if (m_fn == nullptr || libFrameID < 0) return nullptr;
    return m_fn->FrameNewID(static_cast<::ID3_FrameID>(libFrameID));
}
void ID3LibBinding::FrameDelete(Handle frame) const {
    if (frame != nullptr) m_fn->FrameDelete(AsFrame(frame));
}
int ID3LibBinding::FrameGetID(Handle frame) const {
    return frame == nullptr ? 0 : m_fn->FrameGetID(AsFrame(frame));
}
ID3LibBinding::Handle ID3LibBinding::FrameGetField(Handle frame, ID3_FieldID field) const {
    // The field numbers agree between both tables.
    return frame == nullptr ? nullptr : m_fn->FrameGetField(AsFrame(frame), static_cast<::ID3_FieldID>(field));
}

size_t ID3LibBinding::FieldSize(Handle field) const {
    return field == nullptr ? 0 : m_fn->FieldSize(AsField(field));
}
size_t ID3LibBinding::FieldNumTextItems(Handle field) const {
    return field == nullptr ? 0 : m_fn->FieldGetNumTextItems(AsField(field));
}
uint32_t ID3LibBinding::FieldGetINT(Handle field) const {
    return field == nullptr ? 0 : m_fn->FieldGetINT(AsField(field));
}
void ID3LibBinding::FieldSetINT(Handle field, uint32_t value) const {
    if (field != nullptr) m_fn->FieldSetINT(AsField(field), value);
}

Bytes ID3LibBinding::FieldGetBINARY(Handle field) const {
    if (field == nullptr) return {};
    // Size() is the length of the stored data; the copy takes exactly that.
    Bytes data(FieldSize(field));
    if (!data.empty()) m_fn->FieldGetBINARY(AsField(field), data.data(), data.size());
    return data;
}

void ID3LibBinding::FieldSetBINARY(Handle field, std::span<const uint8_t> bytes) const {
    if (field == nullptr) return;
    static const uchar kNothing = 0;
    m_fn->FieldSetBINARY(AsField(field), bytes.empty() ? &kNothing : bytes.data(), bytes.size());
}

void ID3LibBinding::FieldClear(Handle field) const {
    if (field != nullptr) m_fn->FieldClear(AsField(field));
}
int ID3LibBinding::FieldGetEncoding(Handle field) const {
    return field == nullptr ? -1 : m_fn->FieldGetEncoding(AsField(field));
}
bool ID3LibBinding::FieldIsEncodable(Handle field) const {
    return field != nullptr && m_fn->FieldIsEncodable(AsField(field));
}
bool ID3LibBinding::FieldSetEncoding(Handle field, int encoding) const {
    return field != nullptr && m_fn->FieldSetEncoding(AsField(field), static_cast<::ID3_TextEnc>(encoding));
}

std::string ID3LibBinding::FieldGetASCII(Handle field) const {
    if (field == nullptr) return {};
    // For single-byte text Size() counts characters; one more for the
    // terminating zero that id3lib appends when there is room.
    size_t size = FieldSize(field);
    std::string buffer(size + 1, '\0');
    size_t n = m_fn->FieldGetASCII(AsField(field), buffer.data(), size);
    buffer.resize(std::min(n, size));
    return buffer;
}

void ID3LibBinding::FieldSetASCII(Handle field, const std::string& bytes) const {
    if (field != nullptr) m_fn->FieldSetASCII(AsField(field), bytes.c_str());
}

std::u16string ID3LibBinding::FieldGetUNICODE(Handle field) const {
    if (field == nullptr) return {};
    // For UTF-16 text Size() counts bytes. id3lib copies as many code units
    // as it is allowed, so the limit is exactly the stored length.
    size_t units = FieldSize(field) / 2;
    std::vector<unicode_t> buffer(units + 1, 0);
    size_t n = units == 0 ? 0 : m_fn->FieldGetUNICODE(AsField(field), buffer.data(), units);
    n = std::min(n, units);
    std::u16string text;
    text.reserve(n);
    // id3lib hands the code units over in big-endian byte order in memory,
    // whatever the byte-order mark in the file said.
    for (size_t i = 0; i < n; ++i) {
        uint16_t u = buffer[i];
        text.push_back(static_cast<char16_t>(static_cast<uint16_t>((u >> 8) | (u << 8))));
    }
    return text;
}

void ID3LibBinding::FieldSetUNICODE(Handle field, const std::u16string& text) const {
    if (field == nullptr) return;
    std::vector<unicode_t> buffer;
    buffer.reserve(text.size() + 1);
    for (char16_t c : text) {
        uint16_t u = static_cast<uint16_t>(c);
        buffer.push_back(static_cast<unicode_t>((u >> 8) | (u << 8)));
    }
    buffer.push_back(0);
    m_fn->FieldSetUNICODE(AsField(field), buffer.data());
}

void ID3LibBinding::FieldToFile(Handle field, const std::string& path) const {
    if (field != nullptr) m_fn->FieldToFile(AsField(field), path.c_str());
}
void ID3LibBinding::FieldFromFile(Handle field, const std::string& path) const {
    if (field != nullptr) m_fn->FieldFromFile(AsField(field), path.c_str());
}

}  // namespace korvel
