// Time of a save against a copy of the same file:
//   korvel-save-bench [FOLDER=/var/tmp/korvel-save-bench] [--runs N] [--sizes 1,10,100]
// For files of 1, 10 and 100 MB that start with an ID3v2.3 tag, one text field
// (the title) is set and saved through the library (the ID3v2 facade, which
// saves through the updatable ID3v2.3 tag) and through TagLib (as ID3v2.3),
// and the file is copied with cp: alone, followed by an fsync of the copy
// (the library's save flushes the new file before it takes the old one's
// place), and followed by the fsync and a rename of the copy over the
// original (the whole of a crash-safe replacement, the freeing of the old
// file's blocks and pages included). Every timed operation starts from a fresh copy of the
// original whose pages are already written back, with a warm page cache. The
// operations take turns within each run; the times are medians, the ratios
// the medians of the run-by-run ratios (pairs measured close together, which
// holds up better than a ratio of medians when the disk's load changes).
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include "file/FileHandler.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

void FsyncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool RunCp(const std::string& from, const std::string& to) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/cp", "cp", from.c_str(), to.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An ID3v2.3 tag of a few text frames and 1 KB of padding, then MPEG frames
// up to the size.
void MakeFile(const std::string& path, int64_t size) {
    Bytes body;
    auto frame = [&](const std::string& id, const std::string& text) {
        body.insert(body.end(), id.begin(), id.end());
        const uint32_t n = static_cast<uint32_t>(text.size() + 1);
        for (int shift = 24; shift >= 0; shift -= 8) body.push_back(static_cast<uint8_t>(n >> shift));
        body.push_back(0);
        body.push_back(0);
        body.push_back(0);
        body.insert(body.end(), text.begin(), text.end());
    };
    frame("TIT2", "Original title");
    frame("TPE1", "Artist");
    frame("TALB", "Album");
    frame("TRCK", "1/10");
    body.resize(body.size() + 1024, 0);
    Bytes file = {'I', 'D', '3', 3, 0, 0};
    const uint32_t n = static_cast<uint32_t>(body.size());
    for (int shift = 21; shift >= 0; shift -= 7) file.push_back(static_cast<uint8_t>((n >> shift) & 0x7F));
    file.insert(file.end(), body.begin(), body.end());
    Bytes audioFrame(417, 0x55);
    audioFrame[0] = 0xFF;
    audioFrame[1] = 0xFB;
    audioFrame[2] = 0x90;
    audioFrame[3] = 0x44;
    while (static_cast<int64_t>(file.size()) + 417 <= size) file.insert(file.end(), audioFrame.begin(), audioFrame.end());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = "/var/tmp/korvel-save-bench";
    int runs = 5;
    std::vector<int> sizes = {1, 10, 100};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--sizes" && i + 1 < argc) {
            sizes.clear();
            std::stringstream list(argv[++i]);
            std::string item;
            while (std::getline(list, item, ',')) sizes.push_back(std::atoi(item.c_str()));
        } else if (!arg.empty() && arg[0] != '-') {
            folder = arg;
        } else {
            std::cerr << "usage: korvel-save-bench [FOLDER] [--runs N] [--sizes 1,10,100]\n";
            return 2;
        }
    }
    std::filesystem::create_directories(folder);
    ::unsetenv("KORVEL_ID3LIB");

    std::cout << "median of " << runs << " runs, warm page cache, folder " << folder << "\n\n";
    std::cout << std::left << std::setw(8) << "size" << std::right << std::setw(10) << "cp ms"
              << std::setw(14) << "cp+fsync ms" << std::setw(15) << "cp+fs+mv ms" << std::setw(12)
              << "korvel ms" << std::setw(12) << "TagLib ms" << std::setw(12) << "k/cp" << std::setw(12)
              << "k/cp+fs" << std::setw(14) << "k/cp+fs+mv" << std::setw(12) << "TagLib/cp" << "\n";
    int failures = 0;
    for (int mb : sizes) {
        const std::string original = folder + "/original-" + std::to_string(mb) + "mb.mp3";
        const std::string work = folder + "/work.mp3";
        const std::string copy = folder + "/copy.mp3";
        MakeFile(original, int64_t{mb} * 1024 * 1024);
        FsyncPath(original);

        // Restores the working file untimed: fresh content, written back.
        auto fresh = [&] {
            std::filesystem::remove(copy);
            std::filesystem::copy_file(original, work, std::filesystem::copy_options::overwrite_existing);
            FsyncPath(work);
            ::sync();
        };
        auto timed = [&](const std::function<bool()>& op) {
            fresh();
            const auto start = Clock::now();
            const bool ok = op();
            const double s = std::chrono::duration<double>(Clock::now() - start).count();
            if (!ok) ++failures;
            return s * 1000;
        };
        std::vector<double> cp, cpSync, cpReplace, korvel, taglib;
        for (int run = 0; run < runs; ++run) {
            const std::string title = "New title " + std::to_string(run);
            cp.push_back(timed([&] { return RunCp(work, copy); }));
            cpSync.push_back(timed([&] {
                const bool ok = RunCp(work, copy);
                FsyncPath(copy);
                return ok;
            }));
            cpReplace.push_back(timed([&] {
                const bool ok = RunCp(work, copy);
                FsyncPath(copy);
                return ok && ::rename(copy.c_str(), work.c_str()) == 0;
            }));
            korvel.push_back(timed([&] {
                korvel::FileHandler file;
                if (!file.Create(work)) return false;
                const korvel::ID3V2TagPtr tag = file.ID3V2Tag();
                if (!tag) return false;
                tag->setTitle(title);
                return tag->saveTag();
            }));
            taglib.push_back(timed([&] {
                TagLib::MPEG::File file(work.c_str(), false);
                if (!file.isValid()) return false;
                file.ID3v2Tag(true)->setTitle(TagLib::String(title, TagLib::String::UTF8));
                return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                                 TagLib::File::DoNotDuplicate);
            }));
        }
        auto ratio = [](const std::vector<double>& a, const std::vector<double>& b) {
            std::vector<double> r;
            for (size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(a[i] / b[i]);
            return Median(r);
        };
        std::cout << std::left << std::setw(8) << (std::to_string(mb) + " MB") << std::right << std::fixed
                  << std::setprecision(1) << std::setw(10) << Median(cp) << std::setw(14) << Median(cpSync)
                  << std::setw(15) << Median(cpReplace) << std::setw(12) << Median(korvel) << std::setw(12)
                  << Median(taglib) << std::setprecision(2) << std::setw(11) << ratio(korvel, cp) << "x"
                  << std::setw(11) << ratio(korvel, cpSync) << "x" << std::setw(13) << ratio(korvel, cpReplace)
                  << "x" << std::setw(11) << ratio(taglib, cp) << "x\n";
        std::filesystem::remove(original);
        std::filesystem::remove(work);
        std::filesystem::remove(copy);
    }
    if (failures) std::cerr << failures << " saves or copies failed\n";
    return failures ? 1 : 0;
}
