// Files per second for "open the files of a library and read everything",
// side by side on the same files in one run:
//   korvel-read-bench FOLDER [--runs N] [--many N] [--no-mutagen]
// Every reader is one process over all the files of FOLDER, as a user runs
// it over a music library:
//   korvel (default)   `korvel info FILE...`, id3lib present (tags can be
//                      changed; reading never sets the updatable tag up)
//   korvel (internal)  the same with id3lib switched off (KORVEL_ID3LIB names
//                      a file that does not exist)
//   TagLib             korvel-taglib-read: audio properties, every ID3v2 frame
//                      as text, the ID3v1 fields, one line each
//   mutagen            bench/mutagen_read.py: every frame and the stream
//                      information; timed inside its interpreter
//   floor              open, length, the ID3v2 header and tag, the first frame
//                      header behind it, the last 128+15 bytes, close
// The readers take turns within each run; the table shows medians, and the
// ratios are taken run by run (pairs measured close together) before their
// median is taken. Processor time (user + system, from the operating system's
// accounting of the finished process) is the main measure: on a shared
// machine the wall clock also counts the time a process waits for a
// processor. The peak resident set of each process is reported, and with
// --many N (default 10 000; 0: not) the peak of `korvel info` and
// `korvel xml` over the first 100 files and over N files (the folder's files
// over and over), which shows whether memory stays flat.
//
// The benchmark itself links neither the library nor TagLib: a process
// started from it counts the pages its parent held at the start in its own
// peak, so the parent stays small.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifndef KORVEL_BENCH_DIR
#define KORVEL_BENCH_DIR "bench"
#endif
#ifndef KORVEL_CLI_PATH
#define KORVEL_CLI_PATH "korvel"
#endif
#ifndef KORVEL_TAGLIB_READ_PATH
#define KORVEL_TAGLIB_READ_PATH "korvel-taglib-read"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// The least any tag reader must do with one file.
uint64_t ReadFloor(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    ::fstat(fd, &st);
    uint64_t sum = 0;
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

struct Outcome {
    double wall = 0;  // seconds
    double cpu = 0;   // seconds, user + system
    long peakKB = 0;
    int status = -1;
    std::string out;  // stdout, when captured
};

// Runs a program (with KORVEL_ID3LIB set to `id3lib`, or unset when empty)
// and waits for it; stdout is captured or thrown away, stderr thrown away.
Outcome Run(const std::vector<std::string>& args, const std::string& id3lib, bool capture) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2] = {-1, -1};
    if (capture && ::pipe(pipeFds) != 0) return {};
    Outcome result;
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(capture ? pipeFds[1] : null, 1);
        ::dup2(null, 2);
        if (id3lib.empty()) {
            ::unsetenv("KORVEL_ID3LIB");
        } else {
            ::setenv("KORVEL_ID3LIB", id3lib.c_str(), 1);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (capture) {
        ::close(pipeFds[1]);
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) result.out.append(buffer, static_cast<size_t>(n));
        ::close(pipeFds[0]);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    result.wall = std::chrono::duration<double>(Clock::now() - start).count();
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    result.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    result.peakKB = usage.ru_maxrss;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Reader {
    std::string name;
    std::vector<std::string> command;  // the files are appended
    std::string id3lib;                // KORVEL_ID3LIB; "" unset
    bool timesItself = false;          // prints "wall cpu" of its own loop
    std::vector<double> wall, cpu, peakMB;
    std::vector<double> ratioCpu, ratioWall;  // korvel (default) / this, run by run
    int failures = 0;
};

std::string SelfPath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("korvel-read-bench") : path.string();
}

constexpr const char* kNoId3lib = "/nonexistent/korvel-bench-no-id3lib.so";

// Peak resident set of `korvel COMMAND` over `count` paths of the list
// (taken over and over), in MB.
double PeakOf(const std::string& command, const std::vector<std::string>& files, size_t count) {
    std::vector<std::string> args = {KORVEL_CLI_PATH, command};
    for (size_t i = 0; i < count; ++i) args.push_back(files[i % files.size()]);
    const Outcome o = Run(args, "", false);
    if (o.status != 0) std::cerr << "korvel " << command << " over " << count << " files: status " << o.status << "\n";
    return o.peakKB / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--floor") == 0) {
        uint64_t sum = 0;
        for (int i = 2; i < argc; ++i) sum += ReadFloor(argv[i]);
        std::printf("%llu\n", static_cast<unsigned long long>(sum));
        return 0;
    }
    if (argc < 2) {
        std::cerr << "usage: korvel-read-bench FOLDER [--runs N] [--many N] [--no-mutagen]\n";
        return 2;
    }
    const std::string folder = argv[1];
    int runs = 5;
    size_t many = 10000;
    bool mutagen = true;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--many" && i + 1 < argc) {
            many = static_cast<size_t>(std::max(0, std::atoi(argv[++i])));
        } else if (arg == "--no-mutagen") {
            mutagen = false;
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
    {
        std::vector<char> buffer(1 << 20);
        for (const std::string& path : files) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            ssize_t n = 0;
            while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) bytes += static_cast<uint64_t>(n);
            ::close(fd);
        }
    }

    std::vector<Reader> readers = {
        {"korvel (default)", {KORVEL_CLI_PATH, "info"}, "", false, {}, {}, {}, {}, {}, 0},
        {"korvel (internal)", {KORVEL_CLI_PATH, "info"}, kNoId3lib, false, {}, {}, {}, {}, {}, 0},
        {"TagLib", {KORVEL_TAGLIB_READ_PATH}, "", false, {}, {}, {}, {}, {}, 0},
        {"floor", {SelfPath(), "--floor"}, "", false, {}, {}, {}, {}, {}, 0},
    };
    if (mutagen) {
        readers.push_back({"mutagen",
                           {"/usr/bin/python3", std::string(KORVEL_BENCH_DIR) + "/mutagen_read.py"},
                           "", true, {}, {}, {}, {}, {}, 0});
    }
    for (Reader& r : readers) r.command.insert(r.command.end(), files.begin(), files.end());

    // One untimed pass of each: programs and libraries in the page cache.
    for (Reader& r : readers) Run(r.command, r.id3lib, r.timesItself);
    for (int run = 0; run < runs; ++run) {
        double korvelCpu = 0, korvelWall = 0;
        for (Reader& r : readers) {
            const Outcome o = Run(r.command, r.id3lib, r.timesItself);
            double wall = o.wall, cpu = o.cpu;
            bool ok = o.status == 0;
            if (r.timesItself) {
                std::istringstream own(o.out);
                ok = static_cast<bool>(own >> wall >> cpu) && ok;
            }
            if (!ok) ++r.failures;
            r.wall.push_back(wall);
            r.cpu.push_back(cpu);
            r.peakMB.push_back(o.peakKB / 1024.0);
            if (&r == &readers.front()) {
                korvelCpu = cpu;
                korvelWall = wall;
            }
            // Files/s of korvel over files/s of the reader: its seconds over korvel's.
            r.ratioCpu.push_back(cpu / korvelCpu);
            r.ratioWall.push_back(wall / korvelWall);
        }
    }

    const double n = static_cast<double>(files.size());
    std::cout << files.size() << " files, " << bytes / (1024 * 1024) << " MB, median of " << runs
              << " runs, warm page cache, one process per reader and run\n\n";
    std::cout << std::left << std::setw(20) << "reader" << std::right << std::setw(10) << "files/s" << std::setw(10)
              << "us/file" << std::setw(12) << "wall f/s" << std::setw(10) << "peak MB" << std::setw(14)
              << "default/x" << std::setw(12) << "(wall)" << "\n";
    for (const Reader& r : readers) {
        const double cpu = Median(r.cpu), wall = Median(r.wall);
        std::ostringstream ratio, ratioWall;
        ratio << std::fixed << std::setprecision(2) << Median(r.ratioCpu) << "x";
        ratioWall << std::fixed << std::setprecision(2) << Median(r.ratioWall) << "x";
        std::cout << std::left << std::setw(20) << r.name << std::right << std::fixed << std::setprecision(0)
                  << std::setw(10) << n / cpu << std::setprecision(1) << std::setw(10) << cpu * 1e6 / n
                  << std::setprecision(0) << std::setw(12) << n / wall << std::setprecision(1) << std::setw(10)
                  << Median(r.peakMB) << std::setw(14) << ratio.str() << std::setw(12) << ratioWall.str()
                  << (r.failures ? "  (" + std::to_string(r.failures) + " runs failed)" : "") << "\n";
    }
    std::cout << "\nfiles/s and us/file: processor time (user + system); default/x: korvel (default)'s\n"
                 "files/s over the reader's, the median of the run-by-run ratios.\n";

    if (many > 0) {
        const size_t few = std::min<size_t>(100, files.size());
        std::cout << "\npeak resident set, korvel (default):\n";
        for (const char* command : {"info", "xml"}) {
            const double small = PeakOf(command, files, few);
            const double large = PeakOf(command, files, many);
            std::cout << "  korvel " << command << std::fixed << std::setprecision(1) << ": " << few << " files "
                      << small << " MB, " << many << " files " << large << " MB\n";
        }
    }
    struct rusage self {};
    ::getrusage(RUSAGE_SELF, &self);
    std::cout << "(the benchmark process itself: " << std::fixed << std::setprecision(1) << self.ru_maxrss / 1024.0
              << " MB, which a process it starts counts in its peak as well)\n";
    return 0;
}
