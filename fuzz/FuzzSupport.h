#pragma once
// What the fuzz targets share: a scratch file that receives each input (the
// library reads files, not buffers) and the switch that keeps id3lib away so
// that the library's own readers parse every ID3v2 version.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace korvel::fuzz {

// Points the library at a missing id3lib; call before the first file is read.
inline void UseInternalReaders() { ::setenv("KORVEL_ID3LIB", "/nonexistent/libid3-for-fuzzing.so", 1); }

// A private folder under /tmp holding the input file; removed at exit.
class ScratchFolder {
public:
    ScratchFolder() {
        char name[] = "/tmp/korvel-fuzz-XXXXXX";
        if (::mkdtemp(name) == nullptr) std::abort();
        m_folder = name;
        m_input = m_folder + "/input.mp3";
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Folder() const { return m_folder; }
    const std::string& Input() const { return m_input; }

    // Replaces the input file's content by the bytes.
    const std::string& Write(const uint8_t* data, size_t size) const {
        FILE* out = std::fopen(m_input.c_str(), "wb");
        if (out == nullptr) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
        if (std::fclose(out) != 0) std::abort();
        return m_input;
    }

private:
    std::string m_folder;
    std::string m_input;
};

// The one scratch folder of the process, removed when it exits.
inline ScratchFolder& Scratch() {
    static ScratchFolder folder;
    return folder;
}

}  // namespace korvel::fuzz
