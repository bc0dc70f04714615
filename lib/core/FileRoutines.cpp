#include "core/FileRoutines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/BinaryFile.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

// Re-raises the failure in flight under a new source, its description
// prefixed with the old source: "source - description" + suffix.
[[noreturn]] void Reraise(const std::string& source, const std::string& suffix = "") {
    FailureInfo info = DescribeFailure(std::current_exception());
    throw KorvelException(info.Number, source, info.Source + " - " + info.Description + suffix);
}

// Deletes a file; without force a file without write permission is refused.
void DeleteFile(const std::string& path, bool force) {
    if (!FileExists(path)) {
        throw std::system_error(ENOENT, std::generic_category(), "delete '" + path + "'");
    }
    if (!force) RequireWritableFile(path);
    fs::remove(path);
}

}  // namespace

std::string FileRoutines::GetFileName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileRoutines::GetExtensionName(const std::string& path) {
    std::string name = GetFileName(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string FileRoutines::ChangeExtension(const std::string& FileName,
                                          const std::string& NewExtension) {
    try {
        std::string extension = GetExtensionName(FileName);
        return FileName.substr(0, FileName.size() - extension.size()) + NewExtension;
    } catch (...) {
        Reraise("FileRoutines::ChangeExtension()");
    }
}

std::string FileRoutines::CreateTempFile(const std::string& OutputDirectory,
                                         const std::string& Extension) {
    std::string folder = OutputDirectory;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    std::string pattern = folder + "tmpXXXXXX.tmp";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = ::mkstemps(buffer.data(), 4);
    if (fd < 0) {
        throw KorvelException("FileRoutines::CreateTempFileName()",
                              "API Call 'GetTmpFileName' failed. Path = '" + OutputDirectory +
                                  "'.");
    }
    ::close(fd);
    std::string name = ChangeExtension(buffer.data(), Extension);
    if (!FileExists(name)) {
        int created = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0) {
            throw std::system_error(errno, std::generic_category(), "create '" + name + "'");
        }
        ::close(created);
    }
    return name;
}

void FileRoutines::DeleteTempFile(const std::string& TempFileName, bool Force) {
    try {
        if (GetExtensionName(TempFileName) != "tmp") {
            DeleteFile(ChangeExtension(TempFileName, "tmp"), Force);
        }
        DeleteFile(TempFileName, Force);
    } catch (...) {
        Reraise("FileRoutines::DeleteTempFile");
    }
}

void FileRoutines::FileCopy(const std::string& FileSource, const std::string& FileDestination,
                            bool OverwriteFiles, int32_t numBytesToCutFromTheEnd,
                            bool AppendData) {
    try {
        if (FileExists(FileDestination)) {
            if (OverwriteFiles) {
                DeleteFile(FileDestination, true);
            } else if (!AppendData) {
                throw KorvelException("FileCopy", "Destination file already exists.");
            }
        }
        if (!FileExists(FileSource)) {
            throw KorvelException("File check", "Source file does not exist.");
        }
        BinaryFile source(FileSource);
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (AppendData ? O_APPEND : 0);
        int fd = ::open(FileDestination.c_str(), flags, 0666);
        if (fd < 0) {
            throw std::system_error(errno, std::generic_category(),
                                    "open '" + FileDestination + "'");
        }
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer{fd};

        const int64_t total = source.Length() - numBytesToCutFromTheEnd;
        std::vector<uint8_t> chunk(kChunkSize);
        int64_t copied = 0;
        while (copied < total) {
            size_t want = static_cast<size_t>(std::min<int64_t>(kChunkSize, total - copied));
            size_t got = source.ReadAt(copied, chunk.data(), want);
            if (got == 0) break;
            size_t done = 0;
            while (done < got) {
                ssize_t n = ::write(fd, chunk.data() + done, got - done);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    throw std::system_error(errno, std::generic_category(),
                                            "write '" + FileDestination + "'");
                }
                done += static_cast<size_t>(n);
            }
            copied += static_cast<int64_t>(got);
        }
    } catch (...) {
        Reraise("FileCopy");
    }
}

void FileRoutines::CutFileBytes(const std::string& File, int32_t NumBytesToCut) {
    std::string tempName;
    try {
        BinaryFile source(File);
        ReplacementFile replacement(File);
        tempName = replacement.TempPath();
        const int64_t keep = std::max<int64_t>(0, source.Length() - NumBytesToCut);
        try {
            replacement.AppendFrom(source, 0, keep);
        } catch (...) {
            FailureInfo info = DescribeFailure(std::current_exception());
            throw KorvelException("FileCopy", info.Source + " - " + info.Description);
        }
        replacement.Commit();
    } catch (const KorvelException& e) {
        if (e.Source() == "FileCopy") throw;
        Reraise("CutFileBytes()", " (" + tempName + ")");
    } catch (...) {
        Reraise("CutFileBytes()", " (" + tempName + ")");
    }
}

}  // namespace korvel
