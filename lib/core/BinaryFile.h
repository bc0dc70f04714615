#pragma once
// Read-only binary file access at byte offsets. The file is open for the
// object's lifetime only; operations open one, read, and let it go.
#include <cstdint>
#include <string>

#include "core/Types.h"

namespace korvel {

class BinaryFile {
public:
    // Opens for reading; throws std::system_error when the file cannot be opened.
    explicit BinaryFile(const std::string& path);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    const std::string& Path() const { return m_path; }
    // The length of the file when it was opened (the object lives for one
    // operation only, so the length is taken once).
    int64_t Length() const { return m_length; }

    // Reads up to count bytes at offset; fewer at the end of the file.
    size_t ReadAt(int64_t offset, void* buffer, size_t count) const;
    Bytes ReadAt(int64_t offset, size_t count) const;

    // Reads exactly count bytes; a read past the end throws KorvelException
    // (number 62, "Input past end of file").
    Bytes ReadExact(int64_t offset, size_t count) const;

    int Descriptor() const { return m_fd; }

private:
    std::string m_path;
    int m_fd = -1;
    int64_t m_length = 0;
};

// Size of a file in bytes; throws std::filesystem::filesystem_error.
int64_t FileLength(const std::string& path);

// True when a regular file (or a link to one) of that name exists.
bool FileExists(const std::string& path);

// Throws std::system_error(EACCES) when the file carries no write permission
// bit at all. This holds for privileged users too, who could otherwise change
// a file its owner marked read-only.
void RequireWritableFile(const std::string& path);

// As RequireWritableFile, and the folder that holds the file must be writable
// as well (a file is replaced there by a new one).
void RequireWritable(const std::string& path);

}  // namespace korvel
