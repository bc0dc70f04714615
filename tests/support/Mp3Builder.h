#pragma once
// Builds audio for tests: stand-in bytes, MPEG audio frames with a chosen
// header and an optional Xing (or "Info") or VBRI header in the first frame,
// the tags at a file's end (ID3v1, Lyrics3 v2.00), and whole files of ID3v2
// tag bytes, junk, frames and ID3v1 bytes.
//
//     test::Mp3Spec stream;                 // MPEG 1 Layer III, 128 kbit/s, 44100 Hz
//     stream.BitRate = 320;
//     stream.ChannelMode = 3;               // single channel
//     stream.Xing = test::XingSpec{"Xing", 3, 1000, 417000};
//     stream.ID3v2 = test::Tag(3, {}, 0, 100);   // 110-byte tag of padding
//     stream.ID3v1 = test::ID3v1Record("Title");
//     test::WriteFile(path, test::BuildMp3(stream));
//     // first frame header at test::FirstFrameOffset(stream)
//
// Nothing here checks that a combination is legal: a stream with a reserved
// version or a bit rate outside the table is built as asked (BitRateIndex and
// SamplingIndex set the raw header fields directly).
#include <cstdint>
#include <optional>
#include <string>

#include "core/Types.h"

namespace korvel::test {

// The VBR header of the first frame: Id, big-endian flags, then the frame
// count when flags bit 0 is set and the byte count when bit 1 is set, each
// present only with its flag (as encoders write them).
struct XingSpec {
    std::string Id = "Xing";  // lame writes "Info" into CBR files
    uint32_t Flags = 3;
    uint32_t Frames = 0;
    uint32_t Bytes = 0;
};

// Fraunhofer's VBR header, 32 bytes behind the first frame header in every
// layout: "VBRI", version 1, delay, quality, the byte count and the frame
// count, then an empty seek table.
struct VBRISpec {
    uint32_t Bytes = 0;
    uint32_t Frames = 0;
};

struct Mp3Spec {
    // Header fields. Version ids: 3 MPEG 1, 2 MPEG 2, 0 MPEG 2.5, 1 reserved.
    // Layer ids: 1 Layer III, 2 Layer II, 3 Layer I, 0 reserved.
    int VersionId = 3;
    int LayerId = 1;
    int BitRate = 128;       // kbit/s, looked up in the table of version and layer
    int BitRateIndex = -1;   // raw index 0..15; overrides BitRate when >= 0
    int Frequency = 44100;   // Hz, looked up in the table of the version
    int SamplingIndex = -1;  // raw index 0..3; overrides Frequency when >= 0
    int ChannelMode = 1;     // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int ModeExtension = 0;
    bool Padding = false;
    bool Crc = false;  // protection bit clear; two zero CRC bytes follow the header
    bool Private = false;
    bool Copyright = false;
    bool Original = false;
    int Emphasis = 0;

    int Frames = 10;               // how many frames
    bool Varying = false;          // frame data varies by frame and position (never FF) instead of silence
    std::optional<XingSpec> Xing;  // written into the first frame at XingOffset
    std::optional<VBRISpec> VBRI;  // written into the first frame at offset 36
    Bytes Junk;                    // between the ID3v2 bytes and the first frame
    Bytes ID3v2;                   // at the very start (see Tag in ID3V2Builder.h)
    Bytes ID3v1;                   // at the very end (see ID3v1Record)
};

// Table bit-rate index of a bit rate (kbit/s) for a version and layer; -1
// when the table has no such entry.
int BitRateIndexOf(int versionId, int layerId, int kbps);
// Sampling-rate index of a frequency for a version; -1 when not in the table.
int SamplingIndexOf(int versionId, int frequency);

// The header as a big-endian 32-bit value, and as its 4 bytes.
uint32_t HeaderValue(const Mp3Spec& stream);
Bytes HeaderBytes(const Mp3Spec& stream);

// Length in bytes of one frame as the MPEG audio standard defines it
// (samples per frame / 8 * bit rate / frequency, in 4-byte slots for
// Layer I, plus padding). Free-format and unknown rates give 417.
size_t FrameLength(const Mp3Spec& stream);

// Distance from a frame's first byte to its Xing header: 36 for MPEG 1 with
// two channels, 21 for MPEG 1 single channel and MPEG 2/2.5 with two
// channels, 13 for MPEG 2/2.5 single channel (the CRC does not move it).
size_t XingOffset(const Mp3Spec& stream);

// Offset of the first frame header in BuildMp3's output.
size_t FirstFrameOffset(const Mp3Spec& stream);

// Only the frames (the first one carries the Xing and VBRI headers when
// asked for; it is lengthened when too short to hold them).
Bytes BuildFrames(const Mp3Spec& stream);
// ID3v2 bytes, junk, frames and ID3v1 bytes, in that order.
Bytes BuildMp3(const Mp3Spec& stream);

// Frames of varying data (MPEG 1 Layer III, 128 kbit/s, 44100 Hz, joint
// stereo, original), so that bytes out of place show.
Bytes MpegAudio(int frames = 8);

// Bytes that stand in for audio and are no MPEG frames (no zero bytes, no
// FF, no tag identifier).
Bytes FakeAudio(size_t size);

// A Lyrics3 v2.00 field record: id, five-digit size, value.
std::string Lyrics3Field(const std::string& id, const std::string& value);
// A Lyrics3 v2.00 tag: "LYRICSBEGIN", the field records as given, the
// six-digit size of both and "LYRICS200".
Bytes Lyrics3Tag(const std::string& fields);

// A 128-byte ID3v1 record ("TAG", title, artist, album, year, comment,
// genre); a track above 0 makes it ID3v1.1 (28-byte comment, zero, track).
Bytes ID3v1Record(const std::string& title, const std::string& artist = "",
                  const std::string& album = "", const std::string& year = "",
                  const std::string& comment = "", uint8_t track = 0, uint8_t genre = 255);

}  // namespace korvel::test
