#pragma once
// The enumerations the library publishes for the updatable ID3v2.3 tag, and
// the frame table that names every frame type. The values are the library's
// own; id3lib numbers its frames differently, and the binding translates.
#include <cstdint>
#include <string>

#include "id3v230/TagValue.h"

namespace korvel {

enum ID3_FrameID : int32_t {
    ID3FID_NOFRAME = 0,
    ID3FID_AUDIOCRYPTO = 1,
    ID3FID_PICTURE = 2,
    ID3FID_COMMENT = 3,
    ID3FID_COMMERCIAL = 4,
    ID3FID_CRYPTOREG = 5,
    ID3FID_EQUALIZATION = 6,
    ID3FID_EVENTTIMING = 7,
    ID3FID_GENERALOBJECT = 8,
    ID3FID_GROUPINGREG = 9,
    ID3FID_INVOLVEDPEOPLE = 10,
    ID3FID_LINKEDINFO = 11,
    ID3FID_CDID = 12,
    ID3FID_MPEGLOOKUP = 13,
    ID3FID_OWNERSHIP = 14,
    ID3FID_PRIVATE = 15,
    ID3FID_PLAYCOUNTER = 16,
    ID3FID_POPULARIMETER = 17,
    ID3FID_POSITIONSYNC = 18,
    ID3FID_BUFFERSIZE = 19,
    ID3FID_VOLUMEADJ = 20,
    ID3FID_REVERB = 21,
    ID3FID_SYNCEDLYRICS = 22,
    ID3FID_SYNCEDTEMPO = 23,
    ID3FID_ALBUM = 24,
    ID3FID_BPM = 25,
    ID3FID_COMPOSER = 26,
    ID3FID_CONTENTTYPE = 27,
    ID3FID_COPYRIGHT = 28,
    ID3FID_DATE = 29,
    ID3FID_PLAYLISTDELAY = 30,
    ID3FID_ENCODEDBY = 31,
    ID3FID_LYRICIST = 32,
    ID3FID_FILETYPE = 33,
    ID3FID_TIME = 34,
    ID3FID_CONTENTGROUP = 35,
    ID3FID_TITLE = 36,
    ID3FID_SUBTITLE = 37,
    ID3FID_INITIALKEY = 38,
    ID3FID_LANGUAGE = 39,
    ID3FID_SONGLEN = 40,
    ID3FID_MEDIATYPE = 41,
    ID3FID_ORIGALBUM = 42,
    ID3FID_ORIGFILENAME = 43,
    ID3FID_ORIGLYRICIST = 44,
    ID3FID_ORIGARTIST = 45,
    ID3FID_ORIGYEAR = 46,
    ID3FID_FILEOWNER = 47,
    ID3FID_LEADARTIST = 48,
    ID3FID_BAND = 49,
    ID3FID_CONDUCTOR = 50,
    ID3FID_MIXARTIST = 51,
    ID3FID_PARTINSET = 52,
    ID3FID_PUBLISHER = 53,
    ID3FID_TRACKNUM = 54,
    ID3FID_RECORDINGDATES = 55,
    ID3FID_NETRADIOSTATION = 56,
    ID3FID_NETRADIOOWNER = 57,
    ID3FID_SIZE = 58,
    ID3FID_ISRC = 59,
    ID3FID_ENCODERSETTINGS = 60,
    ID3FID_USERTEXT = 61,
    ID3FID_YEAR = 62,
    ID3FID_UNIQUEFILEID = 63,
    ID3FID_TERMSOFUSE = 64,
    ID3FID_UNSYNCEDLYRICS = 65,
    ID3FID_WWWCOMMERCIALINFO = 66,
    ID3FID_WWWCOPYRIGHT = 67,
    ID3FID_WWWAUDIOFILE = 68,
    ID3FID_WWWARTIST = 69,
    ID3FID_WWWAUDIOSOURCE = 70,
    ID3FID_WWWRADIOPAGE = 71,
    ID3FID_WWWPAYMENT = 72,
    ID3FID_WWWPUBLISHER = 73,
    ID3FID_WWWUSER = 74,
    ID3FID_METACRYPTO = 75,
    ID3FID_METACOMPRESSION = 76,
    ID3EZFID_Artist = 48,
    ID3EZFID_Genre = 27,
};

enum ID3_FieldID : int32_t {
    ID3FN_NOFIELD = 0,
    ID3FN_TEXTENC = 1,
    ID3FN_TEXT = 2,
    ID3FN_URL = 3,
    ID3FN_DATA = 4,
    ID3FN_DESCRIPTION = 5,
    ID3FN_OWNER = 6,
    ID3FN_EMAIL = 7,
    ID3FN_RATING = 8,
    ID3FN_FILENAME = 9,
    ID3FN_LANGUAGE = 10,
    ID3FN_PICTURETYPE = 11,
    ID3FN_IMAGEFORMAT = 12,
    ID3FN_MIMETYPE = 13,
    ID3FN_COUNTER = 14,
    ID3FN_ID = 15,
    ID3FN_VOLUMEADJ = 16,
    ID3FN_NUMBITS = 17,
    ID3FN_VOLCHGRIGHT = 18,
    ID3FN_VOLCHGLEFT = 19,
    ID3FN_PEAKVOLRIGHT = 20,
    ID3FN_PEAKVOLLEFT = 21,
    ID3FN_TIMESTAMPFORMAT = 22,
    ID3FN_CONTENTTYPE = 23,
    ID3FN_LASTFIELDID = 24,
};

enum ID3_FieldType : int32_t {
    ID3FTY_NONE = -1,
    ID3FTY_INTEGER = 0,
    ID3FTY_BINARY = 1,
    ID3FTY_TEXTSTRING = 2,
    ID3FTY_NUMTYPES = 3,
};

enum ID3_TagType : int32_t {
    ID3TT_NONE = 0,
    ID3TT_ID3V1 = 1,
    ID3TT_ID3V2 = 2,
    ID3TT_LYRICS3 = 4,
    ID3TT_LYRICS3V2 = 8,
    ID3TT_MUSICMATCH = 16,
    ID3TT_LYRICS = 4,
    ID3TT_ID3 = 3,
    ID3TT_ALL = -1,
    ID3TT_PREPENDED = 2,
    ID3TT_APPENDED = -3,
};

enum enumShortOrLongText : int32_t {
    eslSHORT = 1,
    eslLONG = 2,
};

// The abbreviation (eslSHORT) or the title (eslLONG) of a frame type from the
// frame table: a string value ("" for a value the table lacks); any other kind
// gives an empty value.
TagValue FrameInfo(int32_t type, int32_t kind);

// The frame type whose abbreviation is the given four characters;
// ID3FID_NOFRAME when none has it. The two frame types whose abbreviation is
// four blanks are never found this way.
ID3_FrameID FrameIDFromAbbr(const std::string& abbr);

// Number of entries of the frame table with values 0 and up (0 to 76).
inline constexpr int32_t kFrameTableSize = 77;

}  // namespace korvel
