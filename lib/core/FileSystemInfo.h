#pragma once
// Facts about a file and about the file system ("drive") that holds it, as
// the file handler reports them and its XML description lists them. Both are
// read from the file system when the object is made and do not change later.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace korvel {

using FileTime = std::chrono::system_clock::time_point;

// A point in time in local time as "dd/mm/yyyy hh:mm:ss" (two-digit day and
// month, four-digit year, 24-hour clock).
std::string FormatDateTime(FileTime time);

// The mounted file system that holds a path.
class DriveInfo {
public:
    // Drive kinds, numbered as file-system services customarily number them.
    enum Kind : int32_t {
        UnknownType = 0,
        Removable = 1,
        Fixed = 2,
        Network = 3,
        CDRom = 4,
        RamDisk = 5,
    };

    // The file system that holds path (which need not exist: its nearest
    // existing folder decides). Throws std::system_error when the mount table
    // or the file system cannot be read, std::filesystem::filesystem_error for
    // an unusable path.
    static std::shared_ptr<DriveInfo> ForPath(const std::string& path);

    int32_t DriveType() const { return m_driveType; }
    // The label of the file system's block device ("" when it has none).
    const std::string& VolumeName() const { return m_volumeName; }
    // Bytes free for an unprivileged user, bytes free in all, total bytes.
    int64_t AvailableSpace() const { return m_availableSpace; }
    int64_t FreeSpace() const { return m_freeSpace; }
    int64_t TotalSize() const { return m_totalSize; }
    // There are no drive letters here: always "".
    std::string DriveLetter() const { return std::string(); }
    // The file-system type, e.g. "ext4", "tmpfs", "nfs4".
    const std::string& FileSystem() const { return m_fileSystem; }
    // The mount point ("/", "/home").
    const std::string& Path() const { return m_path; }
    // The mount point as a folder, ending in "/".
    std::string RootFolder() const;
    // The file-system ID the kernel reports (statvfs f_fsid).
    uint64_t SerialNumber() const { return m_serialNumber; }
    // For network file systems the remote source ("//server/share",
    // "server:/export"), otherwise "".
    const std::string& ShareName() const { return m_shareName; }
    // What is mounted there: a device path or the source a network or
    // virtual file system names.
    const std::string& Source() const { return m_source; }

private:
    int32_t m_driveType = UnknownType;
    std::string m_volumeName;
    int64_t m_availableSpace = 0;
    int64_t m_freeSpace = 0;
    int64_t m_totalSize = 0;
    std::string m_fileSystem;
    std::string m_path;
    uint64_t m_serialNumber = 0;
    std::string m_shareName;
    std::string m_source;
};

using DriveInfoPtr = std::shared_ptr<DriveInfo>;

// One file.
class FileInfo {
public:
    // Throws std::system_error when the file cannot be examined (ENOENT for
    // a missing one).
    static std::shared_ptr<FileInfo> ForPath(const std::string& path);

    // The last path component ("a.mp3").
    const std::string& Name() const { return m_name; }
    // The absolute path.
    const std::string& Path() const { return m_path; }
    int64_t Size() const { return m_size; }
    // The birth time where the file system records it; otherwise the
    // last-modified time (HasCreationTime tells which).
    FileTime DateCreated() const { return m_created; }
    bool HasCreationTime() const { return m_hasCreationTime; }
    FileTime DateLastAccessed() const { return m_accessed; }
    FileTime DateLastModified() const { return m_modified; }
    // A description of the file's type from its extension ("MP3 audio file").
    const std::string& TypeName() const { return m_typeName; }

    // The description for a file name: known audio extensions by name,
    // others as "XYZ file", no extension as "File".
    static std::string TypeNameOf(const std::string& fileName);

private:
    std::string m_name;
    std::string m_path;
    int64_t m_size = 0;
    FileTime m_created;
    FileTime m_accessed;
    FileTime m_modified;
    bool m_hasCreationTime = false;
    std::string m_typeName;
};

using FileInfoPtr = std::shared_ptr<FileInfo>;

}  // namespace korvel
