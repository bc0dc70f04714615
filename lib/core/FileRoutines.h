#pragma once
// Whole-file operations that tag writing needs. Failures are raised to the
// caller as KorvelException (or the platform's own exception types).
#include <cstdint>
#include <string>

namespace korvel {

class FileRoutines {
public:
    // Creates a new, empty file with a unique name from the prefix "tmp" in
    // the folder, then (when Extension is not "tmp") one more with the same
    // name and that extension; returns the latter's full name. The ".tmp"
    // companion stays until DeleteTempFile.
    std::string CreateTempFile(const std::string& OutputDirectory,
                               const std::string& Extension = "");

    // Deletes the file and its ".tmp" companion. Without Force a read-only
    // file is not deleted (the call fails).
    void DeleteTempFile(const std::string& TempFileName, bool Force = false);

    std::string LastError() const { return ""; }

    // a.mp3 + "tmp" gives a.tmp; a name without extension gets the new one
    // appended directly.
    std::string ChangeExtension(const std::string& FileName, const std::string& NewExtension);

    // Copies the source without its last numBytesToCutFromTheEnd bytes, in
    // chunks of 102 400 bytes, to the destination (or appends to it).
    void FileCopy(const std::string& FileSource, const std::string& FileDestination,
                  bool OverwriteFiles = false, int32_t numBytesToCutFromTheEnd = 0,
                  bool AppendData = false);

    // Shortens the file by NumBytesToCut bytes. The shortened copy is built
    // beside the file and replaces it with one rename, so the original stays
    // whole on any failure.
    void CutFileBytes(const std::string& File, int32_t NumBytesToCut);

    static constexpr size_t kChunkSize = 102400;

    // The text after the last dot of the last path component; "" when none.
    static std::string GetExtensionName(const std::string& path);
    // The last path component.
    static std::string GetFileName(const std::string& path);
};

}  // namespace korvel
