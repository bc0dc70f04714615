#pragma once
// What the version 2.3 reader needs of the updatable tag through which it
// changes, saves and removes a tag: the updatable tag's module (above this
// one) implements it and registers its maker, so that this module does not
// depend on it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/Picture.h"
#include "id3v2/TagFields.h"

namespace korvel {

struct TagContents;

class UpdatableTag {
public:
    virtual ~UpdatableTag() = default;

    // True when tags can be written here; otherwise false and why.
    virtual bool CheckLibrary(std::string& message) = 0;
    // Binds the object to a file and takes the frames of its tag, as read
    // into the frame model (null: read them from the file). Throws
    // KorvelException when the tag cannot be taken over.
    virtual void Attach(const std::string& fileName, std::shared_ptr<const TagContents> contents) = 0;

    // A field's value; the year as its number in decimal ("0" for none).
    virtual std::string FieldValue(TagField field) const = 0;
    // Changes a field; "" removes it.
    virtual void SetFieldValue(TagField field, const std::string& value) = 0;
    virtual PicturePtr FieldPicture() const = 0;
    virtual void SetFieldPicture(PicturePtr picture) = 0;
    virtual bool SplitGenre(int16_t& GenreID, std::string& GenreDescription) = 0;

    // Writes the tag to the file; false when nothing was written.
    virtual bool UpdateTag(int32_t tagType) = 0;
    // Removes tags of the given kinds; an id3lib error code (0: success).
    virtual int32_t StripTag(int32_t tagFlags) = 0;
    // Why the last UpdateTag or StripTag failed.
    virtual const std::string& LastFailure() const = 0;
};

using UpdatableTagPtr = std::shared_ptr<UpdatableTag>;

// The maker of updatable tags; registered once by the module that
// implements them. Without one, tags are read-only.
void SetUpdatableTagMaker(std::function<UpdatableTagPtr()> maker);
UpdatableTagPtr MakeUpdatableTag();

}  // namespace korvel
