#include "id3v230/ID3LibSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <span>
#include <system_error>

#include "core/Ansi.h"
#include "id3v2/TagWriter.h"
#include "id3v230/RawTag.h"

namespace korvel::id3lib {

namespace {

std::string StripTrailingZeros(std::string text) {
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

}  // namespace

bool IsUrlFrame(ID3_FrameID type) { return type >= ID3FID_WWWCOMMERCIALINFO && type <= ID3FID_WWWUSER; }

ID3_FieldID ValueField(ID3_FrameID type) {
    if (type == ID3FID_PLAYCOUNTER) return ID3FN_COUNTER;
    if (type == ID3FID_UNIQUEFILEID || type == ID3FID_PICTURE) return ID3FN_DATA;
    if (IsUrlFrame(type)) return ID3FN_URL;
    return ID3FN_TEXT;
}

bool SameValue(const TagValue& a, const TagValue& b) { return a.kind() == b.kind() && a.ToString() == b.ToString(); }

std::string ReadText(const ID3LibBinding& lib, Handle field) {
    if (field == nullptr) return "";
    const int encoding = lib.FieldGetEncoding(field);
    if (encoding == ID3LibBinding::kEncodingUTF16 || encoding == ID3LibBinding::kEncodingUTF16BE) {
        return StripTrailingZeros(Utf16ToUtf8(lib.FieldGetUNICODE(field)));
    }
    std::string bytes = lib.FieldGetASCII(field);
    if (encoding == ID3LibBinding::kEncodingUTF8) return StripTrailingZeros(bytes);
    return StripTrailingZeros(AnsiToUtf8(bytes));
}

int32_t CodeOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::system_error& e) {
        const int err = e.code().value();
        if (err == EACCES || err == EPERM || err == EROFS) return kReadOnlyCode;
    } catch (...) {
    }
    return kReadOnlyCode;
}

ScratchFile::ScratchFile(const std::string& folder) {
    const std::string pattern = (std::filesystem::path(folder) / ".korvel-id3-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "create a scratch file in '" + folder + "'");
    }
    ::close(fd);
    m_path = name.data();
}

ScratchFile::~ScratchFile() {
    ::unlink(m_path.c_str());
    // id3lib renders through a file of its own (name + ".XXXXXX") when it
    // cannot write in place; it renames that over ours, but a failed render
    // may leave it behind. (A folder of a whole library is long to search.)
    if (m_rendered) return;
    std::error_code ec;
    const std::filesystem::path self(m_path);
    const std::string prefix = self.filename().string() + ".";
    for (const auto& entry : std::filesystem::directory_iterator(self.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
            std::filesystem::remove(entry.path(), ec);
        }
    }
}

void ScratchFile::RequireRoom() const {
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "open '" + m_path + "'");
    static const char kBlock[4096] = {};
    const ssize_t n = ::write(fd, kBlock, sizeof kBlock);
    const int err = n < 0 ? errno : ENOSPC;
    ::close(fd);
    if (n < static_cast<ssize_t>(sizeof kBlock)) {
        throw std::system_error(err, std::generic_category(), "write '" + m_path + "'");
    }
}

Handle LibTag::Only(const std::string& id) const {
    if (m_lib.TagNumFrames(m_tag) != 1) return nullptr;
    Handle frame = m_lib.TagFindFrameWithID(m_tag, ID3LibBinding::LibFrameIDOf(id));
    return frame != nullptr ? frame : m_lib.TagFindFrameWithID(m_tag, 0);
}

void LibTag::ParseRecord(const Bytes& record) {
    // A tag of exactly this one record: its size leaves no room for padding.
    TagLayout layout;
    layout.version = 3;
    layout.fitSize = 10 + record.size();
    m_lib.TagParse(m_tag, BuildTag({std::span<const uint8_t>(record)}, layout));
}

}  // namespace korvel::id3lib
