#include "core/CodePageDetection.h"

#include <locale.h>
#include <uchardet/uchardet.h>
#include <wctype.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "core/Ansi.h"

namespace korvel {

namespace {

// The alphabets a word's letters can belong to.
enum Script : unsigned {
    kLatin = 1,
    kGreek = 2,
    kCyrillic = 4,
    kKana = 8,
    kHan = 16,
    kHangul = 32,
    kHalfwidthKana = 64,
    kOther = 128,
};

bool InRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

Script ScriptOf(char32_t c) {
    if (c < 0x80 || InRange(c, 0xC0, 0x24F) || InRange(c, 0x1E00, 0x1EFF)) return kLatin;
    if (InRange(c, 0x370, 0x3FF)) return kGreek;
    if (InRange(c, 0x400, 0x52F)) return kCyrillic;
    if (InRange(c, 0xFF66, 0xFF9F)) return kHalfwidthKana;
    if (InRange(c, 0x3040, 0x30FF) || InRange(c, 0x31F0, 0x31FF)) return kKana;
    if (InRange(c, 0x3005, 0x3007) || InRange(c, 0x3400, 0x4DBF) || InRange(c, 0x4E00, 0x9FFF) ||
        InRange(c, 0xF900, 0xFAFF)) {
        return kHan;
    }
    if (InRange(c, 0xAC00, 0xD7A3) || InRange(c, 0x1100, 0x11FF) || InRange(c, 0x3130, 0x318F)) {
        return kHangul;
    }
    return kOther;
}

// Character classes of the C.UTF-8 locale (built into glibc), whatever the
// process's own locale is.
locale_t Utf8Locale() {
    static const locale_t locale = [] {
        const locale_t none = static_cast<locale_t>(nullptr);
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", none);
        return l != none ? l : newlocale(LC_CTYPE_MASK, "C.utf8", none);
    }();
    return locale;
}

bool IsLetter(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const locale_t locale = Utf8Locale();
    if (locale == static_cast<locale_t>(nullptr)) return ScriptOf(c) != kOther;
    return iswalpha_l(static_cast<wint_t>(c), locale) != 0;
}

bool IsUpper(char32_t c) {
    const locale_t locale = Utf8Locale();
    return locale != static_cast<locale_t>(nullptr) && iswupper_l(static_cast<wint_t>(c), locale) != 0;
}

bool IsLower(char32_t c) {
    const locale_t locale = Utf8Locale();
    return locale != static_cast<locale_t>(nullptr) && iswlower_l(static_cast<wint_t>(c), locale) != 0;
}

bool IsDigit(char32_t c) { return (c >= '0' && c <= '9') || InRange(c, 0xFF10, 0xFF19); }

// What separates words: ASCII other than letters and digits, spaces, and the
// punctuation that stands between or around words (quotes, dashes, the
// ellipsis, CJK and full-width punctuation). Other symbols (°, ±, ¤, ³, ...)
// are part of the word they stand in. The middle dot separates the parts of
// foreign names in Chinese; in Latin and Greek text it does not stand
// between letters.
bool IsSeparator(char32_t c, bool twoByte) {
    if (c < 0x80) return !IsLetter(c) && !IsDigit(c);
    if (c == 0xB7) return twoByte;
    static constexpr char32_t kSingles[] = {0xA0, 0xA1, 0xAB, 0xBB, 0xBF, 0x30FB};
    if (std::find(std::begin(kSingles), std::end(kSingles), c) != std::end(kSingles)) return true;
    return InRange(c, 0x2010, 0x2027) || InRange(c, 0x2030, 0x203A) || InRange(c, 0x3000, 0x3004) ||
           InRange(c, 0x3008, 0x301F) || InRange(c, 0xFF01, 0xFF0F) || InRange(c, 0xFF1A, 0xFF20) ||
           InRange(c, 0xFF3B, 0xFF40) || InRange(c, 0xFF5B, 0xFF65);
}

// Whether a two-byte character belongs to the part of its national standard
// that holds the frequent characters: punctuation, kana, the Korean
// syllables and the first level of ideographs (GB 2312 level 1, Big5's
// frequently used characters, JIS X 0208 level 1). Tag texts of a few words
// cannot tell the Chinese, Japanese and Korean code pages apart by their
// validity alone; read in the wrong one, their characters land anywhere.
bool InByteRange(uint8_t b, uint8_t first, uint8_t last) { return b >= first && b <= last; }

bool FrequentShiftJis(uint8_t lead, uint8_t trail) {
    const unsigned code = lead * 256u + trail;
    return (InByteRange(trail, 0x40, 0x7E) || InByteRange(trail, 0x80, 0xFC)) &&
           (lead == 0x81 || lead == 0x82 || (lead == 0x83 && trail <= 0x96) || (code >= 0x889F && code <= 0x9872));
}
bool FrequentGbk(uint8_t lead, uint8_t trail) {
    return InByteRange(trail, 0xA1, 0xFE) && (InByteRange(lead, 0xA1, 0xA3) || InByteRange(lead, 0xB0, 0xD7));
}
bool FrequentBig5(uint8_t lead, uint8_t trail) {
    return (InByteRange(trail, 0x40, 0x7E) || InByteRange(trail, 0xA1, 0xFE)) && InByteRange(lead, 0xA1, 0xC6);
}
bool FrequentEucKr(uint8_t lead, uint8_t trail) {
    return InByteRange(trail, 0xA1, 0xFE) && (InByteRange(lead, 0xA1, 0xA3) || InByteRange(lead, 0xB0, 0xC8));
}

// How many characters a two-byte page counts as frequent. Text read in the
// wrong one of two pages that both find only frequent characters in it is
// more likely to land in the larger set by chance: the smaller set (Korean
// syllables rather than the first level of Chinese ideographs, which use
// the same bytes) is the better explanation.
size_t FrequentSetSize(bool (*frequent)(uint8_t, uint8_t)) {
    size_t count = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (frequent(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail))) ++count;
        }
    }
    return count;
}

// Different characters beyond ASCII from which the size of the frequent sets
// counts.
constexpr size_t kSpecificChars = 8;

// What a detectable code page is for: the alphabets of its letters beyond
// ASCII and, for the two-byte pages, its frequent characters.
struct Profile {
    const char* name;
    unsigned scripts;
    bool (*frequent)(uint8_t lead, uint8_t trail);
};

constexpr Profile kProfiles[] = {
    {"windows-1252", kLatin, nullptr},
    {"windows-1250", kLatin, nullptr},
    {"windows-1251", kCyrillic, nullptr},
    {"windows-1253", kGreek, nullptr},
    {"windows-1254", kLatin, nullptr},
    {"windows-1257", kLatin, nullptr},
    {"koi8-r", kCyrillic, nullptr},
    {"shift_jis", kKana | kHan | kHalfwidthKana, FrequentShiftJis},
    {"gbk", kHan, FrequentGbk},
    {"big5", kHan, FrequentBig5},
    {"euc-kr", kHangul | kHan, FrequentEucKr},
};

// A word (with a letter outside ASCII) that text in the code page would not
// hold: a symbol among its letters; a letter of another alphabet than the
// page's; two alphabets beyond ASCII (kana and Han together only in
// Japanese); Cyrillic or Greek beside ASCII letters; more than one change
// between ASCII and the rest; a capital after a small letter where one of
// them is not ASCII; or, for the Latin pages, three letters and more none of
// which is ASCII (what Cyrillic and Greek text looks like read as Latin).
bool IsOddWord(std::u32string_view word, const Profile& profile) {
    unsigned wide = 0;  // the alphabet of the letters beyond ASCII
    int runs = 0;
    bool previousAscii = false;
    int letters = 0;
    int asciiLetters = 0;
    bool previousLower = false;
    char32_t previous = 0;
    for (char32_t c : word) {
        if (IsDigit(c)) continue;
        if (!IsLetter(c)) return true;
        const bool ascii = c < 0x80;
        if (!ascii) {
            unsigned script = ScriptOf(c);
            if ((script & profile.scripts) == 0) return true;
            if (script == kKana && (profile.scripts & kKana) != 0) script = kHan;
            if (wide != 0 && wide != script) return true;
            wide = script;
        }
        if (letters == 0 || ascii != previousAscii) ++runs;
        previousAscii = ascii;
        ++letters;
        if (ascii) ++asciiLetters;
        if (IsUpper(c) && previousLower && (!ascii || previous >= 0x80)) return true;
        previousLower = IsLower(c);
        previous = c;
    }
    if (profile.scripts == kLatin) return wide != 0 && letters >= 3 && asciiLetters == 0;
    if (asciiLetters > 0 && (wide == kCyrillic || wide == kGreek)) return true;
    return runs > 2;
}

// One code page's reading of the texts.
struct Reading {
    const Profile* profile = nullptr;
    int words = 0;  // words with a character outside ASCII
    int odd = 0;    // of those, the words IsOddWord finds
    // Of the characters beyond ASCII, the share of frequent ones (1 for the
    // single-byte pages).
    double frequent = 1;
    size_t distinctWide = 0;  // two-byte pages: different characters beyond ASCII
};

// The reading, or nothing when a byte does not read as a character (or as a
// control character).
std::optional<Reading> Read(const Profile& profile, const std::vector<std::string>& texts) {
    const CodePage page = CodePage::Named(profile.name).value_or(CodePage());
    Reading reading;
    reading.profile = &profile;
    int wideChars = 0;
    int frequentChars = 0;
    std::set<unsigned> distinct;
    const bool twoByte = profile.frequent != nullptr;
    for (const std::string& text : texts) {
        const std::u32string chars = Utf8ToUtf32(page.Decode(text));
        for (char32_t c : chars) {
            if (c == 0xFFFD || (c < 0x20 && c != 0 && c != '\t' && c != '\n' && c != '\r') ||
                InRange(c, 0x7F, 0x9F)) {
                return std::nullopt;
            }
        }
        size_t i = 0;
        while (i < chars.size()) {
            if (chars[i] == 0 || IsSeparator(chars[i], twoByte)) {
                ++i;
                continue;
            }
            size_t end = i;
            bool ascii = true;
            while (end < chars.size() && chars[end] != 0 && !IsSeparator(chars[end], twoByte)) {
                ascii = ascii && chars[end] < 0x80;
                ++end;
            }
            if (!ascii) {
                ++reading.words;
                if (IsOddWord(std::u32string_view(chars).substr(i, end - i), profile)) ++reading.odd;
            }
            i = end;
        }
        if (profile.frequent == nullptr) continue;
        for (size_t k = 0; k < text.size();) {
            const auto lead = static_cast<uint8_t>(text[k]);
            if (lead < 0x80) {
                ++k;
                continue;
            }
            ++wideChars;
            // Shift_JIS has one-byte half-width kana.
            const bool single = profile.frequent == FrequentShiftJis && lead >= 0xA1 && lead <= 0xDF;
            if (!single && k + 1 < text.size()) {
                const auto trail = static_cast<uint8_t>(text[k + 1]);
                distinct.insert(lead * 256u + trail);
                if (profile.frequent(lead, trail)) ++frequentChars;
            }
            k += single ? 1 : 2;
        }
    }
    if (wideChars > 0) reading.frequent = static_cast<double>(frequentChars) / wideChars;
    reading.distinctWide = distinct.size();
    return reading;
}

// The detectable code page a detector's name stands for: the page itself, or
// the Windows page of the same languages for an ISO, DOS or Mac page.
std::optional<std::string> Detectable(const std::string& detectorName) {
    static const std::map<std::string, std::string> kFamilies = {
        {"ascii", "windows-1252"},       {"iso-8859-1", "windows-1252"},
        {"iso-8859-15", "windows-1252"}, {"windows-1252", "windows-1252"},
        {"iso-8859-2", "windows-1250"},  {"ibm852", "windows-1250"},
        {"mac-centraleurope", "windows-1250"}, {"iso-8859-16", "windows-1250"},
        {"windows-1250", "windows-1250"},
        {"iso-8859-5", "windows-1251"},  {"ibm855", "windows-1251"},
        {"ibm866", "windows-1251"},      {"mac-cyrillic", "windows-1251"},
        {"windows-1251", "windows-1251"}, {"koi8-r", "koi8-r"},
        {"iso-8859-7", "windows-1253"},  {"windows-1253", "windows-1253"},
        {"iso-8859-3", "windows-1254"},  {"iso-8859-9", "windows-1254"},
        {"windows-1254", "windows-1254"},
        {"iso-8859-4", "windows-1257"},  {"iso-8859-13", "windows-1257"},
        {"windows-1257", "windows-1257"},
        {"shift_jis", "shift_jis"},      {"cp932", "shift_jis"},
        {"gb18030", "gbk"},              {"gb2312", "gbk"},  {"gbk", "gbk"},
        {"big5", "big5"},
        {"euc-kr", "euc-kr"},            {"uhc", "euc-kr"},  {"cp949", "euc-kr"},
    };
    std::string lower;
    for (char c : detectorName) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const auto found = kFamilies.find(lower);
    if (found == kFamilies.end()) return std::nullopt;
    return found->second;
}

}  // namespace

const std::vector<std::string>& DetectableCodePages() {
    static const std::vector<std::string> pages = [] {
        std::vector<std::string> names;
        for (const Profile& profile : kProfiles) names.emplace_back(profile.name);
        return names;
    }();
    return pages;
}

CodePage ChooseCodePage(const std::vector<std::string>& texts, const std::vector<std::string>& guesses) {
    const bool ascii = std::all_of(texts.begin(), texts.end(), [](const std::string& text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
    });
    if (ascii) return CodePage();

    std::vector<Reading> readings;
    for (const Profile& profile : kProfiles) {
        if (std::optional<Reading> reading = Read(profile, texts)) readings.push_back(*reading);
    }
    // Another alphabet than Latin only for texts that Windows-1252 does not
    // read as plain text.
    const bool westernReadsWell = !readings.empty() && readings.front().profile == &kProfiles[0] &&
                                  readings.front().odd == 0;
    std::erase_if(readings, [&](const Reading& r) {
        return (westernReadsWell && r.profile->scripts != kLatin) || 3 * r.odd > r.words;
    });
    if (readings.empty()) return CodePage();

    // The plausible readings: the fewest odd words, then the most frequent
    // characters.
    const int fewest = std::min_element(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
                           return a.odd < b.odd;
                       })->odd;
    std::erase_if(readings, [&](const Reading& r) { return r.odd > fewest; });
    const double most = std::max_element(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
                            return a.frequent < b.frequent;
                        })->frequent;
    std::erase_if(readings, [&](const Reading& r) { return r.frequent < most; });
    // Two-byte readings that find only frequent characters: with a few
    // characters and more, the one with the smaller set of them.
    size_t smallest = static_cast<size_t>(-1);
    for (const Reading& r : readings) {
        if (r.profile->frequent != nullptr && r.distinctWide >= kSpecificChars && most == 1) {
            smallest = std::min(smallest, FrequentSetSize(r.profile->frequent));
        }
    }
    std::erase_if(readings, [&](const Reading& r) {
        return r.profile->frequent != nullptr && smallest != static_cast<size_t>(-1) &&
               FrequentSetSize(r.profile->frequent) > smallest;
    });

    auto plausible = [&](const std::string& name) {
        return std::any_of(readings.begin(), readings.end(),
                           [&](const Reading& r) { return name == r.profile->name; });
    };
    for (const std::string& guess : guesses) {
        const std::optional<std::string> name = Detectable(guess);
        if (!name || !plausible(*name)) continue;
        // The detector judged its own code page's reading; it speaks for the
        // Windows page of the same languages only where both read alike.
        const CodePage page = CodePage::Named(*name).value_or(CodePage());
        const std::optional<CodePage> guessed = CodePage::Named(guess);
        if (guessed && !(*guessed == page)) {
            const bool alike = std::all_of(texts.begin(), texts.end(), [&](const std::string& text) {
                return guessed->Decode(text) == page.Decode(text);
            });
            if (!alike) continue;
        }
        return page;
    }
    if (readings.size() == 1) return CodePage::Named(readings.front().profile->name).value_or(CodePage());
    return CodePage();
}

CodePage DetectCodePage(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        joined += text;
        joined += '\n';
    }
    std::vector<std::string> guesses;
    if (uchardet_t detector = uchardet_new()) {
        if (uchardet_handle_data(detector, joined.data(), joined.size()) == 0) {
            uchardet_data_end(detector);
            if (const char* charset = uchardet_get_charset(detector); charset && *charset) {
                guesses.emplace_back(charset);
            }
        }
        uchardet_delete(detector);
    }
    return ChooseCodePage(texts, guesses);
}

}  // namespace korvel
