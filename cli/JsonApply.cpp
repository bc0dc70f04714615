// Applying a korvel-json document to a file: the document's frames are
// matched with the file's (equal frames keep their records), frames given by
// hash find their content in the file, and the changes are listed before
// anything is written.
#include "Json.h"
#include "errors/KorvelException.h"
#include "file/FileHandler.h"
#include "id3v2/FrameEncoder.h"
#include "id3v2/TagWriter.h"

namespace korvel::cli {

namespace {

std::string Quoted(const std::string& text) {
    return Json(text).dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

std::string VersionText(int version) { return "2." + std::to_string(version) + ".0"; }

bool SameFrameId(const std::string& a, const std::string& b) {
    return a == b || (a.size() == 3 && FrameIdOf22(a) == b) || (b.size() == 3 && FrameIdOf22(b) == a);
}

// One frame of the tag apply writes: a record of the file kept as it is, or
// a frame of the document to be encoded.
struct PlannedFrame {
    const FrameRecord* keep = nullptr;
    const DocumentFrame* frame = nullptr;
    // The ID written (a version 2.2 ID becomes its version 2.3 form).
    std::string id;
};

// One frame of the file with what comparing needs.
struct FileFrame {
    const FrameRecord* record;
    FrameContent content;
    Json canonical;
    bool used = false;
};

void PlanID3v1(FileHandler& file, const DocumentTags& tags, ApplyPlan& plan) {
    if (!tags.hasID3v1) return;
    const bool had = file.HasID3V1Tag();
    if (!tags.id3v1) {
        if (had) {
            plan.removeID3v1 = true;
            plan.changes.push_back("id3v1: removed");
        }
        return;
    }
    const ID3V1Tag& now = *file.ID3v1xTag();
    const ID3V1Tag& next = *tags.id3v1;
    CheckID3v1Fields(next, tags.id3v1Pointer, file.WritingCodePage());
    auto version = [](const ID3V1Tag& tag) { return std::string(tag.TagType() == ID3V11 ? "1.1" : "1.0"); };
    std::vector<std::string> changes;
    auto compare = [&](const char* name, const std::string& before, const std::string& after) {
        if (!had || before != after) {
            changes.push_back(std::string("id3v1.") + name + ": " + (had ? Quoted(before) + " -> " : "") + Quoted(after));
        }
    };
    compare("version", had ? version(now) : "", version(next));
    compare("title", now.Title(), next.Title());
    compare("artist", now.Artist(), next.Artist());
    compare("album", now.Album(), next.Album());
    compare("year", now.Year(), next.Year());
    compare("comment", now.Comment(), next.Comment());
    compare("track", std::to_string(now.Track()), std::to_string(next.Track()));
    compare("genre", std::to_string(now.Genre()), std::to_string(next.Genre()));
    if (changes.empty()) return;
    if (!had) plan.changes.push_back("id3v1: added");
    plan.changes.insert(plan.changes.end(), changes.begin(), changes.end());
    plan.writeID3v1 = next;
}

// The binary content of a document frame given by its hash alone, taken from
// the file's frame of that ID and content.
void FindContentInFile(DocumentFrame& frame, std::vector<FileFrame>& fileFrames) {
    for (FileFrame& candidate : fileFrames) {
        const Json& known = candidate.canonical;
        if (!SameFrameId(candidate.record->id, frame.id) || !known.contains("sha256") ||
            known["sha256"] != frame.sha256 || known.contains("unreadable") != frame.unreadable) {
            continue;
        }
        if (frame.unreadable) {
            const size_t header = candidate.record->id.size() == 3 ? 6 : 10;
            const auto body = candidate.record->stored.subspan(std::min(header, candidate.record->stored.size()));
            frame.bytes = std::make_shared<const Bytes>(body.begin(), body.end());
        } else {
            frame.content.data = candidate.content.data;
        }
        return;
    }
    throw DocumentError{frame.pointer + "/sha256",
                        "no " + frame.id + " frame of the file has this content; give the frame's data"};
}

void PlanID3v2(FileHandler& file, DocumentTags& tags, ApplyPlan& plan) {
    if (!tags.hasID3v2) return;
    const ID3V2TagPtr tag = file.HasID3V2Tag() ? file.ID3V2Tag() : nullptr;
    int fileVersion = 0;
    if (tag) {
        fileVersion = tag->Version()->Minor();
        if (fileVersion >= 2 && fileVersion <= 4 && (tag->IsLoaded() || tag->loadTag())) plan.contents = tag->Contents();
    }
    if (!tags.id3v2) {
        if (tag) {
            plan.removeID3v2 = true;
            plan.changes.push_back("id3v2: removed");
        }
        return;
    }
    DocumentID3v2& next = *tags.id3v2;

    std::vector<FileFrame> fileFrames;
    if (plan.contents) {
        for (const FrameRecord& record : plan.contents->frames) {
            FileFrame frame{&record, DecodeFrame(record, plan.contents->codePage), {}};
            frame.canonical = FrameJson(record, frame.content, false);
            fileFrames.push_back(std::move(frame));
        }
    }
    for (DocumentFrame& frame : next.frames) {
        if (frame.hashOnly) FindContentInFile(frame, fileFrames);
    }

    // A version 2.2 tag is written as version 2.3; without a version the
    // document takes the file's.
    const int asked = next.version != 0 ? next.version : (plan.contents ? fileVersion : 4);
    plan.version = asked == 2 ? 3 : asked;
    if (!tag) {
        plan.changes.push_back("id3v2: added, version " + VersionText(plan.version));
    } else if (!plan.contents) {
        plan.changes.push_back("id3v2: the file's unreadable tag is replaced, version " + VersionText(plan.version));
    } else if (fileVersion != plan.version) {
        plan.changes.push_back("id3v2: version " + VersionText(fileVersion) + " -> " + VersionText(plan.version));
    }

    // Frames equal to one of the file's keep that frame's record, when the
    // version stays (records differ between versions).
    const bool keepRecords = plan.contents && fileVersion == plan.version;
    std::vector<PlannedFrame> planned;
    size_t lastKept = 0;
    bool reordered = false;
    for (const DocumentFrame& frame : next.frames) {
        PlannedFrame item;
        item.frame = &frame;
        item.id = frame.id;
        if (frame.id.size() == 3) {
            item.id = FrameIdOf22(frame.id);
            if (item.id.empty()) {
                throw DocumentError{frame.pointer + "/id", "the version 2.2 frame " + frame.id +
                                                               " has no version 2.3 form to be written as"};
            }
        }
        if (keepRecords) {
            const Json canonical = CanonicalJson(frame);
            for (size_t i = 0; i < fileFrames.size(); ++i) {
                if (!fileFrames[i].used && fileFrames[i].record->id == frame.id && fileFrames[i].canonical == canonical) {
                    fileFrames[i].used = true;
                    item.keep = fileFrames[i].record;
                    reordered = reordered || i + 1 < lastKept;
                    lastKept = i + 1;
                    break;
                }
            }
        }
        if (!item.keep && frame.unreadable) {
            throw DocumentError{frame.pointer, "a frame that could not be read is written only as the file has it, "
                                               "and the file has no such frame in a version " +
                                                   VersionText(plan.version) + " tag"};
        }
        planned.push_back(item);
    }
    bool changed = !keepRecords;
    for (const FileFrame& frame : fileFrames) {
        if (frame.used) continue;
        changed = true;
        plan.changes.push_back("id3v2: - " + frame.record->id + " " + Quoted(FrameValueText(frame.content)));
    }
    for (const PlannedFrame& item : planned) {
        if (item.keep) continue;
        changed = true;
        plan.changes.push_back("id3v2: + " + item.id + " " + Quoted(FrameValueText(item.frame->content)));
    }
    if (reordered) {
        changed = true;
        plan.changes.push_back("id3v2: frames reordered");
    }
    if (!changed) return;

    // The new tag, made now, so that whatever cannot be written stops the
    // run before the file is touched. A rewrite in the same version keeps
    // the old tag's shape and, when the frames fit, its size.
    std::vector<std::string> notes;
    TagLayout layout;
    if (keepRecords) {
        layout = LayoutOf(*plan.contents, &notes);
    } else {
        layout.version = plan.version;
        if (plan.contents) layout.fitSize = plan.contents->TotalSize();
    }
    for (const std::string& note : notes) plan.changes.push_back("id3v2: " + note);
    std::vector<Bytes> records(planned.size());
    std::vector<std::span<const uint8_t>> spans;
    for (size_t i = 0; i < planned.size(); ++i) {
        const PlannedFrame& item = planned[i];
        if (item.keep) {
            spans.push_back(CarriedRecord(*plan.contents, *item.keep, records[i]));
            continue;
        }
        // A changed frame keeps the text encoding of the file's frame of
        // that ID when it holds the new text.
        FrameContent content = item.frame->content;
        uint8_t preferred = kEncodingLatin1;
        for (const FileFrame& known : fileFrames) {
            if (SameFrameId(known.record->id, item.frame->id)) {
                preferred = known.content.encoding;
                break;
            }
        }
        // Encoding 0 is read in the file's code page, and written as
        // Latin-1: under another code page a Unicode encoding is safe.
        if (preferred == kEncodingLatin1 && !file.UsedCodePage().IsDefault()) preferred = kEncodingUtf16;
        content.encoding = ChooseEncoding(content, plan.version, preferred);
        try {
            records[i] = EncodeFrameRecord(item.id, EncodeFrameData(item.id, content, plan.version, ExactEncoding{}),
                                           plan.version);
        } catch (const KorvelException& e) {
            throw DocumentError{item.frame->pointer, e.Description()};
        }
        spans.push_back(records[i]);
    }
    try {
        plan.id3v2 = BuildTag(spans, layout);
    } catch (const KorvelException& e) {
        throw DocumentError{next.pointer, e.Description()};
    }
    plan.writeID3v2 = true;
}

}  // namespace

ApplyPlan PlanApply(FileHandler& file, DocumentTags& tags) {
    ApplyPlan plan;
    PlanID3v2(file, tags, plan);
    PlanID3v1(file, tags, plan);
    return plan;
}

bool ExecuteApply(FileHandler& file, const ApplyPlan& plan, cError& failure) {
    try {
        // The tag read is handed over: a file whose tag has changed since
        // is not overwritten.
        if (plan.writeID3v2) ReplaceLeadingTag(file.FileName(), plan.id3v2, plan.contents.get());
        if (plan.removeID3v2) ReplaceLeadingTag(file.FileName(), {}, plan.contents.get());
    } catch (...) {
        failure.CopyError();
        return false;
    }
    if (plan.writeID3v1) {
        file.setID3v1xTag(std::make_shared<ID3V1Tag>(*plan.writeID3v1));
        if (!file.writeID3v1xTag()) {
            failure = *file.ErrorObject();
            return false;
        }
    } else if (plan.removeID3v1 && !file.removeID3V1xTag()) {
        failure = *file.ErrorObject();
        return false;
    }
    return true;
}

}  // namespace korvel::cli
