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

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

void AppendBigEndian(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendSyncsafe(Bytes& out, uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

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
Bytes EncodeText(const std::string& text, bool wide, int major) {
    Bytes out;
    if (!wide) {
        out.push_back(0);
        Append(out, text);
    } else if (major == 3) {
        out.push_back(1);
        out.push_back(0xFF);
        out.push_back(0xFE);
        for (char c : text) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(0);
        }
    } else {
        out.push_back(3);
        Append(out, text);
    }
    return out;
}

Bytes Frame(const std::string& id, const Bytes& body, int major) {
    Bytes out;
    Append(out, id);
    if (major == 4) {
        AppendSyncsafe(out, static_cast<uint32_t>(body.size()));
    } else {
        AppendBigEndian(out, static_cast<uint32_t>(body.size()));
    }
    out.push_back(0);
    out.push_back(0);
    Append(out, body);
    return out;
}

Bytes TextFrame(const std::string& id, const std::string& text, bool wide, int major) {
    return Frame(id, EncodeText(text, wide, major), major);
}

// COMM / USLT: encoding, language, empty description, text.
Bytes LanguageFrame(const std::string& id, const std::string& text, int major) {
    Bytes body{0};
    Append(body, std::string("eng"));
    body.push_back(0);
    Append(body, text);
    return Frame(id, body, major);
}

Bytes PictureFrame(const Bytes& jpeg, int major) {
    Bytes body{0};
    Append(body, std::string("image/jpeg"));
    body.push_back(0);
    body.push_back(3);  // front cover
    Append(body, std::string("cover"));
    body.push_back(0);
    Append(body, jpeg);
    return Frame("APIC", body, major);
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
        Frame("WXXX", Bytes{0, 0, 'h', 't', 't', 'p', ':', '/', '/', 'e', 'x', '.', 'o', 'r', 'g'},
              major),
        TextFrame("TIT3", "Subtitle " + n, wide, major),
    };
    const size_t extra = 1 + rng() % optional.size();  // 10 to 20 frames in all
    for (size_t i = 0; i < extra; ++i) frames.push_back(optional[i]);

    Bytes body;
    for (const Bytes& f : frames) Append(body, f);
    body.resize(body.size() + rng() % 2048, 0);  // padding

    Bytes tag;
    Append(tag, std::string("ID3"));
    tag.push_back(static_cast<uint8_t>(major));
    tag.push_back(0);
    tag.push_back(0);
    AppendSyncsafe(tag, static_cast<uint32_t>(body.size()));
    Append(tag, body);
    return tag;
}

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes a frame.
Bytes MakeAudio(int frames, bool xing) {
    Bytes audio;
    for (int f = 0; f < frames; ++f) {
        Bytes frame(417, 0x55);
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = 0x90;
        frame[3] = 0x44;
        if (f == 0 && xing) {
            // The Xing tag sits 32 bytes behind the side information of a
            // stereo MPEG-1 frame: at offset 36.
            std::fill(frame.begin() + 4, frame.begin() + 36, 0);
            const char* magic = "Xing";
            for (int i = 0; i < 4; ++i) frame[36 + i] = static_cast<uint8_t>(magic[i]);
            Bytes fields;
            AppendBigEndian(fields, 3);  // frame count and byte count present
            AppendBigEndian(fields, static_cast<uint32_t>(frames - 1));
            AppendBigEndian(fields, static_cast<uint32_t>(417 * (frames - 1)));
            std::copy(fields.begin(), fields.end(), frame.begin() + 40);
        }
        Append(audio, frame);
    }
    return audio;
}

Bytes MakeLyrics3(int index) {
    auto field = [](const std::string& id, const std::string& value) {
        char size[6];
        std::snprintf(size, sizeof size, "%05zu", value.size());
        return id + size + value;
    };
    std::string block = "LYRICSBEGIN" + field("IND", "10") + field("ETT", "Title " + std::to_string(index)) +
                        field("EAR", "Artist") + field("LYR", "[00:01]First line\r\n[00:05]Second line");
    char size[7];
    std::snprintf(size, sizeof size, "%06zu", block.size());
    block += size;
    block += "LYRICS200";
    return Bytes(block.begin(), block.end());
}

Bytes MakeID3v1(int index) {
    Bytes tag(128, 0);
    auto put = [&](size_t at, size_t width, const std::string& text) {
        for (size_t i = 0; i < width && i < text.size(); ++i) tag[at + i] = static_cast<uint8_t>(text[i]);
    };
    put(0, 3, "TAG");
    put(3, 30, "Title of track " + std::to_string(index));
    put(33, 30, "Artist " + std::to_string(index % 97));
    put(63, 30, "Album " + std::to_string(index % 211));
    put(93, 4, std::to_string(1960 + index % 60));
    put(97, 28, "A comment");
    tag[126] = static_cast<uint8_t>(index % 14 + 1);
    tag[127] = static_cast<uint8_t>(index % 80);
    return tag;
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
