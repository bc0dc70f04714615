#pragma once
// Changing the fields of a tag in its frame model, for the writers of
// versions 2.3 and 2.4: the frame that holds a field (TagFields) is made
// anew by FrameEncoder, every other frame stays the record it was, so that a
// tag writer carries it over byte for byte.
#include <string>

#include "core/Picture.h"
#include "id3v2/TagContents.h"
#include "id3v2/TagFields.h"

namespace korvel {

// Sets a field in a tag of version 2.3 or 2.4; true when the frames changed.
// - A value the field reads already (FieldText) changes nothing.
// - "" removes the field's frame.
// - Otherwise the field's frame is made anew with the value, keeping its text
//   encoding when that holds the value (in a tag read in a code page other
//   than the default, encoding 0 holds ASCII only), else UTF-8 (2.4) or
//   UTF-16 (2.3); keeping its language, description, status flags and group.
//   A text frame that held several values gets the value split at " / ";
//   a year keeps the rest of a recording time ("2006" over "2005-09-05"
//   gives "2006-09-05"); synchronised lyrics keep the times of their lines.
//   A field without a frame gets a new one at the end, in Latin-1 when that
//   holds the value.
// A year also removes the year frame of the other version (TYER in 2.4,
// TDRC in 2.3), which would otherwise contradict it.
bool SetFieldText(TagContents& tag, TagField field, const std::string& value);

// Puts a picture's image into the tag's first picture frame (APIC), keeping
// its picture type, description and encoding, with the picture's MIME type;
// without a picture frame, adds a front cover at the end. A null picture or
// one that holds no image removes the first picture frame. The image the
// frame holds already changes nothing. True when the frames changed.
bool SetPictureFrame(TagContents& tag, const PicturePtr& picture);

}  // namespace korvel
