#include "core/Picture.h"

#include <stb_image.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/BinaryFile.h"
#include "core/ReplacementFile.h"

namespace korvel {

namespace {

std::atomic<intptr_t> g_nextHandle{1};

// Recognises the container by its signature; decoding is stb_image's job.
PictureFormat SniffFormat(std::span<const uint8_t> b) {
    auto starts = [&](std::initializer_list<uint8_t> sig) {
        if (b.size() < sig.size()) return false;
        size_t i = 0;
        for (uint8_t s : sig) {
            if (b[i++] != s) return false;
        }
        return true;
    };
    if (starts({0xFF, 0xD8, 0xFF})) return PictureFormat::JPEG;
    if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFormat::PNG;
    if (starts({'G', 'I', 'F', '8'})) return PictureFormat::GIF;
    if (starts({'B', 'M'})) return PictureFormat::BMP;
    return PictureFormat::Unknown;
}

}  // namespace

std::shared_ptr<PictureObject> PictureObject::FromBytes(Bytes bytes) {
    auto picture = std::make_shared<PictureObject>();
    picture->m_format = SniffFormat(bytes);
    picture->m_bytes = std::move(bytes);
    picture->m_decoded = picture->m_format == PictureFormat::Unknown;
    return picture;
}

std::shared_ptr<PictureObject> PictureObject::FromShared(std::shared_ptr<const void> owner,
                                                        std::span<const uint8_t> bytes) {
    auto picture = std::make_shared<PictureObject>();
    picture->m_format = SniffFormat(bytes);
    picture->m_owner = std::move(owner);
    picture->m_shared = bytes;
    picture->m_decoded = picture->m_format == PictureFormat::Unknown;
    return picture;
}

const Bytes& PictureObject::Data() const {
    if (m_owner && m_bytes.size() != m_shared.size()) m_bytes.assign(m_shared.begin(), m_shared.end());
    return m_bytes;
}

void PictureObject::Decode() const {
    if (m_decoded) return;
    m_decoded = true;
    const std::span<const uint8_t> bytes = View();
    if (bytes.size() > 0x7FFFFFFF) return;
    int w = 0, h = 0, channels = 0;
    // A full decode proves the image is usable, not only its header.
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 0);
    if (pixels != nullptr) {
        stbi_image_free(pixels);
        m_width = w;
        m_height = h;
        m_handle = g_nextHandle++;
    }
}

std::shared_ptr<PictureObject> PictureObject::FromFile(const std::string& path) {
    BinaryFile file(path);
    return FromBytes(file.ReadAt(0, static_cast<size_t>(file.Length())));
}

void PictureObject::SaveToFile(const std::string& path) const {
    // A file already at the path stays whole until the new one is complete.
    ReplacementFile replacement(path);
    const std::span<const uint8_t> bytes = View();
    replacement.Write(bytes.data(), bytes.size());
    replacement.Commit();
}

std::string PictureObject::MimeTypeOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::JPEG: return "image/jpeg";
        case PictureFormat::PNG: return "image/png";
        case PictureFormat::GIF: return "image/gif";
        case PictureFormat::BMP: return "image/bmp";
        case PictureFormat::Unknown: break;
    }
    return "";
}

std::string PictureObject::MimeType() const { return MimeTypeOf(m_format); }

}  // namespace korvel
