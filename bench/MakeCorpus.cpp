// Writes a folder of generated MP3 files for the reader benchmark:
//   korvel-make-corpus FOLDER [COUNT=2000] [SEED=1] [--cover KB]
// Every file holds an ID3v2.3 (two thirds) or ID3v2.4 tag of 10 to 20 frames with a JPEG
// picture of 50 to 200 KB (with --cover, of KB kilobytes give or take 10 %),
// then 24 to 64 MPEG-1 layer III frames (half of the files start with a Xing
// frame); half carry an ID3v1 tag, and a quarter a Lyrics3 v2.00 tag in front
// of it.
#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"

namespace {

using korvel::Bytes;
using namespace korvel::test;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// A JPEG picture of a noisy gradient, `side` pixels square.
Bytes MakePicture(int side, std::mt19937& rng) {
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * 3);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            uint8_t* p = &pixels[(static_cast<size_t>(y) * side + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / side + rng() % 40);
            p[1] = static_cast<uint8_t>(y * 255 / side + rng() % 40);
            p[2] = static_cast<uint8_t>(rng() % 256);
        }
    }
    Bytes jpeg;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<Bytes*>(context);
            const auto* bytes = static_cast<const uint8_t*>(data);
            out->insert(out->end(), bytes, bytes + size);
        },
        &jpeg, side, side, 3, pixels.data(), 85);
    return jpeg;
}

// Pictures between `low` and `high` bytes: the sides tried grow until six
// pictures (or the largest side) are reached.
std::vector<Bytes> MakePictures(std::mt19937& rng, size_t low, size_t high) {
    std::vector<Bytes> pictures;
    for (int side = 40; side <= 1200 && pictures.size() < 6; side += 8) {
        Bytes jpeg = MakePicture(side, rng);
        if (jpeg.size() > high) break;
        if (jpeg.size() >= low) pictures.push_back(std::move(jpeg));
    }
    if (pictures.empty()) {
        std::cerr << "no picture of " << low << " to " << high << " bytes came out of the encoder\n";
        std::exit(1);
    }
    return pictures;
}

// JPEG pictures of noisy gradients, between 50 and 200 KB.
std::vector<Bytes> MakePictures(std::mt19937& rng) {
    std::vector<Bytes> pictures;
    for (int side : {180, 220, 260, 300, 340, 380}) {
        Bytes jpeg = MakePicture(side, rng);
        if (jpeg.size() >= 50 * 1024 && jpeg.size() <= 200 * 1024) pictures.push_back(std::move(jpeg));
    }
    if (pictures.empty()) {
        std::cerr << "no picture of 50-200 KB came out of the encoder\n";
        std::exit(1);
    }
    return pictures;
}

// Text in the frame's encoding: Latin-1 as it is, or UTF-16 with a BOM
// (v2.3) / UTF-8 (v2.4) for the "wide" variant.
Bytes TextFrame(const std::string& id, const std::string& text, bool wide, int major) {
    const uint8_t version = static_cast<uint8_t>(major);
    if (!wide) return Frame(version, id, Latin1(text));
    return Frame(version, id, major == 3 ? Utf16Text(text) : Text(3, B(text)));
}

// COMM / USLT: encoding, language, empty description, text.
Bytes LanguageFrame(const std::string& id, const std::string& text, int major) {
    return Frame(static_cast<uint8_t>(major), id, CommData("eng", "", text));
}

Bytes PictureFrame(const Bytes& jpeg, int major) {
    // Latin-1, the MIME type, front cover, the description "cover".
    return Frame(static_cast<uint8_t>(major), "APIC", Concat({B("\0image/jpeg\0\x03" "cover\0", 19), jpeg}));
}

Bytes MakeTag(int index, int major, const Bytes& picture, std::mt19937& rng) {
    const std::string n = std::to_string(index);
    const bool wide = index % 3 == 0;
    std::vector<Bytes> frames = {
        TextFrame("TIT2", "Title of track " + n, wide, major),
        TextFrame("TPE1", "Artist " + std::to_string(index % 97), wide, major),
        TextFrame("TALB", "Album " + std::to_string(index % 211), wide, major),
        TextFrame("TRCK", std::to_string(index % 14 + 1) + "/14", false, major),
        TextFrame(major == 3 ? "TYER" : "TDRC", std::to_string(1960 + index % 60), false, major),
        TextFrame("TCON", "(" + std::to_string(index % 80) + ")", false, major),
        LanguageFrame("COMM", "A comment on track " + n, major),
        TextFrame("TCOM", "Composer " + std::to_string(index % 53), wide, major),
        PictureFrame(picture, major),
    };
    const std::vector<Bytes> optional = {
        TextFrame("TENC", "Encoder 1.0", false, major),
        TextFrame("TCOP", "(c) Label " + std::to_string(index % 19), false, major),
        TextFrame("TOPE", "Original artist " + n, wide, major),
        TextFrame("TPOS", "1/2", false, major),
        TextFrame("TBPM", std::to_string(80 + index % 90), false, major),
        TextFrame("TPUB", "Publisher " + std::to_string(index % 23), false, major),
        TextFrame("TLAN", "eng", false, major),
        TextFrame("TSRC", "XX0000000" + std::to_string(index % 10), false, major),
        LanguageFrame("USLT", "Line one of the lyrics\nline two of the lyrics\n", major),
        Frame(static_cast<uint8_t>(major), "WXXX", B("\0\0http://ex.org", 15)),
        TextFrame("TIT3", "Subtitle " + n, wide, major),
    };
    const size_t extra = 1 + rng() % optional.size();  // 10 to 20 frames in all
    for (size_t i = 0; i < extra; ++i) frames.push_back(optional[i]);

    const size_t padding = rng() % 2048;
    return Tag(static_cast<uint8_t>(major), Concat(frames), 0, padding);
}

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes a frame.
Bytes MakeAudio(int frames, bool xing) {
    Mp3Spec stream;
    stream.Original = true;
    stream.Frames = frames;
    if (xing) stream.Xing = XingSpec{"Xing", 3, static_cast<uint32_t>(frames - 1), static_cast<uint32_t>(417 * (frames - 1))};
    return BuildFrames(stream);
}

Bytes MakeLyrics3(int index) {
    return Lyrics3Tag(Lyrics3Field("IND", "10") + Lyrics3Field("ETT", "Title " + std::to_string(index)) +
                      Lyrics3Field("EAR", "Artist") + Lyrics3Field("LYR", "[00:01]First line\r\n[00:05]Second line"));
}

Bytes MakeID3v1(int index) {
    return ID3v1Record("Title of track " + std::to_string(index), "Artist " + std::to_string(index % 97),
                       "Album " + std::to_string(index % 211), std::to_string(1960 + index % 60), "A comment",
                       static_cast<uint8_t>(index % 14 + 1), static_cast<uint8_t>(index % 80));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    int coverKB = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cover" && i + 1 < argc) {
            coverKB = std::atoi(argv[++i]);
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.empty() || args.size() > 3 || (coverKB <= 0 && argc > static_cast<int>(args.size()) + 1)) {
        std::cerr << "usage: korvel-make-corpus FOLDER [COUNT=2000] [SEED=1] [--cover KB]\n";
        return 2;
    }
    const std::filesystem::path folder = args[0];
    const int count = args.size() > 1 ? std::atoi(args[1].c_str()) : 2000;
    const unsigned seed = args.size() > 2 ? static_cast<unsigned>(std::atoi(args[2].c_str())) : 1U;
    std::filesystem::create_directories(folder);
    std::mt19937 rng(seed);
    const size_t cover = static_cast<size_t>(coverKB) * 1024;
    const std::vector<Bytes> pictures = coverKB > 0 ? MakePictures(rng, cover * 9 / 10, cover * 11 / 10)
                                                    : MakePictures(rng);

    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        const int major = i % 3 == 0 ? 4 : 3;
        Bytes file = MakeTag(i, major, pictures[rng() % pictures.size()], rng);
        Append(file, MakeAudio(24 + static_cast<int>(rng() % 41), i % 4 < 2));
        if (i % 4 == 0) Append(file, MakeLyrics3(i));
        if (i % 2 == 0) Append(file, MakeID3v1(i));
        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        if (!out) {
            std::cerr << "cannot write " << (folder / name).string() << "\n";
            return 1;
        }
        total += file.size();
    }
    std::cout << count << " files, " << total / (1024 * 1024) << " MB in " << folder.string() << "\n";
    return 0;
}
