#include <iostream>

#include "Cli.h"
#include "core/BinaryFile.h"
#include "core/FileHandler.h"
#include "core/Numeric.h"
#include "core/Picture.h"
#include "errors/KorvelException.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v230/ID3V230.h"
#include "id3v230/RawTag.h"

namespace korvel::cli {

namespace {

// The text options and the properties they set.
struct TextOption {
    const char* name;
    void (ID3V230::*set)(const std::string&);
};

const TextOption kTextOptions[] = {
    {"--title", &ID3V230::setTitle},
    {"--artist", &ID3V230::setArtist},
    {"--album", &ID3V230::setAlbum},
    {"--track", &ID3V230::setTrack},
    {"--genre", &ID3V230::setGenre},
    {"--comment", &ID3V230::setComments},
    {"--composer", &ID3V230::setComposer},
    {"--copyright", &ID3V230::setCopyright},
    {"--encoded-by", &ID3V230::setEncodedBy},
    {"--original-artist", &ID3V230::setOriginalArtist},
    {"--url", &ID3V230::setUserURL},
    {"--lyrics", &ID3V230::setLyricsUnsynced},
};

// What the command line asks to change, checked before the file is touched.
struct Changes {
    std::vector<std::pair<const TextOption*, std::string>> texts;
    std::optional<int16_t> year;
    bool setPicture = false;
    PicturePtr picture;  // null with --no-picture

    void ApplyTo(ID3V230& tag) const {
        for (const auto& [option, value] : texts) (tag.*option->set)(value);
        if (year) tag.setYear(*year);
        if (setPicture) tag.setPicture(picture);
    }
};

Changes ReadChanges(const Arguments& parsed) {
    Changes changes;
    for (const TextOption& option : kTextOptions) {
        if (parsed.Has(option.name)) changes.texts.emplace_back(&option, parsed.Value(option.name));
    }
    if (parsed.Has("--year")) {
        std::optional<double> n = ParseNumber(parsed.Value("--year"));
        std::optional<int16_t> year = n ? ToInt16(*n) : std::nullopt;
        if (!year || *year != *n) throw UsageError{"year must be a whole number from -32768 to 32767"};
        changes.year = year;
    }
    if (parsed.Has("--picture") && parsed.Has("--no-picture")) {
        throw UsageError{"--picture and --no-picture exclude each other"};
    }
    if (parsed.Has("--picture")) {
        changes.setPicture = true;
        changes.picture = PictureObject::FromFile(parsed.Value("--picture"));
        if (!HasImage(changes.picture)) {
            throw std::runtime_error("'" + parsed.Value("--picture") + "' is not an image that can be read");
        }
    }
    if (parsed.Has("--no-picture")) changes.setPicture = true;
    return changes;
}

bool LibraryPresent(ID3V230& tag) {
    std::string message;
    if (tag.CheckLibrary(message)) return true;
    std::cerr << "korvel v2: ID3v2 tags cannot be written: " << message << "\n";
    return false;
}

int Remove(const std::string& path) {
    if (!FileExists(path)) {
        std::cerr << "korvel v2: '" << path << "' does not exist\n";
        return kExitFailure;
    }
    ID3V230 tag;
    if (!LibraryPresent(tag)) return kExitFailure;
    try {
        tag.AttachFile(path);
    } catch (const KorvelException&) {
        // A tag that cannot be read is still removed whole.
    }
    int32_t code = tag.StripTag(ID3TT_ID3V2);
    if (code != 0) {
        std::cerr << "korvel v2: Unable to remove the tag: " << ID3ErrorText(code) << " (" << tag.LastFailure()
                  << ")\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunV2(const std::vector<std::string>& args) {
    std::vector<std::string> valueOptions = {"--year", "--picture"};
    for (const TextOption& option : kTextOptions) valueOptions.push_back(option.name);
    Arguments parsed(args, valueOptions, {"--no-picture", "--remove"});
    if (parsed.Positional().size() != 1) throw UsageError{"expected one FILE"};
    const std::string& path = parsed.Positional()[0];
    if (parsed.Has("--remove")) {
        if (args.size() != 2) throw UsageError{"--remove takes no field options"};
        return Remove(path);
    }
    Changes changes = ReadChanges(parsed);

    FileHandler file;
    if (!file.Create(path)) {
        std::cerr << file.LastError()->Stream() << "\n";
        return kExitFailure;
    }
    auto tag = std::make_shared<ID3V230>();
    if (!LibraryPresent(*tag)) return kExitFailure;

    if (!file.HasID3V2Tag()) {
        changes.ApplyTo(*tag);
        if (!file.createID3V2Tag(tag)) {
            std::cerr << file.LastError()->Stream() << "\n";
            return kExitFailure;
        }
        return kExitOk;
    }

    uint8_t major = RawTag::ReadLeading(BinaryFile(path)).major;
    if (major != 3) {
        std::cerr << "korvel v2: the ID3v2." << int{major} << " tag of '" << path
                  << "' is read-only; only ID3v2.3 tags can be changed\n";
        return kExitFailure;
    }
    try {
        tag->AttachFile(path);
    } catch (const KorvelException& e) {
        std::cerr << "korvel v2: " << e.Description() << "\n";
        return kExitFailure;
    }
    changes.ApplyTo(*tag);
    if (!tag->UpdateTag(ID3TT_ID3V2)) {
        std::cerr << "korvel v2: Unable to save the ID3v23 tag: " << tag->LastFailure() << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace korvel::cli
