// Saving the updatable tag: the new tag is planned from the loaded frame
// records and the frame objects, the changed and new frames are rendered by
// id3lib, and the new file is built beside the original and renamed into
// place.
#include <filesystem>
#include <map>
#include <set>
#include <span>
#include <utility>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagWriter.h"
#include "id3v230/ID3LibSupport.h"
#include "id3v230/ID3V230.h"
#include "id3v230/RawTag.h"

namespace korvel {

using id3lib::Handle;
using id3lib::LibTag;
using id3lib::ReadText;
using id3lib::SameValue;
using id3lib::ScratchFile;
using id3lib::ValueField;

// One entry of the new tag: a record carried over from the file, or a frame
// object that id3lib renders.
struct ID3V230::PlanEntry {
    std::span<const uint8_t> record;  // empty for a frame object
    bool orphan = false;              // a record without a frame object
    ID3V230FramePtr frame;
    bool mayVanish = false;  // id3lib may leave out a frame with nothing in it
    std::string expectedId;
    Bytes rendered;
    bool haveRendered = false;
};

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
        // A version 2.2 tag becomes a version 2.3 tag; version 2.4 tags are
        // written in their version elsewhere.
        if (leading.present && leading.major != 3 && leading.major != 2) {
            m_failure = "The file's ID3v2." + std::to_string(leading.major) +
                        " tag is not written through id3lib: only ID3v2.2 and ID3v2.3 tags are.";
            return false;
        }
        if (!m_unconvertible.empty()) {
            std::string ids;
            for (const std::string& id : m_unconvertible) ids += (ids.empty() ? "" : ", ") + id;
            m_failure = "The ID3v2.2 tag's frames " + ids + " have no ID3v2.3 form; saving would drop them.";
            return false;
        }
        // Refuses read-only files and folders before anything is built.
        ReplacementFile replacement(m_fileName);
        std::string folder = std::filesystem::absolute(m_fileName).parent_path().string();
        Bytes tag = BuildTag(lib, folder, static_cast<size_t>(leading.extent));
        replacement.Write(tag);
        replacement.AppendFrom(original, leading.extent, original.Length() - leading.extent);
        replacement.Commit();
        return true;
    } catch (...) {
        m_failure = DescribeFailure(std::current_exception()).Description;
        return false;
    }
}

Bytes ID3V230::BuildTag(const ID3LibBinding& lib, const std::string& folder, size_t oldSize) {
    Plan plan = PlanTag();
    RenderFrames(lib, folder, plan);
    return AssembleTag(plan, oldSize);
}

// The file's frame records in their order, except that records of changed
// frames are replaced by id3lib's rendering and records of frames taken out
// of the list are left out; new frames follow.
ID3V230::Plan ID3V230::PlanTag() const {
    Plan plan;
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
    const size_t records = m_contents ? m_contents->frames.size() : 0;
    for (size_t k = 0; k < records; ++k) {
        const int32_t owner = m_recordOwner[k];
        if (owner == 0) {
            PlanEntry entry;
            entry.record = m_contents->frames[k].stored;
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
            entry.record = m_contents->frames[k].stored;
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
    return plan;
}

// id3lib renders the planned frame objects into a scratch file; what it
// wrote is read back and checked frame by frame.
void ID3V230::RenderFrames(const ID3LibBinding& lib, const std::string& folder, Plan& plan) {
    bool anyRendered = false;
    for (const PlanEntry& entry : plan) anyRendered = anyRendered || entry.frame != nullptr;
    if (!anyRendered) return;
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
            const int32_t rawIndex = FromThisLoad(frame) ? frame.m_loaded->rawIndex : -1;
            if (rawIndex >= 0 && m_contents && static_cast<size_t>(rawIndex) < m_contents->frames.size()) {
                const FrameRecord& source = m_contents->frames[static_cast<size_t>(rawIndex)];
                Bytes plain;
                RawTag::ForLibrary(source, plain);
                LibTag single(lib);
                single.ParseRecord(plain);
                f = lib.TagRemoveFrame(single.get(), single.Only(source.id));
                if (f == nullptr) throw KorvelException("UpdateTag", "id3lib could not read the frame " + source.id + " again.");
                fromSource = true;
            } else {
                f = lib.FrameNewID(std::max(0, lib.LibFrameID(frame.eType)));
                if (f == nullptr) throw KorvelException("UpdateTag", "id3lib could not create a frame.");
            }
            if (frame.bDeleted && frame.eType != ID3FID_PICTURE && lib.FrameGetField(f, ValueField(frame.eType)) == nullptr) {
                // A deleted frame that has no value to empty is left out.
                lib.FrameDelete(f);
                entry.frame = nullptr;
                continue;
            }
            const Fill result = FillFrame(lib, f, frame, fromSource);
            entry.expectedId = ID3LibBinding::LibFrameAbbr(lib.FrameGetID(f));
            entry.mayVanish = frame.vValue.ToString().empty() && frame.sDescription.empty();
            if (!lib.TagAttachFrame(tag.get(), f)) lib.FrameDelete(f);
            if (result == Fill::Failed) throw KorvelException("UpdateTag", "Unable to write data to field.");
        }
        const int rc = lib.TagUpdateByTagType(tag.get(), ID3TT_ID3V2);
        if (rc != 0) throw KorvelException("UpdateTag", "id3lib could not write the tag: " + ID3ErrorText(rc));
    }
    // id3lib may report success when it wrote nothing: read back what it
    // wrote. It does not report failed writes either: when the rendering
    // falls short, a full disk is the failure to report, if that is the cause.
    try {
        BinaryFile written(scratch.Path());
        auto bytes = std::make_shared<const Bytes>(written.ReadAt(0, static_cast<size_t>(written.Length())));
        TagContentsPtr rendered;
        if (!bytes->empty()) {
            if (bytes->size() < 10 || (*bytes)[3] != 3) throw KorvelException("UpdateTag", "id3lib did not write a valid ID3v2.3 tag.");
            rendered = ParseTagContents(bytes);
            if (!rendered) throw KorvelException("UpdateTag", "id3lib wrote a damaged ID3v2.3 tag.");
        }
        const size_t count = rendered ? rendered->frames.size() : 0;
        size_t next = 0;
        for (PlanEntry& entry : plan) {
            if (!entry.frame) continue;
            if (next < count && rendered->frames[next].id == entry.expectedId) {
                const auto stored = rendered->frames[next].stored;
                entry.rendered.assign(stored.begin(), stored.end());
                entry.haveRendered = true;
                ++next;
            } else if (!entry.mayVanish) {
                throw KorvelException("UpdateTag", "id3lib did not write the frame " + entry.expectedId + ".");
            }
        }
        if (next != count) throw KorvelException("UpdateTag", "id3lib wrote frames that were not asked for.");
        if (rendered) scratch.Rendered();
    } catch (const KorvelException&) {
        scratch.RequireRoom();
        throw;
    }
}

// The records of the plan as one tag. A text or URL frame exists once per
// tag: a record without a frame object gives way to a frame of the same
// identifier that was written.
Bytes ID3V230::AssembleTag(const Plan& plan, size_t oldSize) const {
    std::set<std::string> written;
    for (const PlanEntry& entry : plan) {
        if (entry.haveRendered) written.insert(entry.expectedId);
    }
    auto singleInstance = [](const std::string& id) {
        return (id[0] == 'T' && id != "TXXX") || (id[0] == 'W' && id != "WXXX");
    };
    std::vector<std::span<const uint8_t>> records;
    for (const PlanEntry& entry : plan) {
        if (entry.orphan && entry.record.size() >= 4) {
            const std::string id(entry.record.begin(), entry.record.begin() + 4);
            if (singleInstance(id) && written.count(id) != 0) continue;
        }
        if (!entry.record.empty()) {
            records.push_back(entry.record);
        } else if (entry.haveRendered) {
            records.push_back(entry.rendered);
        }
    }
    if (records.empty()) return {};
    TagLayout layout;
    layout.version = 3;
    layout.fitSize = oldSize;
    return korvel::BuildTag(records, layout);
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
                lib.FieldSetBINARY(data, frame.Picture->View());
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

}  // namespace korvel
