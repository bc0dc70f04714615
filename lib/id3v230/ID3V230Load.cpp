// Loading the updatable tag: its frame objects made from the tag's frame
// model, without id3lib.
#include <algorithm>
#include <atomic>
#include <climits>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagWriter.h"
#include "id3v230/ID3V230.h"
#include "id3v230/ID3LibBinding.h"
#include "id3v230/RawTag.h"

namespace korvel {

namespace {

std::atomic<uint64_t> g_nextLoad{1};

// Owner data read as text: one Windows-1252 character per byte, trailing
// blanks removed, and the blank written after every character undone.
std::string DataText(std::span<const uint8_t> data) {
    std::u32string text = Utf8ToUtf32(CodePage().Decode(data.data(), data.size()));
    while (!text.empty() && text.back() == U' ') text.pop_back();
    if (text.size() >= 2 && text[1] == U' ') {
        std::u32string odd;
        for (size_t i = 0; i < text.size(); i += 2) odd.push_back(text[i]);
        text = std::move(odd);
    }
    return Utf32ToUtf8(text);
}

// A frame object with the values of a frame record of `tag` (a picture's
// bytes stay in the tag, shared).
ID3V230FramePtr FrameFromRecord(const FrameRecord& record, const std::shared_ptr<const TagContents>& tag,
                                int32_t index) {
    auto frame = std::make_shared<ID3V230Frame>();
    frame->lIndex = index;
    frame->eType = FrameIDFromAbbr(record.id.size() == 3 ? FrameIdOf22(record.id) : record.id);
    const FrameContent content = DecodeFrame(record, tag->codePage);
    switch (content.kind) {
        case FrameKind::Counter: frame->vValue = TagValue(static_cast<int32_t>(content.counter)); break;
        case FrameKind::Owner:
            frame->vValue = TagValue(frame->eType == ID3FID_UNIQUEFILEID ? DataText(content.data) : "");
            break;
        case FrameKind::Text:
        case FrameKind::UserText:
        case FrameKind::Comment:
        case FrameKind::Url:
        case FrameKind::UserUrl:
        case FrameKind::People:
        case FrameKind::SyncedLyrics: frame->vValue = TagValue(FrameValueText(content)); break;
        default: frame->vValue = TagValue(""); break;
    }
    frame->vLanguage = TagValue(content.language);
    frame->sDescription = content.description;
    if (content.kind == FrameKind::Picture) {
        // Bytes that do not decode still make a picture object (handle 0), so
        // that handing the picture back unchanged keeps the frame.
        frame->SetPictureRAW(tag, content.data);
        frame->Picture = content.data.empty() ? nullptr : PictureObject::FromShared(tag, content.data);
    }
    return frame;
}

std::string CannotChange(uint8_t version, const std::string& problem) {
    if (version < 2 || version > 4) return problem;
    return "The ID3v2." + std::to_string(version) + " tag is damaged (" + problem +
           "); it can only be read, not changed.";
}

}  // namespace

void ID3V230::ReleaseLoadState() {
    m_contents.reset();
    m_recordOwner.clear();
    m_loadId = 0;
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

void ID3V230::Attach(const std::string& fileName, std::shared_ptr<const TagContents> contents) {
    if (!contents) {
        AttachFile(fileName);
        return;
    }
    ClearFrames();
    std::string message;
    if (!CheckLibrary(message)) return;
    m_fileName = fileName;
    m_frameCount = 0;
    m_unreadable = false;
    LoadContents(std::move(contents));
}

void ID3V230::LoadFrames() {
    m_frames = std::make_shared<Collection<ID3V230Frame>>();
    ReleaseLoadState();
    m_frameCount = 0;
    m_unreadable = false;
    if (m_fileName.empty() || !ID3LibBinding::Current().Available()) return;

    TagContentsPtr contents;
    std::string problem;
    try {
        BinaryFile file(m_fileName);
        const RawTag::Leading leading = RawTag::ReadLeading(file);
        if (leading.present) {
            contents = ReadTagContents(file, DefaultCodePage().Page(), &problem);
            if (!contents) problem = CannotChange(leading.major, problem);
        }
    } catch (...) {
        m_unreadable = true;
        throw;
    }
    if (!problem.empty()) {
        m_unreadable = true;
        throw KorvelException("LoadFrames", "The file's ID3v2 tag cannot be changed. " + problem);
    }
    if (contents) LoadContents(std::move(contents));
}

void ID3V230::LoadContents(std::shared_ptr<const TagContents> contents) {
    ReleaseLoadState();
    m_unconvertible.clear();
    // A version 2.2 tag is changed and saved in its version 2.3 form.
    if (contents->version == 2) {
        try {
            contents = UpgradeTo23(*contents, &m_unconvertible);
        } catch (...) {
            m_unreadable = true;
            throw;
        }
    }
    m_contents = std::move(contents);
    m_framesSize = static_cast<int32_t>(std::min<size_t>(m_contents->bytes->size(), m_contents->TotalSize()));
    m_loadId = g_nextLoad++;
    // Frames whose content is unknown stay records, carried over as they are.
    std::vector<ID3V230FramePtr> loaded;
    m_recordOwner.assign(m_contents->frames.size(), 0);
    for (size_t k = 0; k < m_contents->frames.size(); ++k) {
        const FrameRecord& record = m_contents->frames[k];
        const bool takeable = m_contents->version == 3 ? RawTag::CanGiveLibrary(record) : record.readable;
        if (!takeable) continue;
        ID3V230FramePtr frame = FrameFromRecord(record, m_contents, static_cast<int32_t>(loaded.size()) + 1);
        m_recordOwner[k] = frame->lIndex;
        ID3V230Frame::Loaded origin;
        origin.rawIndex = static_cast<int32_t>(k);
        frame->m_loaded = origin;
        loaded.push_back(std::move(frame));
    }
    m_frameCount = static_cast<int16_t>(std::min<size_t>(loaded.size(), INT16_MAX));
    for (const ID3V230FramePtr& frame : loaded) m_frames->Add(frame);
    MergeDuplicates();
    for (const ID3V230FramePtr& frame : loaded) {
        ID3V230Frame::Loaded& snapshot = *frame->m_loaded;
        snapshot.load = m_loadId;
        snapshot.value = frame->vValue;
        snapshot.description = frame->sDescription;
        snapshot.language = frame->vLanguage;
        snapshot.picture = frame->Picture;
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

}  // namespace korvel
