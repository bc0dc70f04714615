#include <iostream>

#include "Cli.h"
#include "file/FileHandler.h"
#include "core/Numeric.h"
#include "id3v1/ID3V1Tag.h"

namespace korvel::cli {

namespace {

// Genre number from a number or a name (case-insensitive).
uint8_t ParseGenre(const ID3V1Tag& tag, const std::string& text) {
    if (std::optional<double> n = ParseNumber(text)) {
        std::optional<uint8_t> genre = ToByte(*n);
        if (!genre || *genre != *n) throw UsageError{"genre number must be 0 to 255"};
        return *genre;
    }
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const GenrePtr& genre : *tag.GenreList()) {
        if (lower(genre->Description()) == lower(text)) return static_cast<uint8_t>(genre->Num());
    }
    throw UsageError{"unknown genre '" + text + "' (see 'korvel genres')"};
}

}  // namespace

int RunV1(const std::vector<std::string>& args) {
    Arguments parsed(args,
                     {"--title", "--artist", "--album", "--year", "--comment", "--track", "--genre",
                      kCodePageOption},
                     {"--remove"});
    const std::string& path = parsed.File();
    if (parsed.Has(kCodePageOption)) UseCodePage(parsed.Value(kCodePageOption));

    FileHandler file;
    if (parsed.Has("--remove")) {
        if (parsed.Has("--title") || parsed.Has("--artist") || parsed.Has("--album") ||
            parsed.Has("--year") || parsed.Has("--comment") || parsed.Has("--track") ||
            parsed.Has("--genre")) {
            throw UsageError{"--remove takes no field options"};
        }
        file.SetFileName(path);
        if (!file.removeID3V1xTag()) {
            std::cerr << file.LastError()->Stream() << "\n";
            return kExitFailure;
        }
        return kExitOk;
    }

    // Check the command line before touching the file.
    std::optional<int16_t> track;
    if (parsed.Has("--track")) {
        std::optional<double> n = ParseNumber(parsed.Value("--track"));
        if (!n || *n != static_cast<int>(*n) || *n < 0 || *n > 255) {
            throw UsageError{"track must be a whole number from 0 to 255"};
        }
        track = static_cast<int16_t>(*n);
    }

    if (!OpenFile(file, path)) return kExitFailure;
    ID3V1TagPtr tag = file.ID3v1xTag();
    if (parsed.Has("--title")) tag->setTitle(parsed.Value("--title"));
    if (parsed.Has("--artist")) tag->setArtist(parsed.Value("--artist"));
    if (parsed.Has("--album")) tag->setAlbum(parsed.Value("--album"));
    if (parsed.Has("--year")) tag->setYear(parsed.Value("--year"));
    if (parsed.Has("--comment")) tag->setComment(parsed.Value("--comment"));
    if (parsed.Has("--genre")) tag->setGenre(ParseGenre(*tag, parsed.Value("--genre")));
    if (track) tag->setTrack(*track);
    tag->setTagType(tag->Track() > 0 ? ID3V11 : ID3v1);

    if (!file.writeID3v1xTag()) {
        std::cerr << file.LastError()->Stream() << "\n";
        return kExitFailure;
    }
    const CodePage page = file.WritingCodePage();
    if (const size_t replaced = tag->UnconvertibleCharacters(page); replaced > 0) {
        std::cerr << "korvel v1: " << replaced << (replaced == 1 ? " character" : " characters")
                  << " written as \"?\": " << page.Name() << " has no bytes for "
                  << (replaced == 1 ? "it" : "them") << "\n";
    }
    return kExitOk;
}

int RunGenres(const std::vector<std::string>& args) {
    Arguments parsed(args, {}, {});
    if (!parsed.Positional().empty()) throw UsageError{"no arguments expected"};
    ID3V1Tag tag;
    for (const GenrePtr& genre : *tag.GenreList()) {
        std::cout << genre->Num() << "\t" << genre->Description() << "\n";
    }
    return kExitOk;
}

}  // namespace korvel::cli
