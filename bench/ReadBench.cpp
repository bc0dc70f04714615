// Files per second for "open the file and read everything", side by side on
// the same files in one run:
//   korvel-read-bench FOLDER [--runs N] [--no-mutagen]
// Readers: korvel in its internal mode (own ID3v2 parser, id3lib switched
// off) and in its updatable mode (ID3v2.3 tags through id3lib), doing what
// `korvel info` does; korvel in internal mode taking a picture as its bytes
// rather than as the text `korvel info` prints for it; TagLib,
// id3lib read directly, mutagen (a Python process, timed inside Python) and a
// floor program that only reads the bytes a tag reader must read. Each run
// visits every file once per reader; the readers take turns within a run and
// the median of the runs is reported. The page cache is warmed first.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <id3/tag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>

#include "file/FileHandler.h"
#include "file/FileReport.h"

#ifndef KORVEL_BENCH_DIR
#define KORVEL_BENCH_DIR "bench"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Every reader returns a number derived from what it read, so that no read
// can be left out by the compiler and a reader that read nothing shows.
using Reader = std::function<size_t(const std::string&)>;

// What `korvel info` does for a file, without the printing: the audio
// information text and every attribute row (ID3v1, all ID3v2 frames, Lyrics3).
size_t ReadKorvel(const std::string& path) {
    korvel::FileHandler file;
    if (!file.Create(path)) return 0;
    size_t sum = korvel::MPEGInfoText(file).size();
    for (const korvel::AttributeRow& row : korvel::AttributeRows(file)) {
        sum += row.Attribute.size() + row.Value.size();
    }
    return sum;
}

// The same fields, with a picture taken as its bytes (as the other readers
// take it) instead of as the text `korvel info` prints for it.
template <typename Reader>
size_t ReadFrames(const Reader& reader) {
    size_t sum = 0;
    for (int32_t i = 1; i <= reader->FrameCount(); ++i) {
        const auto frame = reader->GetFrameByIndex(i);
        if (!frame) continue;
        const std::string id = frame->ID();
        sum += id.size() + (id == "APIC" ? frame->RawData().size() : frame->TextData().size());
    }
    return sum;
}

size_t ReadKorvelPictureBytes(const std::string& path) {
    korvel::FileHandler file;
    if (!file.Create(path)) return 0;
    size_t sum = korvel::MPEGInfoText(file).size();
    if (file.HasID3V1Tag()) {
        const korvel::ID3V1TagPtr t = file.ID3v1xTag();
        sum += t->Title().size() + t->Artist().size() + t->Album().size() + t->Year().size() +
               t->Comment().size() + static_cast<size_t>(t->Genre() + t->Track());
    }
    if (const korvel::ID3V2TagPtr tag = file.ID3V2Tag()) {
        if (const auto v22 = tag->ID3V22Tag()) sum += ReadFrames(v22);
        if (const auto v23 = tag->ID3V23Tag()) sum += ReadFrames(v23);
        if (const auto v24 = tag->ID3V24Tag()) sum += ReadFrames(v24);
    }
    try {
        if (file.HasLyricsTag()) {
            const korvel::LyricsTagPtr lyrics = file.LyricsTag();
            for (int32_t i = 1; i <= lyrics->FieldCount(); ++i) sum += lyrics->getFieldByIndex(i)->TextData().size();
        }
    } catch (...) {
    }
    return sum;
}

size_t ReadTagLib(const std::string& path) {
    TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
    if (!file.isValid()) return 0;
    size_t sum = 0;
    if (const TagLib::MPEG::Properties* p = file.audioProperties()) {
        sum += static_cast<size_t>(p->lengthInMilliseconds() + p->bitrate() + p->sampleRate() +
                                   p->channels() + p->version() + p->layer() + p->channelMode() +
                                   p->protectionEnabled() + p->isCopyrighted() + p->isOriginal() +
                                   (p->xingHeader() != nullptr));
    }
    if (file.hasID3v2Tag()) {
        for (const TagLib::ID3v2::Frame* frame : file.ID3v2Tag()->frameList()) {
            sum += frame->frameID().size();
            if (const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)) {
                sum += picture->picture().size() + picture->mimeType().size() +
                       picture->description().size();
            } else {
                sum += frame->toString().to8Bit(true).size();
            }
        }
    }
    if (file.hasID3v1Tag()) {
        const TagLib::ID3v1::Tag* t = file.ID3v1Tag();
        sum += t->title().size() + t->artist().size() + t->album().size() + t->comment().size() +
               t->genre().size() + t->year() + t->track();
    }
    return sum;
}

// id3lib hands out its iterators to be deleted by the caller through the
// interface type, whose destructor is not virtual (its own C wrapper does
// the same).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
size_t ReadID3Lib(const std::string& path) {
    ID3_Tag tag;
    tag.Link(path.c_str(), ID3TT_ALL);
    size_t sum = 0;
    ID3_Tag::Iterator* frames = tag.CreateIterator();
    while (ID3_Frame* frame = frames->GetNext()) {
        sum += static_cast<size_t>(frame->GetID());
        ID3_Frame::Iterator* fields = frame->CreateIterator();
        while (ID3_Field* field = fields->GetNext()) {
            switch (field->GetType()) {
                case ID3FTY_INTEGER: sum += field->Get(); break;
                case ID3FTY_BINARY: sum += field->Size() + (field->GetRawBinary() != nullptr); break;
                case ID3FTY_TEXTSTRING:
                    if (field->GetEncoding() == ID3TE_UNICODE) {
                        sum += field->Size() + (field->GetRawUnicodeText() != nullptr);
                    } else {
                        sum += field->Size() + (field->GetRawText() != nullptr);
                    }
                    break;
                default: break;
            }
        }
        delete fields;
    }
    delete frames;
    if (const Mp3_Headerinfo* h = tag.GetMp3HeaderInfo()) {
        sum += static_cast<size_t>(static_cast<int>(h->layer) + static_cast<int>(h->version) +
                                   static_cast<int>(h->bitrate) + static_cast<int>(h->channelmode) +
                                   static_cast<int>(h->emphasis)) +
               h->frequency + h->framesize + h->frames + h->time + h->copyrighted + h->original;
    }
    return sum;
}
#pragma GCC diagnostic pop

// The least any tag reader must do: open, find the length, read the ID3v2
// header and tag, the first frame header behind it and the last 128+15 bytes
// (ID3v1 and the Lyrics3 trailer), close.
size_t ReadFloor(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    ::fstat(fd, &st);
    size_t sum = 0;
    uint8_t head[10] = {};
    int64_t audio = 0;
    if (::pread(fd, head, sizeof head, 0) == 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        const int64_t size = (int64_t{head[6]} << 21) | (int64_t{head[7]} << 14) | (int64_t{head[8]} << 7) | head[9];
        static std::vector<uint8_t> tag;
        tag.resize(static_cast<size_t>(size));
        const ssize_t got = ::pread(fd, tag.data(), tag.size(), 10);
        for (ssize_t i = 0; i < got; i += 4096) sum += tag[static_cast<size_t>(i)];
        audio = 10 + size;
    }
    uint8_t frame[4] = {};
    if (::pread(fd, frame, sizeof frame, audio) == 4) sum += frame[1];
    uint8_t tail[143] = {};
    if (st.st_size >= 143 && ::pread(fd, tail, sizeof tail, st.st_size - 143) == 143) sum += tail[15];
    ::close(fd);
    return sum + 1;
}

// The ID3v2.3 reader goes through id3lib when it can load it; a name that
// cannot be loaded switches that off, as on a machine without id3lib.
void KorvelInternalMode() { ::setenv("KORVEL_ID3LIB", "/nonexistent/korvel-bench-no-id3lib.so", 1); }
void KorvelUpdatableMode() { ::unsetenv("KORVEL_ID3LIB"); }

struct Entry {
    std::string name;
    std::function<void()> before;
    Reader read;
    std::vector<double> seconds;
    size_t checksum = 0;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// mutagen's per-run seconds, measured inside its own interpreter.
std::vector<double> RunMutagen(const std::string& folder, int runs) {
    const std::string script = std::string(KORVEL_BENCH_DIR) + "/mutagen_read.py";
    const std::string command = "/usr/bin/python3 '" + script + "' '" + folder + "' " + std::to_string(runs);
    std::vector<double> seconds;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return seconds;
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        char* end = nullptr;
        const double value = std::strtod(line, &end);
        if (end != line) seconds.push_back(value);
    }
    if (::pclose(pipe) != 0) seconds.clear();
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: korvel-read-bench FOLDER [--runs N] [--no-mutagen] [--only NAME]\n";
        return 2;
    }
    const std::string folder = argv[1];
    int runs = 5;
    bool mutagen = true;
    std::string only;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--no-mutagen") {
            mutagen = false;
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
            mutagen = only == "mutagen";
        } else {
            std::cerr << "unknown argument " << arg << "\n";
            return 2;
        }
    }

    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".mp3") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::cerr << "no .mp3 files in " << folder << "\n";
        return 1;
    }

    // Warm page cache: every file read once in full.
    uint64_t bytes = 0;
    std::vector<char> buffer(1 << 20);
    for (const std::string& path : files) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) bytes += static_cast<uint64_t>(n);
        ::close(fd);
    }

    std::vector<Entry> entries = {
        {"korvel (internal)", KorvelInternalMode, ReadKorvel, {}, 0},
        {"korvel (updatable)", KorvelUpdatableMode, ReadKorvel, {}, 0},
        {"korvel (int., pic. bytes)", KorvelInternalMode, ReadKorvelPictureBytes, {}, 0},
        {"TagLib", [] {}, ReadTagLib, {}, 0},
        {"id3lib", [] {}, ReadID3Lib, {}, 0},
        {"floor", [] {}, ReadFloor, {}, 0},
    };
    if (!only.empty()) {
        std::erase_if(entries, [&](const Entry& e) { return e.name.rfind(only, 0) != 0; });
    }
    // One untimed pass per reader: libraries loaded, first-use work done.
    for (Entry& e : entries) {
        e.before();
        for (size_t i = 0; i < std::min<size_t>(files.size(), 20); ++i) e.read(files[i]);
    }
    for (int run = 0; run < runs; ++run) {
        for (Entry& e : entries) {
            e.before();
            size_t sum = 0;
            const auto start = Clock::now();
            for (const std::string& path : files) sum += e.read(path);
            e.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            e.checksum = sum;
        }
    }
    if (mutagen) {
        Entry m{"mutagen", [] {}, nullptr, RunMutagen(folder, runs), 0};
        if (m.seconds.empty()) {
            std::cerr << "mutagen did not run (/usr/bin/python3 with python3-mutagen)\n";
        } else {
            entries.push_back(m);
        }
    }

    std::cout << files.size() << " files, " << bytes / (1024 * 1024) << " MB, median of " << runs
              << " runs, warm page cache\n\n";
    const double korvel = entries.front().name == "korvel (internal)"
                              ? files.size() / Median(entries.front().seconds)
                              : 0;
    std::cout << std::left << std::setw(27) << "reader" << std::right << std::setw(12) << "files/s"
              << std::setw(12) << "us/file" << std::setw(20) << "korvel-internal / x" << "\n";
    for (const Entry& e : entries) {
        const double median = Median(e.seconds);
        const double rate = files.size() / median;
        std::ostringstream ratio;
        if (korvel > 0) ratio << std::fixed << std::setprecision(2) << korvel / rate << "x";
        std::cout << std::left << std::setw(27) << e.name << std::right << std::setw(12)
                  << static_cast<long long>(rate) << std::setw(12) << std::fixed << std::setprecision(1)
                  << median * 1e6 / static_cast<double>(files.size()) << std::setw(20) << ratio.str() << "\n";
    }
    return 0;
}
