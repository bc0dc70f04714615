#pragma once
// Helpers shared by the tests: scratch folders, file bytes, the corpus and
// running the command-line tool.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Types.h"

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
// default) and switched off, and expects the same output, failures and exit
// status from korvel info and the same ID3v2 descriptions from korvel xml.
void ExpectSameReadingWithAndWithoutId3lib(const std::vector<std::string>& paths);

// True when a program is on the PATH.
bool HaveProgram(const std::string& name);

// SHA-256-free fingerprint good enough to compare file contents in tests.
std::string Fingerprint(const Bytes& bytes);

}  // namespace korvel::test
