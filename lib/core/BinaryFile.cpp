#include "core/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "errors/KorvelException.h"

namespace korvel {

namespace {
[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

BinaryFile::BinaryFile(const std::string& path) : m_path(path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) ThrowErrno("open '" + path + "'");
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(m_fd);
        m_fd = -1;
        throw std::system_error(err, std::generic_category(), "open '" + path + "'");
    }
    m_length = static_cast<int64_t>(st.st_size);
}

BinaryFile::~BinaryFile() {
    if (m_fd >= 0) ::close(m_fd);
}

size_t BinaryFile::ReadAt(int64_t offset, void* buffer, size_t count) const {
    if (offset < 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(m_fd, out + done, count - done, static_cast<off_t>(offset) +
                                                                 static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno("read '" + m_path + "'");
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

Bytes BinaryFile::ReadAt(int64_t offset, size_t count) const {
    // No more room than the file has left: a size field that claims more
    // must not make the read allocate it.
    const int64_t left = m_length - offset;
    if (left <= 0 || offset < 0) return {};
    if (static_cast<uint64_t>(left) < count) count = static_cast<size_t>(left);
    Bytes out(count);
    out.resize(ReadAt(offset, out.data(), count));
    return out;
}

Bytes BinaryFile::ReadExact(int64_t offset, size_t count) const {
    if (offset < 0 || static_cast<uint64_t>(count) > static_cast<uint64_t>(m_length) ||
        offset > m_length - static_cast<int64_t>(count)) {
        throw KorvelException(62, "File read", "Input past end of file");
    }
    Bytes out = ReadAt(offset, count);
    if (out.size() != count) throw KorvelException(62, "File read", "Input past end of file");
    return out;
}

int64_t FileLength(const std::string& path) {
    return static_cast<int64_t>(std::filesystem::file_size(path));
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

void RequireWritableFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
        throw std::system_error(EACCES, std::generic_category(), "'" + path + "' is read-only");
    }
}

void RequireWritable(const std::string& path) {
    RequireWritableFile(path);
    struct stat st {};
    std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
    if (::stat(folder.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
        throw std::system_error(EACCES, std::generic_category(),
                                "folder '" + folder.string() + "' is read-only");
    }
    if (::access(folder.c_str(), W_OK) != 0) ThrowErrno("folder '" + folder.string() + "'");
}

}  // namespace korvel
