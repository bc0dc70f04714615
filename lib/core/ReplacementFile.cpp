#include "core/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/BinaryFile.h"

namespace korvel {

namespace {
[[noreturn]] void ThrowErrno(int err, const std::string& what) {
    throw std::system_error(err, std::generic_category(), what);
}

ReplacementFile::FaultHook& Hook() {
    static ReplacementFile::FaultHook hook;
    return hook;
}

// The permission bits the process gives a file it creates: 0666 less its
// umask, read from /proc because umask() can only be read by changing it.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
        }
    }
    return 0644;
}
}  // namespace

void ReplacementFile::SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

ReplacementFile::ReplacementFile(const std::string& target) : m_target(target) {
    // A save through a symbolic link replaces the file the link names, in
    // that file's folder; renaming over the link itself would turn the link
    // into a plain copy and leave the real file unchanged.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path real = std::filesystem::canonical(target, ec);
        if (!ec) m_target = real.string();
    }
    RequireWritable(m_target);
    std::filesystem::path p = std::filesystem::absolute(m_target);
    // A hidden name that says whose it is: ".<name>.korvel-XXXXXX". One left
    // behind by a killed process can be recognised and deleted.
    std::string pattern = (p.parent_path() / ("." + p.filename().string() + kTempInfix + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) ThrowErrno(errno, "create temporary file beside '" + m_target + "'");
    m_tempPath = name.data();
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_committed && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
}

void ReplacementFile::Write(const void* data, size_t size) {
    if (Hook()) Hook()("write");
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(m_fd, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, "write '" + m_tempPath + "'");
        }
        done += static_cast<size_t>(n);
    }
}

void ReplacementFile::AppendFrom(const BinaryFile& source, int64_t offset, int64_t count) {
    // Chunk by chunk (the fault hook sees one "write" each), copied by the
    // kernel from file to file without a trip through this process's memory.
    // Where it cannot copy (file systems or kernels without copy_file_range
    // for these files), the bytes go through a buffer.
    std::vector<uint8_t> buffer;
    bool kernelCopy = true;
    while (count > 0) {
        const size_t want =
            static_cast<size_t>(std::min<int64_t>(count, kernelCopy ? kKernelChunkSize : kChunkSize));
        size_t got = 0;
        if (kernelCopy) {
            if (Hook()) Hook()("write");
            off_t from = static_cast<off_t>(offset);
            const ssize_t n = ::copy_file_range(source.Descriptor(), &from, m_fd, nullptr, want, 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                    errno != EBADF) {
                    ThrowErrno(errno, "write '" + m_tempPath + "'");
                }
                kernelCopy = false;
                continue;
            }
            got = static_cast<size_t>(n);
        } else {
            if (buffer.empty()) buffer.resize(static_cast<size_t>(std::min<int64_t>(count, kChunkSize)));
            got = source.ReadAt(offset, buffer.data(), want);
            if (got > 0) Write(buffer.data(), got);
        }
        if (got == 0) ThrowErrno(EIO, "read '" + source.Path() + "': file ended early");
        offset += static_cast<int64_t>(got);
        count -= static_cast<int64_t>(got);
    }
}

void ReplacementFile::Commit() {
    // The target's permission bits, or those of a new file when there is
    // no target yet (mkstemp makes the temporary file private).
    struct stat st {};
    const mode_t mode = ::stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
    if (::fchmod(m_fd, mode) != 0) ThrowErrno(errno, "chmod '" + m_tempPath + "'");
    if (::fsync(m_fd) != 0) ThrowErrno(errno, "flush '" + m_tempPath + "'");
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) ThrowErrno(errno, "close '" + m_tempPath + "'");
    if (Hook()) Hook()("rename");
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        ThrowErrno(errno, "replace '" + m_target + "'");
    }
    m_committed = true;
    // Make the rename itself durable.
    std::string folder = std::filesystem::absolute(m_target).parent_path().string();
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace korvel
