#pragma once
// Files tagged as writers of the 2000s tagged them: artist, title and album
// in the writer's own code page, in the ID3v1 record, in ID3v2.3 text frames
// of encoding 0 and (when asked for) in a Lyrics3 v2.00 tag. The bytes are
// made with iconv here, independently of the library's CodePage.
#include <string>
#include <vector>

#include "core/Types.h"

namespace korvel::test {

struct Song {
    std::string artist;
    std::string title;
    std::string album;
};

// Realistic names of one language and the code page its writers used: the
// library's name for it and the iconv name the bytes are made with.
struct LegacyLanguage {
    std::string page;
    std::string charset;
    std::vector<Song> songs;
};

// Windows-1251, KOI8-R, Windows-1250, 1253, 1254, 1257, Shift_JIS, GBK,
// Big5 and EUC-KR, then Windows-1252 with accented Latin names (French,
// German, Spanish, Portuguese, Scandinavian, ...).
const std::vector<LegacyLanguage>& LegacyLanguages();

// The text in the charset, as many whole characters as fit in `limit` bytes;
// `fitted`, when given, receives the UTF-8 of the characters that fit.
std::string InCharset(const std::string& utf8, const std::string& charset,
                      size_t limit = std::string::npos, std::string* fitted = nullptr);

// An MP3 file of the song: an ID3v2.3 tag with TPE1, TIT2 and TALB in
// encoding 0, audio, a Lyrics3 v2.00 tag with EAR, ETT and EAL when
// `lyrics3` is true, and an ID3v1 record; every text in the charset.
Bytes LegacyTaggedMp3(const Song& song, const std::string& charset, bool lyrics3);

}  // namespace korvel::test
