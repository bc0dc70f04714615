#pragma once
// Helpers shared by the tests: scratch folders, file bytes, the corpus,
// running the command-line tool and other programs, id3lib made absent, and
// the library's messages caught.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Types.h"
#include "errors/MessageHandler.h"

namespace korvel::test {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Full path of a file in the folder.
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> List() const;

private:
    std::filesystem::path m_path;
};

void WriteFile(const std::string& path, const Bytes& bytes);
void WriteFile(const std::string& path, const std::string& bytes);
Bytes ReadFile(const std::string& path);

// Bytes from a string literal that may hold zero bytes: B("TAG\0x", 5).
Bytes B(const char* text, size_t size);
Bytes B(const std::string& text);
// Concatenation.
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes Concat(const std::vector<Bytes>& parts);

// Path of a corpus file ("mutagen/silence-44-s.mp3"); the test is skipped by
// the caller when CorpusAvailable() is false.
std::string CorpusPath(const std::string& name);
bool CorpusAvailable();

// Runs a shell command; returns its exit status and fills stdout (and stderr
// when given).
int Run(const std::string& command, std::string* out = nullptr, std::string* err = nullptr);

// Quotes a string for the shell.
std::string ShellQuote(const std::string& text);

// The korvel command-line tool built with the tests.
std::string CliPath();

// Runs korvel info and korvel xml over the files with id3lib present (the
// default) and switched off; "" when korvel info gives the same output,
// failures and exit status and korvel xml the same ID3v2 descriptions in
// both, otherwise the first difference.
std::string ReadingDifferenceWithoutId3lib(const std::vector<std::string>& paths);

// True when a program is on the PATH.
bool HaveProgram(const std::string& name);

// True when /usr/bin/python3 can import mutagen.
bool HaveMutagen();

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// A library file that does not exist: where KORVEL_ID3LIB points while id3lib
// is made absent.
inline constexpr const char* kMissingID3Lib = "/nonexistent/libid3-missing.so.3";
// Put in front of a shell command: runs it without id3lib.
inline const std::string kWithoutID3LibEnv = std::string("KORVEL_ID3LIB=") + kMissingID3Lib + " ";

// Makes id3lib absent while it lives (KORVEL_ID3LIB names kMissingID3Lib):
// version 2.3 tags are then read by the own parser and cannot be saved.
class WithoutID3Lib {
public:
    WithoutID3Lib();
    ~WithoutID3Lib();
    WithoutID3Lib(const WithoutID3Lib&) = delete;
    WithoutID3Lib& operator=(const WithoutID3Lib&) = delete;

private:
    bool m_wasSet = false;
    std::string m_old;
};

// True when id3lib loads.
bool HaveID3Lib();

// Skips the rest of a test when id3lib does not load.
#define KORVEL_SKIP_WITHOUT_ID3LIB() \
    if (!::korvel::test::HaveID3Lib()) GTEST_SKIP() << "id3lib not available"

// Collects the library's messages while it lives; the handler before it
// comes back afterwards.
class MessageCapture {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
        std::string caption;
    };

    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    // The latest message; an empty one before the first.
    const Message& Last() const;

    std::vector<Message> messages;

private:
    MessageHandler m_previous;
};

// SHA-256-free fingerprint good enough to compare file contents in tests.
std::string Fingerprint(const Bytes& bytes);

}  // namespace korvel::test
