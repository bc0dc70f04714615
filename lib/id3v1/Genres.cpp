#include "id3v1/Genres.h"

#include <array>

#include "core/Numeric.h"

namespace korvel {

namespace {

// Names of the genres 0 to 147.
constexpr std::array<const char*, 148> kNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro -Techno",
    "Ambient", "Trip -Hop", "Vocal", "Jazz Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "Alternative Rock", "Bass", "Soul",
    "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno -Industrial", "Electronic", "Pop -Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native US", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo -Fi",
    "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Folk", "Folk -Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Accoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "BootyBass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhytmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Trash Metal", "Anime", "Jpop", "Synthpop"};

constexpr const char* kUndefined = "<Undefined>";

}  // namespace

Genres::Genres() {
    for (size_t n = 0; n < kNames.size(); ++n) {
        AddGenre(kNames[n], static_cast<int16_t>(n), std::to_string(n));
    }
    AddGenre(kUndefined, 255, "255");
}

const std::shared_ptr<const Genres>& Genres::Standard() {
    static const std::shared_ptr<const Genres> list = std::make_shared<const Genres>();
    return list;
}

std::string Genres::NameOf(int number) {
    if (number >= 0 && number < static_cast<int>(kNames.size())) return kNames[number];
    if (number == 255) return kUndefined;
    return "";
}

GenrePtr Genres::AddGenre(const std::string& description, int16_t number,
                          const std::string& key) {
    auto genre = std::make_shared<Genre>();
    genre->SetDescription(description);
    genre->setNum(number);
    m_list.Add(genre, key);
    return genre;
}

GenrePtr Genres::NotDefined(double value, const std::string& text) {
    std::optional<int16_t> n = ToInt16(value);
    if (!n || *n > 255 || *n < 0) return nullptr;
    auto genre = std::make_shared<Genre>();
    genre->setNum(*n);
    genre->SetDescription("<Not defined (" + text + ")>");
    return genre;
}

GenrePtr Genres::Item(const std::string& key) const {
    if (GenrePtr found = m_list.Item(key)) return found;
    std::optional<double> value = ParseNumber(key);
    return value ? NotDefined(*value, key) : nullptr;
}

GenrePtr Genres::Item(int32_t position) const {
    if (GenrePtr found = m_list.Item(position)) return found;
    return NotDefined(position, std::to_string(position));
}

}  // namespace korvel
