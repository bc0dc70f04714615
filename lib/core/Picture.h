#pragma once
// A picture: the encoded bytes of an image file with their format and pixel
// size. The bytes are kept exactly as given, so cover art is never re-encoded.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/Types.h"

namespace korvel {

enum class PictureFormat { Unknown, JPEG, PNG, GIF, BMP };

class PictureObject {
public:
    // An empty picture (handle 0).
    PictureObject() = default;

    // Builds a picture from an image file's bytes. The picture's handle is
    // 0 when the bytes are not a decodable image.
    static std::shared_ptr<PictureObject> FromBytes(Bytes bytes);
    // The same over bytes another object holds (a tag read into memory):
    // nothing is copied; `owner` keeps the bytes alive with the picture.
    static std::shared_ptr<PictureObject> FromShared(std::shared_ptr<const void> owner,
                                                     std::span<const uint8_t> bytes);

    // Loads an image file; throws std::system_error when it cannot be read.
    // Bytes that are not a decodable image give a picture with handle 0.
    static std::shared_ptr<PictureObject> FromFile(const std::string& path);

    // Writes the original bytes to a file, through a temporary file renamed
    // into place; throws on failure.
    void SaveToFile(const std::string& path) const;

    // Non-zero exactly when the picture holds a decodable image. Each loaded
    // image gets its own number, so two pictures compare by handle.
    // The bytes are decoded on the first call of handle, Width or Height
    // (a tag reader that only lists its frames never pays for a decode).
    intptr_t handle() const {
        Decode();
        return m_handle;
    }

    // The image file's bytes as given.
    std::span<const uint8_t> View() const { return m_owner ? m_shared : std::span<const uint8_t>(m_bytes); }
    // The same as an array; a picture over shared bytes makes its copy on
    // the first call (View needs none).
    const Bytes& Data() const;
    PictureFormat Format() const { return m_format; }
    // "image/jpeg", "image/png", "image/gif", "image/bmp"; "" when unknown.
    std::string MimeType() const;
    int Width() const {
        Decode();
        return m_width;
    }
    int Height() const {
        Decode();
        return m_height;
    }

    static std::string MimeTypeOf(PictureFormat format);

private:
    // Decodes the bytes once, to learn whether they are an image and its size.
    void Decode() const;

    // The bytes: the picture's own, or shared with m_owner (m_bytes is then
    // the copy Data made, if any).
    mutable Bytes m_bytes;
    std::shared_ptr<const void> m_owner;
    std::span<const uint8_t> m_shared;
    PictureFormat m_format = PictureFormat::Unknown;
    mutable bool m_decoded = true;
    mutable int m_width = 0;
    mutable int m_height = 0;
    mutable intptr_t m_handle = 0;
};

using PicturePtr = std::shared_ptr<PictureObject>;

// True when the picture is present and holds an image.
inline bool HasImage(const PicturePtr& picture) { return picture && picture->handle() != 0; }

}  // namespace korvel
