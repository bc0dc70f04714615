// Saves that are killed half way, run out of disk space or meet read-only
// files and folders: the file is always either as it was or completely
// written, and nothing but a recognisable temporary file is ever left over.
//
// The kill test's size can be changed from the environment:
//   KORVEL_KILLS      kills per operation (default 40, 20 in the sanitizer
//                     build; five operations)
//   KORVEL_KILL_MB    size of the audio in MB (default 32)
//   KORVEL_KILL_SEED  seed of the random delays
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ReplacementFile.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::ShellQuote;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    return std::max(0, std::atoi(text));
}

// MPEG 1 Layer III frames (128 kbit/s, 44100 Hz) of varying content, so
// that any byte out of place shows.
Bytes MpegFrames(size_t minimumSize) {
    test::Mp3Spec stream;
    stream.Varying = true;
    stream.Frames = static_cast<int>((minimumSize + test::FrameLength(stream) - 1) / test::FrameLength(stream));
    return test::BuildFrames(stream);
}

// The temporary files a save may leave behind when it is killed: the
// replacement of "<name>" (".<name>.korvel-XXXXXX") and the scratch file an
// ID3v2 tag is rendered into (".korvel-id3-XXXXXX", with id3lib's own
// ".XXXXXX" copy of it).
bool IsRecognisedLeftover(const std::string& entry, const std::string& target) {
    static const std::regex scratch(R"(\.korvel-id3-[A-Za-z0-9]{6}(\.[A-Za-z0-9]{6})?)");
    const std::string prefix = "." + target + ReplacementFile::kTempInfix;
    if (entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0) return true;
    return std::regex_match(entry, scratch);
}

bool IsReplacement(const std::string& entry, const std::string& target) {
    return entry.rfind("." + target + ReplacementFile::kTempInfix, 0) == 0;
}

// One save done by the korvel tool on a copy of "before".
struct Operation {
    std::string name;
    std::vector<std::string> args;  // "FILE" stands for the target
    Bytes before;
    Bytes after;
    // An uninterrupted run, in seconds from its start: the end of the
    // process, the moment the temporary file appeared and the rename.
    double seconds = 0;
    double tempAt = 0;
    double renameAt = 0;
};

std::vector<std::string> Argv(const Operation& op, const std::string& path) {
    std::vector<std::string> argv{test::CliPath()};
    for (const std::string& arg : op.args) argv.push_back(arg == "FILE" ? path : arg);
    return argv;
}

// The same arguments as words for the shell, after the tool's name.
std::string ShellArgs(const Operation& op, const std::string& path) {
    std::string args;
    for (const std::string& arg : op.args) args += " " + ShellQuote(arg == "FILE" ? path : arg);
    return args;
}

// Starts the tool with its output thrown away.
pid_t Start(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The file's content, read in large blocks (the files are tens of MB).
Bytes ReadWhole(const std::string& path) {
    Bytes content(fs::file_size(path));
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::read(fd, content.data() + done, content.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    if (done != content.size()) throw std::runtime_error("cannot read " + path);
    return content;
}

bool SameAs(const Bytes& content, const std::string& path) {
    std::error_code ec;
    if (fs::file_size(path, ec) != content.size() || ec) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<uint8_t> block(1 << 20);
    size_t offset = 0;
    bool same = true;
    while (same && offset < content.size()) {
        ssize_t n = ::read(fd, block.data(), std::min(block.size(), content.size() - offset));
        same = n > 0 && std::memcmp(block.data(), content.data() + offset, static_cast<size_t>(n)) == 0;
        offset += n > 0 ? static_cast<size_t>(n) : 0;
    }
    ::close(fd);
    return same;
}

// Runs the operation to its end on a fresh copy of "before": fills "after"
// and the times. The first run watches the folder for the moments the
// temporary file appears and the rename happens; as the watching slows the
// run down, those are kept as fractions of its length and applied to the
// faster of two further runs left alone.
void RunUninterrupted(Operation& op, const std::string& path, const test::TempDir& dir) {
    const std::string name = fs::path(path).filename().string();
    op.seconds = 1e9;
    double tempShare = 0;
    double renameShare = 1;
    for (int run = 0; run < 3; ++run) {
        test::WriteFile(path, op.before);
        struct stat original {};
        ::stat(path.c_str(), &original);
        double tempAt = 0;
        double renameAt = 0;
        Clock::time_point start = Clock::now();
        pid_t pid = Start(Argv(op, path));
        int status = 0;
        while (run == 0 && ::waitpid(pid, &status, WNOHANG) == 0) {
            double now = std::chrono::duration<double>(Clock::now() - start).count();
            if (tempAt == 0) {
                for (const std::string& entry : dir.List()) {
                    if (IsReplacement(entry, name)) tempAt = now;
                }
            }
            struct stat current {};
            if (renameAt == 0 && ::stat(path.c_str(), &current) == 0 && current.st_ino != original.st_ino) {
                renameAt = now;
            }
            ::usleep(500);
        }
        if (run > 0) status = Wait(pid);
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << op.name << ": status " << status;
        if (run == 0) {
            renameShare = renameAt > 0 ? renameAt / seconds : 1;
            tempShare = std::min(tempAt / seconds, renameShare);
        } else {
            op.seconds = std::min(op.seconds, seconds);
        }
        op.after = ReadWhole(path);
    }
    op.tempAt = op.seconds * tempShare;
    op.renameAt = op.seconds * renameShare;
    ASSERT_NE(op.after, op.before) << op.name;
}

void SleepFor(double seconds) {
    timespec delay{static_cast<time_t>(seconds), static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, 0, &delay, &delay) == EINTR) {
    }
}

std::string Korvel(const std::string& args) { return ShellQuote(test::CliPath()) + " " + args; }

#ifndef KORVEL_FULL_DISK_SHIM
#error "KORVEL_FULL_DISK_SHIM must name the full-disk library"
#endif

// Runs the tool with the full-disk library preloaded. A sanitizer runtime
// would insist on being loaded first; it is told not to.
int RunOnFullDisk(const std::string& settings, const std::string& args, std::string* err) {
    std::string out;
    return test::Run("ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" " + settings +
                         " LD_PRELOAD=" + ShellQuote(KORVEL_FULL_DISK_SHIM) + " " + Korvel(args),
                     &out, err);
}

// The five saves, each starting from the state the one before left, on
// audio of the given size.
std::vector<Operation> Saves(size_t audioBytes) {
    std::vector<Operation> ops(5);
    ops[0].name = "ID3v1 write";
    ops[0].args = {"v1", "FILE", "--title", "Killed", "--artist", "Nobody", "--track", "7"};
    ops[0].before = MpegFrames(audioBytes);
    ops[1].name = "ID3v1 removal";
    ops[1].args = {"v1", "--remove", "FILE"};
    ops[2].name = "ID3v2 creation";
    ops[2].args = {"v2", "FILE", "--title", "Created", "--artist", "Somebody", "--album", "First"};
    ops[3].name = "ID3v2 update";
    ops[3].args = {"v2", "FILE", "--title", "Updated", "--comment", "A longer comment than before"};
    ops[4].name = "ID3v2 removal";
    ops[4].args = {"v2", "--remove", "FILE"};
    return ops;
}

}  // namespace

#ifdef KORVEL_FEWER_KILLS
constexpr int kDefaultKills = 20;
#else
constexpr int kDefaultKills = 40;
#endif

TEST(CrashSafeSave, KilledSavesLeaveTheOldOrTheNewFile) {
    const int killsPerOperation = EnvNumber("KORVEL_KILLS", kDefaultKills);
    const size_t audioBytes = static_cast<size_t>(EnvNumber("KORVEL_KILL_MB", 32)) << 20;
    test::TempDir dir;
    const std::string name = "big.mp3";
    const std::string path = dir.File(name);
    std::mt19937 random(static_cast<unsigned>(EnvNumber("KORVEL_KILL_SEED", 20261208)));

    std::vector<Operation> ops = Saves(audioBytes);
    int kills = 0;
    int damaged = 0;
    std::map<std::string, int> phases;
    for (size_t k = 0; k < ops.size(); ++k) {
        Operation& op = ops[k];
        if (k > 0) op.before = ops[k - 1].after;
        ASSERT_NO_FATAL_FAILURE(RunUninterrupted(op, path, dir));
        // The delays come in equal parts from the whole run, from the time
        // the new file is written and flushed, and from around the rename.
        // Runs vary on a busy machine: the delays are scaled down when runs
        // end before their kill and up when a kill meant for the writing
        // finds the process still starting.
        const double writing = op.renameAt - op.tempAt;
        const std::uniform_real_distribution<double> delays[3] = {
            std::uniform_real_distribution<double>(0, op.seconds),
            std::uniform_real_distribution<double>(op.tempAt, op.renameAt),
            std::uniform_real_distribution<double>(op.renameAt - writing * 0.1,
                                                   op.renameAt + (op.seconds - op.renameAt) * 0.5),
        };
        double scale = 1;
        std::map<std::string, int> seen;
        double slept = 0;
        const Clock::time_point started = Clock::now();
        test::WriteFile(path, op.before);
        for (int i = 0; i < killsPerOperation; ++i) {
            std::uniform_real_distribution<double> pick = delays[i % 3];
            const double delay = pick(random) * scale;
            pid_t pid = Start(Argv(op, path));
            SleepFor(delay);
            slept += delay;
            ::kill(pid, SIGKILL);
            const int status = Wait(pid);
            ++kills;

            const bool isOld = SameAs(op.before, path);
            const bool isNew = !isOld && SameAs(op.after, path);
            if (!isOld && !isNew) {
                ++damaged;
                ADD_FAILURE() << op.name << ": killed after " << delay << " s, the file is neither the old nor the new one ("
                              << fs::file_size(path) << " bytes)";
            }
            // The old file, checked byte for byte, serves the next round.
            if (!isOld) test::WriteFile(path, op.before);
            std::string phase = "starting";
            for (const std::string& entry : dir.List()) {
                if (entry == name) continue;
                EXPECT_TRUE(IsRecognisedLeftover(entry, name)) << op.name << ": unexpected file " << entry;
                if (IsReplacement(entry, name)) {
                    phase = fs::file_size(dir.Path() / entry) < op.after.size() ? "writing" : "written, not renamed";
                } else if (phase == "starting") {
                    phase = "rendering the tag";
                }
                fs::remove(dir.Path() / entry);
            }
            if (WIFEXITED(status)) {
                scale = std::max(0.3, scale * 0.95);
                phase = "finished before the kill";
            } else if (isNew) {
                phase = "renamed";
            }
            if (phase == "starting" && i % 3 != 0) scale = std::min(3.0, scale * 1.05);
            ++seen[phase];
            ++phases[phase];
        }
        std::cout << "[ kills    ] " << op.name << ": " << killsPerOperation << " kills; a run takes " << op.seconds
                  << " s, writes from " << op.tempAt << " s, renames at " << op.renameAt << " s; killed while";
        for (const auto& [phase, count] : seen) std::cout << " " << phase << " " << count << ";";
        std::cout << " " << std::chrono::duration<double>(Clock::now() - started).count() << " s in all, "
                  << slept << " s of them before the kills\n";
    }
    std::cout << "[ kills    ] " << kills << " kills, " << damaged << " damaged files\n";
    EXPECT_EQ(damaged, 0);
    if (killsPerOperation >= 20) {
        // The kills reached the copy and the rename.
        EXPECT_GT(phases["writing"], 0);
        EXPECT_GT(phases["renamed"] + phases["finished before the kill"], 0);
        EXPECT_GT(phases["starting"] + phases["rendering the tag"] + phases["writing"] +
                      phases["written, not renamed"],
                  0);
    }
}

TEST(CrashSafeSave, FullDiskFailsWithAClearErrorAndLeavesTheFile) {
    test::TempDir dir;
    const std::string name = "song.mp3";
    const std::string path = dir.File(name);
    std::vector<Operation> ops = Saves(300000);
    for (size_t k = 0; k < ops.size(); ++k) {
        Operation& op = ops[k];
        if (k > 0) op.before = ops[k - 1].after;
        ASSERT_NO_FATAL_FAILURE(RunUninterrupted(op, path, dir));

        const std::string args = ShellArgs(op, path);
        // Full from the start, in the middle of the copy, one byte short of
        // the end; then a disk that reports the lack of space only on flush.
        const std::vector<std::string> settings = {
            "KORVEL_FULL_DISK_AFTER=0",
            "KORVEL_FULL_DISK_AFTER=150000",
            "KORVEL_FULL_DISK_AFTER=" + std::to_string(op.after.size() - 1),
            "KORVEL_FULL_DISK_FSYNC=1",
        };
        for (const std::string& setting : settings) {
            test::WriteFile(path, op.before);
            std::string err;
            EXPECT_EQ(RunOnFullDisk(setting, args, &err), 1) << op.name << ", " << setting;
            EXPECT_NE(err.find("No space left on device"), std::string::npos)
                << op.name << ", " << setting << ": " << err;
            EXPECT_TRUE(SameAs(op.before, path)) << op.name << ", " << setting;
            EXPECT_EQ(dir.List(), std::vector<std::string>{name}) << op.name << ", " << setting;
        }
        // With room to spare the same run succeeds.
        test::WriteFile(path, op.before);
        std::string err;
        EXPECT_EQ(RunOnFullDisk("KORVEL_FULL_DISK_AFTER=" + std::to_string(op.after.size() * 2 + 100000), args, &err),
                  0)
            << op.name << ": " << err;
        EXPECT_TRUE(SameAs(op.after, path)) << op.name;
    }
}

TEST(CrashSafeSave, ReadOnlyFilesAndFoldersAreRefused) {
    test::TempDir dir;
    const std::string name = "song.mp3";
    const std::string path = dir.File(name);
    std::vector<Operation> ops = Saves(200000);
    for (size_t k = 0; k < ops.size(); ++k) {
        Operation& op = ops[k];
        if (k > 0) op.before = ops[k - 1].after;
        ASSERT_NO_FATAL_FAILURE(RunUninterrupted(op, path, dir));
        const std::string args = ShellArgs(op, path);

        for (const bool folder : {false, true}) {
            const char* what = folder ? "read-only folder" : "read-only file";
            test::WriteFile(path, op.before);
            ::chmod((folder ? dir.Path().string() : path).c_str(), 0555);
            std::string out, err;
            EXPECT_EQ(test::Run(Korvel(args), &out, &err), 1) << op.name << ", " << what;
            ::chmod(dir.Path().c_str(), 0755);
            ::chmod(path.c_str(), 0644);
            EXPECT_TRUE(err.find("Permission denied") != std::string::npos || err.find("read-only") != std::string::npos)
                << op.name << ", " << what << ": " << err;
            EXPECT_TRUE(SameAs(op.before, path)) << op.name << ", " << what;
            EXPECT_EQ(dir.List(), std::vector<std::string>{name}) << op.name << ", " << what;
        }
    }
}
