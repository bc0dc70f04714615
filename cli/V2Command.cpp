#include <iostream>

#include "Cli.h"
#include "core/BinaryFile.h"
#include "file/FileHandler.h"
#include "core/Numeric.h"
#include "core/Picture.h"
#include "errors/KorvelException.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v2/TagWriter.h"
#include "id3v2/TagFields.h"
#include "id3v230/ID3V230.h"

namespace korvel::cli {

namespace {

// What the command line asks to change, checked before the file is touched:
// the fields of the field table that have an option, set on a new updatable
// tag for a file without a tag, on the file's ID3v2 tag otherwise.
struct Changes {
    std::vector<std::pair<TagField, std::string>> texts;
    std::optional<int16_t> year;
    bool setPicture = false;
    PicturePtr picture;  // null with --no-picture

    void ApplyTo(ID3V230& tag) const {
        for (const auto& [field, value] : texts) tag.SetFieldValue(field, value);
        if (year) tag.setYear(*year);
        if (setPicture) tag.setPicture(picture);
    }

    void ApplyTo(ID3V2Tag& tag) const {
        for (const auto& [field, value] : texts) tag.SetField(field, value);
        if (year) tag.setYear(std::to_string(*year));
        if (setPicture) tag.setPicture(picture);
    }
};

// The fields korvel v2 sets by an option of their own.
bool HasOption(const TagFieldInfo& info) { return info.option[0] != '\0'; }

Changes ReadChanges(const Arguments& parsed) {
    Changes changes;
    for (const TagFieldInfo& info : TagFields()) {
        if (!HasOption(info) || info.field == TagField::Year || !parsed.Has(info.option)) continue;
        changes.texts.emplace_back(info.field, parsed.Value(info.option));
    }
    const char* const yearOption = FieldInfo(TagField::Year).option;
    if (parsed.Has(yearOption)) {
        std::optional<double> n = ParseNumber(parsed.Value(yearOption));
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

void PrintNotes(const std::vector<std::string>& notes) {
    for (const std::string& note : notes) std::cerr << "korvel v2: note: " << note << "\n";
}

// Cutting the tag off needs no id3lib, whatever the tag's version.
int Remove(const std::string& path) {
    if (!FileExists(path)) {
        std::cerr << "korvel v2: '" << path << "' does not exist\n";
        return kExitFailure;
    }
    try {
        RemoveLeadingTag(path);
    } catch (...) {
        std::cerr << "korvel v2: Unable to remove the tag: " << DescribeFailure(std::current_exception()).Description
                  << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

// A new tag of the version asked for, for a file without one.
int Create(FileHandler& file, const Changes& changes, int version) {
    auto tag = std::make_shared<ID3V230>();
    if (version == 3 && !LibraryPresent(*tag)) return kExitFailure;
    changes.ApplyTo(*tag);
    if (!file.createID3V2Tag(tag, version)) {
        std::cerr << file.LastError()->Stream() << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunV2(const std::vector<std::string>& args) {
    std::vector<std::string> valueOptions = {"--picture", "--id3v2-version"};
    for (const TagFieldInfo& info : TagFields()) {
        if (HasOption(info)) valueOptions.push_back(info.option);
    }
    Arguments parsed(args, valueOptions, {"--no-picture", "--remove", "--drop-unconvertible"});
    const std::string& path = parsed.File();
    if (parsed.Has("--remove")) {
        if (args.size() != 2) throw UsageError{"--remove takes no field options"};
        return Remove(path);
    }
    int version = 3;
    if (parsed.Has("--id3v2-version")) {
        const std::string& asked = parsed.Value("--id3v2-version");
        if (asked != "3" && asked != "4") throw UsageError{"--id3v2-version takes 3 or 4"};
        version = asked == "4" ? 4 : 3;
    }
    Changes changes = ReadChanges(parsed);

    FileHandler file;
    if (!OpenFile(file, path)) return kExitFailure;
    if (!file.HasID3V2Tag()) return Create(file, changes, version);

    // A file with a tag: the values are copied into the file's ID3v2 tag and
    // saved through it, as the desktop program saves them. The tag keeps its
    // version (a version 2.2 tag becomes a version 2.3 tag).
    const ID3V2TagPtr existing = file.ID3V2Tag();
    const int major = existing->Version()->Minor();
    const int savedAs = major == 2 ? 3 : major;
    if (parsed.Has("--id3v2-version") && savedAs != version) {
        std::cerr << "korvel v2: note: --id3v2-version applies to new tags only; the file's ID3v2." << major
                  << " tag is saved as ID3v2." << savedAs << "\n";
    }
    if (!existing->canSave()) {
        std::cerr << "korvel v2: " << existing->LastError()->Stream() << "\n";
        return kExitFailure;
    }
    const std::vector<std::string> unconvertible = existing->UnconvertibleFrames();
    if (!unconvertible.empty()) {
        if (!parsed.Has("--drop-unconvertible")) {
            std::string ids;
            for (const std::string& id : unconvertible) ids += (ids.empty() ? "" : " ") + id;
            std::cerr << "korvel v2: the ID3v2.2 tag of '" << path
                      << "' is saved as an ID3v2.3 tag, which has no form for its frames " << ids
                      << "; nothing was written (--drop-unconvertible saves without them)\n";
            return kExitFailure;
        }
        existing->setDropUnconvertible(true);
    }
    changes.ApplyTo(*existing);
    if (!existing->saveTag()) {
        std::cerr << "korvel v2: " << existing->LastError()->Description() << "\n";
        return kExitFailure;
    }
    PrintNotes(existing->SaveNotes());
    return kExitOk;
}

}  // namespace korvel::cli
