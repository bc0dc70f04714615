#pragma once
// Builds the complete new content of a file in a temporary file beside it and
// then puts it in the file's place with one rename. Until Commit the original
// is untouched; a ReplacementFile that is destroyed without Commit removes its
// temporary file.
#include <cstdint>
#include <functional>
#include <string>

#include "core/Types.h"

namespace korvel {

class BinaryFile;

class ReplacementFile {
public:
    // Creates the temporary file ".<name>.korvel-XXXXXX" (mkstemp's six
    // characters) in the target's folder. Throws
    // std::system_error when the target or its folder is not writable.
    explicit ReplacementFile(const std::string& target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& TempPath() const { return m_tempPath; }
    const std::string& Target() const { return m_target; }

    void Write(const void* data, size_t size);
    void Write(const Bytes& bytes) { Write(bytes.data(), bytes.size()); }

    // Appends count bytes of source from offset, in chunks.
    void AppendFrom(const BinaryFile& source, int64_t offset, int64_t count);

    // Flushes the new content to disk, gives it the target's permission bits
    // (a new file's, 0666 less the umask, when the target does not exist yet)
    // and renames it over the target. Throws on failure (the temporary file is
    // removed, the target stays as it was).
    void Commit();

    // What follows ".<name>" in a temporary file's name, before the six
    // random characters.
    static constexpr const char* kTempInfix = ".korvel-";

    // Chunk size of AppendFrom where the bytes go through a buffer, and where
    // the kernel copies them (each call has a cost of its own: large pieces).
    static constexpr size_t kChunkSize = 102400;
    static constexpr size_t kKernelChunkSize = size_t{8} << 20;

    // Test seam: a function called with "write" before each write and with
    // "rename" just before the rename; it may throw to simulate a failure
    // (a full disk, a failing rename). Pass an empty function to remove it.
    using FaultHook = std::function<void(const std::string& step)>;
    static void SetFaultHook(FaultHook hook);

private:
    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_committed = false;
};

}  // namespace korvel
