#include <array>

#include "id3v230/ID3Enumerations.h"

namespace korvel {

namespace {

struct FrameEntry {
    const char* abbr;
    const char* title;
};

// Indexed by the frame type value.
constexpr std::array<FrameEntry, kFrameTableSize> kFrames = {{
    {"????", "No known frame"},
    {"AENC", "Audio encryption"},
    {"APIC", "Attached picture"},
    {"COMM", "Comments"},
    {"COMR", "Commercial frame"},
    {"ENCR", "Encryption method registration"},
    {"EQUA", "Equalization"},
    {"ETCO", "Event timing codes"},
    {"GEOB", "General encapsulated object"},
    {"GRID", "Group identification registration"},
    {"IPLS", "Involved people list"},
    {"LINK", "Linked information"},
    {"MCDI", "Music CD identifier"},
    {"MLLT", "MPEG location lookup table"},
    {"OWNE", "Ownership frame"},
    {"PRIV", "Private frame"},
    {"PCNT", "Play counter"},
    {"POPM", "Popularimeter"},
    {"POSS", "Position synchronisation frame"},
    {"RBUF", "Recommended buffer size"},
    {"RVAD", "Relative volume adjustment"},
    {"RVRB", "Reverb"},
    {"SYLT", "Synchronized lyric/text"},
    {"SYTC", "Synchronized tempo codes"},
    {"TALB", "Album/Movie/Show title"},
    {"TBPM", "BPM (beats per minute)"},
    {"TCOM", "Composer"},
    {"TCON", "Content type"},
    {"TCOP", "Copyright message"},
    {"TDAT", "Date"},
    {"TDLY", "Playlist delay"},
    {"TENC", "Encoded by"},
    {"TEXT", "Lyricist/Text writer"},
    {"TFLT", "File type"},
    {"TIME", "Time"},
    {"TIT1", "Content group description"},
    {"TIT2", "Title/songname/content description"},
    {"TIT3", "Subtitle/Description refinement"},
    {"TKEY", "Initial key"},
    {"TLAN", "Language(s)"},
    {"TLEN", "Length"},
    {"TMED", "Media type"},
    {"TOAL", "Original album/movie/show title"},
    {"TOFN", "Original filename"},
    {"TOLY", "Original lyricist(s)/text writer(s)"},
    {"TOPE", "Original artist(s)/performer(s)"},
    {"TORY", "Original release year"},
    {"TOWN", "File owner/licensee"},
    {"TPE1", "Lead performer(s)/Soloist(s)"},
    {"TPE2", "Band/orchestra/accompaniment"},
    {"TPE3", "Conductor/performer refinement"},
    {"TPE4", "Interpreted, remixed, or otherwise modified by"},
    {"TPOS", "Part of a set"},
    {"TPUB", "Publisher"},
    {"TRCK", "Track number/Position in set"},
    {"TRDA", "Recording dates"},
    {"TRSN", "Internet radio station name"},
    {"TRSO", "Internet radio station owner"},
    {"TSIZ", "Size"},
    {"TSRC", "ISRC (international standard recording code)"},
    {"TSSE", "Software/Hardware and settings used for encoding"},
    {"TXXX", "User defined text information"},
    {"TYER", "Year"},
    {"UFID", "Unique file identifier"},
    {"USER", "Terms of use"},
    {"USLT", "Unsynchronized lyric/text transcription"},
    {"WCOM", "Commercial information"},
    {"WCOP", "Copyright/Legal infromation"},
    {"WOAF", "Official audio file webpage"},
    {"WOAR", "Official artist/performer webpage"},
    {"WOAS", "Official audio source webpage"},
    {"WORS", "Official internet radio station homepage"},
    {"WPAY", "Payment"},
    {"WPUB", "Official publisher webpage"},
    {"WXXX", "User defined URL link"},
    {"    ", "Encrypted meta frame (id3v2.2.x)"},
    {"    ", "Compressed meta frame (id3v2.2.1)"},
}};

}  // namespace

TagValue FrameInfo(int32_t type, int32_t kind) {
    if (kind != eslSHORT && kind != eslLONG) return TagValue();
    FrameEntry entry{"", ""};
    if (type >= 0 && type < kFrameTableSize) {
        entry = kFrames[static_cast<size_t>(type)];
    } else if (type == -1) {
        // The table carries the lead artist a second time under -1.
        entry = kFrames[ID3FID_LEADARTIST];
    }
    return TagValue(kind == eslSHORT ? entry.abbr : entry.title);
}

ID3_FrameID FrameIDFromAbbr(const std::string& abbr) {
    if (abbr.size() != 4 || abbr == "    " || abbr == "????") return ID3FID_NOFRAME;
    for (int32_t type = 1; type < kFrameTableSize; ++type) {
        if (abbr == kFrames[static_cast<size_t>(type)].abbr) return static_cast<ID3_FrameID>(type);
    }
    return ID3FID_NOFRAME;
}

}  // namespace korvel
