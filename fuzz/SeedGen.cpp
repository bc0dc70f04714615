// Writes the fuzz targets' generated seeds: small MP3 files with tags of
// every version and frame kind (built with the test builders), Lyrics3 and
// ID3v1 tails, and the XML descriptions of these files and of the files
// given on the command line.
//
//     korvel-fuzz-seeds OUT_FOLDER [MP3_FILE...]
//
// writes OUT_FOLDER/files/* and OUT_FOLDER/xml/*.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "file/FileHandler.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

namespace {

using korvel::Bytes;
using namespace korvel::test;

Bytes Str(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<std::pair<std::string, Bytes>> BuildSeeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    const Bytes audio = MpegAudio(3);
    const Bytes v1 = ID3v1Record("Title", "Artist", "Album", "2001", "Comment", 7, 12);
    const Bytes comm = CommData("eng", "desc", "comment text");
    const Bytes apic = Concat({B("\0image/bmp\0\x03", 12), B("cover\0", 6), TinyBmp()});
    const Bytes text = Str("Some title");
    const Bytes compressedTitle = Concat({BigEndian32(static_cast<uint32_t>(text.size() + 1)),
                                          Zlib(Concat({B("\0", 1), text}))});

    // Version 2.3: every frame kind and frame flag.
    seeds.emplace_back("v23-frames", Concat({Tag(3, Concat({Frame23("TIT2", Latin1("Title")),
                                                    Frame23("TPE1", Utf16Text("Artist \xC3\xA9")),
                                                    Frame23("TCON", Latin1("(12)Other")),
                                                    Frame23("TRCK", Latin1("3/11")),
                                                    Frame23("TYER", Latin1("1999")),
                                                    Frame23("COMM", comm),
                                                    Frame23("USLT", comm),
                                                    Frame23("WXXX", Concat({B("\0d\0", 3), Str("http://x")})),
                                                    Frame23("PCNT", BigEndian32(12345)),
                                                    Frame23("APIC", apic)}), 0, 64),
                                             audio, v1}));
    seeds.emplace_back("v23-compressed",
                       Concat({Tag(3, Concat({Frame23("TIT2", compressedTitle, 0, 0x80),
                                      Frame23("TALB", Concat({B("\x01", 1), Latin1("x")}), 0, 0x40),
                                      Frame23("TPE1", Concat({B("\x05", 1), Latin1("Grouped")}), 0, 0x20)})),
                               audio}));
    TagLayout unsynchronised;
    unsynchronised.Unsynchronise = true;
    seeds.emplace_back("v23-unsync", Concat({Tag(3, Concat({Frame23("TIT2", Utf16Text("\xC3\xBF\xC3\xBF")), Frame23("APIC", apic)}),
                                                 unsynchronised),
                                             audio}));
    TagLayout extended23;
    extended23.ExtendedHeader = Concat({BigEndian32(6), Bytes(6, 0)});
    extended23.Padding = 16;
    seeds.emplace_back("v23-extended", Concat({Tag(3, Frame23("TIT2", Latin1("Ext")), extended23), audio}));
    // Version 2.4: data length indicator, frame unsynchronisation, footer.
    seeds.emplace_back("v24-frames",
                       Concat({Tag(4, Concat({Frame24("TIT2", Text(3, Str("UTF-8 \xE2\x82\xAC"))),
                                              Frame24("TPE1", Text(2, B("\0A\0b", 4))),
                                              Frame24("TALB", Concat({Syncsafe32(static_cast<uint32_t>(text.size() + 1)),
                                                                      Zlib(Concat({B("\0", 1), text}))}),
                                                      0, 0x09),
                                              Frame24("TCON", Concat({B("\x10", 1), Latin1("Rock")}), 0, 0x40),
                                              Frame24("TRCK", Unsynchronise(Latin1("\xFF\x00 1")), 0, 0x02),
                                              Frame24("APIC", apic)}),
                               0, 32),
                               audio, v1}));
    TagLayout footer;
    footer.Footer = true;
    seeds.emplace_back("v24-footer", Concat({Tag(4, Frame24("TIT2", Latin1("Footer")), footer), audio}));
    TagLayout extended24;
    extended24.ExtendedHeader = Concat({Syncsafe32(6), B("\x01\x00", 2)});
    seeds.emplace_back("v24-extended", Concat({Tag(4, Frame24("TIT2", Latin1("Ext")), extended24), audio}));
    // Version 2.2.
    seeds.emplace_back("v22-frames", Concat({Tag(2, Concat({Frame22("TT2", Latin1("Title")),
                                                            Frame22("TP1", Utf16Text("Artist")),
                                                            Frame22("COM", comm),
                                                            Frame22("TCO", Latin1("(3)"))}),
                                                 0, 20),
                                             audio}));
    // Audio: Xing and Info headers, junk, other versions and layers.
    for (const auto& [name, stream] : std::vector<std::pair<std::string, Mp3Spec>>{
             {"mp3-xing", [] { Mp3Spec s; s.Xing = XingSpec{"Xing", 3, 1000, 417000}; return s; }()},
             {"mp3-vbri", [] { Mp3Spec s; s.VBRI = VBRISpec{417000, 1000}; return s; }()},
             {"mp3-info", [] { Mp3Spec s; s.Xing = XingSpec{"Info", 1, 5, 0}; s.ChannelMode = 3; return s; }()},
             {"mp3-mpeg2", [] { Mp3Spec s; s.VersionId = 2; s.Frequency = 22050; s.BitRate = 64; s.Xing = XingSpec{}; return s; }()},
             {"mp3-layer1", [] { Mp3Spec s; s.LayerId = 3; s.BitRate = 192; s.Crc = true; return s; }()},
             {"mp3-junk", [] { Mp3Spec s; s.Junk = Bytes(300, 0xFF); s.ID3v1 = ID3v1Record("Junk"); return s; }()},
         }) {
        seeds.emplace_back(name, BuildMp3(stream));
    }
    // Lyrics3 tails in front of an ID3v1 tag.
    const Bytes v200 = Lyrics3Tag("IND00002" "11LYR00010one\r\ntwo\r\nEAL00005AlbumETT00005Title");
    seeds.emplace_back("lyrics-v200", Concat({audio, v200, v1}));
    seeds.emplace_back("lyrics-v100", Concat({audio, Str("LYRICSBEGINsome lyrics\r\nLYRICSEND"), v1}));
    seeds.emplace_back("id3v1-only", Concat({audio, ID3v1Record("A", "B", "C", "2000", "D")}));
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvel-fuzz-seeds OUT_FOLDER [MP3_FILE...]\n");
        return 2;
    }
    const WithoutID3Lib ownReaders;
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out / "files");
    std::filesystem::create_directories(out / "xml");
    std::vector<std::string> described;
    for (const auto& [name, bytes] : BuildSeeds()) {
        const std::string path = (out / "files" / (name + ".mp3")).string();
        WriteFile(path, bytes);
        described.push_back(path);
    }
    for (int i = 2; i < argc; ++i) described.emplace_back(argv[i]);
    int written = 0;
    for (const std::string& path : described) {
        korvel::FileHandler file;
        if (!file.Create(path)) continue;
        const std::string xml = file.xml();
        if (xml.empty()) continue;
        WriteFile((out / "xml" / (std::to_string(written++) + ".xml")).string(), xml);
    }
    std::printf("%zu files, %d XML documents in %s\n", described.size() - static_cast<size_t>(argc - 2),
                written, out.c_str());
    return 0;
}
