#include "core/FileSystemInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cctype>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace korvel {

namespace fs = std::filesystem;

namespace {

FileTime ToFileTime(int64_t seconds, int64_t nanoseconds) {
    return FileTime(std::chrono::duration_cast<FileTime::duration>(std::chrono::seconds(seconds) +
                                                                   std::chrono::nanoseconds(nanoseconds)));
}

// Mount-table text escapes blanks, tabs, line feeds and backslashes as \ooo.
std::string UnescapeOctal(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() &&
            std::isdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Device names under /dev/disk/by-label escape characters as \xHH.
std::string UnescapeHex(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct MountEntry {
    std::string device;  // "major:minor"
    std::string mountPoint;
    std::string fileSystem;
    std::string source;
};

std::vector<MountEntry> ReadMountTable() {
    std::ifstream in("/proc/self/mountinfo");
    if (!in) throw std::system_error(errno ? errno : ENOENT, std::generic_category(), "'/proc/self/mountinfo'");
    std::vector<MountEntry> entries;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        std::string word;
        while (words >> word) fields.push_back(word);
        size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") ++separator;
        if (fields.size() < 5 || separator + 2 >= fields.size()) continue;
        entries.push_back({fields[2], UnescapeOctal(fields[4]), UnescapeOctal(fields[separator + 1]),
                           UnescapeOctal(fields[separator + 2])});
    }
    return entries;
}

bool IsUnder(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") return true;
    if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

bool IsNetworkFileSystem(const std::string& type) {
    static const char* const kTypes[] = {"nfs",   "nfs4",       "cifs",    "smb3",    "smbfs",
                                         "ncpfs", "afs",        "9p",      "ceph",    "glusterfs",
                                         "davfs", "fuse.sshfs", "sshfs",   "fuse.davfs2",
                                         "fuse.glusterfs", "fuse.s3fs", "fuse.rclone"};
    for (const char* t : kTypes) {
        if (type == t) return true;
    }
    return false;
}

bool IsRemovableDevice(const std::string& device) {
    std::error_code ec;
    const fs::path sys = fs::canonical("/sys/dev/block/" + device, ec);
    if (ec) return false;
    // A partition carries no flag of its own; its disk is the parent folder.
    for (const fs::path& folder : {sys, sys.parent_path()}) {
        std::ifstream in(folder / "removable");
        char flag = 0;
        if (in >> flag) return flag == '1';
    }
    return false;
}

std::string LabelOf(const std::string& source) {
    if (source.rfind("/dev/", 0) != 0) return std::string();
    std::error_code ec;
    const fs::path device = fs::canonical(source, ec);
    if (ec) return std::string();
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        if (fs::canonical(it->path(), linkError) == device && !linkError) {
            return UnescapeHex(it->path().filename().string());
        }
    }
    return std::string();
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string FormatDateTime(FileTime time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::string();
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
    return std::string(text, n);
}

std::string DriveInfo::RootFolder() const {
    if (m_path.empty() || m_path.back() == '/') return m_path;
    return m_path + "/";
}

DriveInfoPtr DriveInfo::ForPath(const std::string& path) {
    if (path.empty()) throw std::system_error(ENOENT, std::generic_category(), "no path given");
    const fs::path full = fs::weakly_canonical(fs::absolute(path));
    // The nearest part of the path that exists answers for the file system.
    fs::path existing = full;
    while (!fs::exists(existing) && existing.has_parent_path() && existing != existing.parent_path()) {
        existing = existing.parent_path();
    }

    const std::string text = full.string();
    const MountEntry* best = nullptr;
    const std::vector<MountEntry> mounts = ReadMountTable();
    for (const MountEntry& entry : mounts) {
        // Later entries are mounted over earlier ones at the same point.
        if (IsUnder(text, entry.mountPoint) &&
            (!best || entry.mountPoint.size() >= best->mountPoint.size())) {
            best = &entry;
        }
    }

    auto drive = std::make_shared<DriveInfo>();
    struct statvfs vfs {};
    if (::statvfs(existing.c_str(), &vfs) != 0) {
        throw std::system_error(errno, std::generic_category(), "'" + existing.string() + "'");
    }
    const auto unit = static_cast<int64_t>(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
    drive->m_availableSpace = static_cast<int64_t>(vfs.f_bavail) * unit;
    drive->m_freeSpace = static_cast<int64_t>(vfs.f_bfree) * unit;
    drive->m_totalSize = static_cast<int64_t>(vfs.f_blocks) * unit;
    drive->m_serialNumber = static_cast<uint64_t>(vfs.f_fsid);

    if (!best) {
        drive->m_path = "/";
        drive->m_driveType = Fixed;
        return drive;
    }
    drive->m_path = best->mountPoint;
    drive->m_fileSystem = best->fileSystem;
    drive->m_source = best->source;
    const std::string& type = best->fileSystem;
    if (IsNetworkFileSystem(type)) {
        drive->m_driveType = Network;
        drive->m_shareName = best->source;
    } else if (type == "iso9660" || type == "udf") {
        drive->m_driveType = CDRom;
    } else if (type == "tmpfs" || type == "ramfs") {
        drive->m_driveType = RamDisk;
    } else if (type == "proc" || type == "sysfs" || type == "devtmpfs" || type == "devpts" ||
               type.rfind("cgroup", 0) == 0) {
        drive->m_driveType = UnknownType;
    } else {
        drive->m_driveType = IsRemovableDevice(best->device) ? Removable : Fixed;
    }
    drive->m_volumeName = LabelOf(best->source);
    return drive;
}

std::string FileInfo::TypeNameOf(const std::string& fileName) {
    const std::string name = fs::path(fileName).filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return "File";
    const std::string ext = Lower(name.substr(dot + 1));
    if (ext == "mp3") return "MP3 audio file";
    if (ext == "mp2") return "MP2 audio file";
    if (ext == "mp1") return "MP1 audio file";
    if (ext == "mpa" || ext == "mpga") return "MPEG audio file";
    if (ext == "id3") return "ID3 tag file";
    std::string upper = ext;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper + " file";
}

FileInfoPtr FileInfo::ForPath(const std::string& path) {
    if (path.empty()) throw std::system_error(ENOENT, std::generic_category(), "no file name given");
    auto info = std::make_shared<FileInfo>();
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        if (S_ISDIR(sx.stx_mode)) throw std::system_error(EISDIR, std::generic_category(), "'" + path + "'");
        info->m_size = static_cast<int64_t>(sx.stx_size);
        info->m_accessed = ToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
        info->m_modified = ToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
        info->m_hasCreationTime = (sx.stx_mask & STATX_BTIME) != 0;
        info->m_created = info->m_hasCreationTime ? ToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                                  : info->m_modified;
    } else {
        if (errno != ENOSYS) throw std::system_error(errno, std::generic_category(), "'" + path + "'");
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            throw std::system_error(errno, std::generic_category(), "'" + path + "'");
        }
        if (S_ISDIR(st.st_mode)) throw std::system_error(EISDIR, std::generic_category(), "'" + path + "'");
        info->m_size = static_cast<int64_t>(st.st_size);
        info->m_accessed = ToFileTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
        info->m_modified = ToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        info->m_created = info->m_modified;
    }
    info->m_path = fs::absolute(path).lexically_normal().string();
    info->m_name = fs::path(path).filename().string();
    info->m_typeName = TypeNameOf(path);
    return info;
}

}  // namespace korvel
