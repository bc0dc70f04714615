// The input as a document for korvel apply, malformed and hostile ones
// included: read, checked against a file with tags of its own and, when it
// can be applied, written. A document that is refused must be refused with
// a DocumentError; one that is applied must leave the file holding exactly
// the tags it describes, read back through the file object.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "Json.h"
#include "file/FileHandler.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

namespace {

using namespace korvel;
using namespace korvel::cli;
using test::B;
using test::Concat;

// The files documents are applied to: no tags; ID3v2.3 with a picture,
// private data and an ID3v1 tag; ID3v2.4 with a compressed and a grouped
// frame and a footer; ID3v2.2. The input's length picks one.
const std::vector<Bytes>& Targets() {
    static const std::vector<Bytes> targets = [] {
        const Bytes audio = test::MpegAudio(3);
        const Bytes picture = Concat({B("\0image/bmp\0\x03", 12), B("cover\0", 6), test::TinyBmp()});
        const Bytes album = test::Latin1("Album");
        test::TagLayout footer;
        footer.Footer = true;
        const Bytes v24 = test::Tag(4, Concat({test::Frame24("TIT2", test::Latin1("Title")),
                                               test::Frame24("TALB", Concat({test::Syncsafe32(static_cast<uint32_t>(album.size())),
                                                                             test::Zlib(album)}),
                                                             0, 0x09),
                                               test::Frame24("TPE1", Concat({B("\x05", 1), test::Latin1("Artist")}), 0, 0x40)}),
                                    footer);
        return std::vector<Bytes>{
            audio,
            Concat({test::Tag(3, Concat({test::Frame23("TIT2", test::Utf16Text("Title")), test::Frame23("APIC", picture),
                                         test::Frame23("PRIV", B("owner\0\x01\x02", 8))}),
                              0, 32),
                    audio, test::ID3v1Record("Title", "Artist", "Album", "2001", "Comment", 3, 17)}),
            Concat({v24, audio}),
            Concat({test::Tag(2, Concat({test::Frame22("TT2", test::Latin1("Title")),
                                         test::Frame22("PIC", Concat({B("\0PNG\x03", 5), B("x\0", 2), test::PngImage()}))})),
                    audio}),
        };
    }();
    return targets;
}

[[noreturn]] void Mismatch(const std::string& what, const Json& written, const Json& described) {
    std::fprintf(stderr, "%s: written %s, described %s\n", what.c_str(), written.dump().c_str(),
                 described.dump().c_str());
    std::abort();
}

// The file holds the ID3v2 frames the document gives, in its order.
void CheckID3v2(FileHandler& file, const DocumentID3v2& described) {
    const ID3V2TagPtr tag = file.HasID3V2Tag() ? file.ID3V2Tag() : nullptr;
    if (!tag || !tag->loadTag()) Mismatch("no readable ID3v2 tag", nullptr, nullptr);
    const TagContents& contents = *tag->Contents();
    if (contents.frames.size() != described.frames.size()) {
        Mismatch("frame count", contents.frames.size(), described.frames.size());
    }
    for (size_t i = 0; i < described.frames.size(); ++i) {
        const DocumentFrame& frame = described.frames[i];
        const FrameRecord& record = contents.frames[i];
        const std::string id = frame.id.size() == 3 ? FrameIdOf22(frame.id) : frame.id;
        Json expected = CanonicalJson(frame);
        expected["id"] = id;
        Json written = FrameJson(record, DecodeFrame(record, contents.codePage), false);
        if (frame.unreadable) {
            // Kept as the file had it; nothing else is known of it.
            if (record.id != id) Mismatch("unreadable frame", written, expected);
        } else if (frame.content.kind == FrameKind::Binary) {
            // Bytes given for a frame whose ID has a kind of its own may read
            // as that kind: the bytes are what must match.
            if (record.id != id || Sha256Hex(record.data) != frame.sha256) Mismatch("binary frame", written, expected);
        } else if (written != expected) {
            Mismatch("frame " + std::to_string(i), written, expected);
        }
    }
}

void CheckID3v1(const FileHandler& file, const ID3V1Tag& described) {
    const ID3V1Tag& tag = *file.ID3v1xTag();
    if (!file.HasID3V1Tag() || tag.TagType() != described.TagType() || tag.Title() != described.Title() ||
        tag.Artist() != described.Artist() || tag.Album() != described.Album() || tag.Year() != described.Year() ||
        tag.Comment() != described.Comment() || tag.Track() != described.Track() || tag.Genre() != described.Genre()) {
        Mismatch("ID3v1 tag", tag.Title(), described.Title());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korvel::fuzz::UseInternalReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DocumentTags tags;
    try {
        tags = ReadDocument(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const DocumentError&) {
        return 0;
    }
    const Bytes& target = Targets()[size % Targets().size()];
    const std::string& path = korvel::fuzz::Scratch().Write(target.data(), target.size());
    FileHandler file;
    if (!file.Create(path)) std::abort();
    ApplyPlan plan;
    try {
        plan = PlanApply(file, tags);
    } catch (const DocumentError&) {
        return 0;
    }
    cError failure;
    if (!ExecuteApply(file, plan, failure)) {
        std::fprintf(stderr, "apply failed: %s\n", failure.Stream().c_str());
        std::abort();
    }

    FileHandler written;
    if (!written.Create(path)) std::abort();
    if (tags.hasID3v1) {
        if (tags.id3v1) {
            CheckID3v1(written, *tags.id3v1);
        } else if (written.HasID3V1Tag()) {
            Mismatch("ID3v1 tag not removed", nullptr, nullptr);
        }
    }
    if (tags.hasID3v2) {
        if (tags.id3v2) {
            CheckID3v2(written, *tags.id3v2);
        } else if (written.HasID3V2Tag()) {
            Mismatch("ID3v2 tag not removed", nullptr, nullptr);
        }
    }
    return 0;
}
