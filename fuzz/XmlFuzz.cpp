// The two XML setters: the input is parsed as an XML document and every
// "ID3V1Tag" and "LyricsTag" element in it is handed to ID3V1Tag::setTag and
// LyricsTag::CreateFromTag; the filled tags are described as XML again.
#include <cstdint>

#include <pugixml.hpp>

#include "id3v1/ID3V1Tag.h"
#include "lyrics3/LyricsTag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pugi::xml_document document;
    if (!document.load_buffer(data, size)) return 0;
    const pugi::xml_node root = document.document_element();
    for (const char* path : {"descendant-or-self::ID3V1Tag", "descendant-or-self::LyricsTag"}) {
        for (const pugi::xpath_node& found : root.select_nodes(path)) {
            korvel::ID3V1Tag v1;
            try {
                v1.setTag(found.node());
            } catch (...) {
            }
            (void)v1.xml();
            try {
                (void)v1.EncodeRecord();
            } catch (...) {
            }
            korvel::LyricsTag lyrics;
            (void)lyrics.CreateFromTag(found.node());
            (void)lyrics.xml(), (void)lyrics.Lyrics();
        }
    }
    // The top element itself, whatever its name.
    korvel::ID3V1Tag v1;
    try {
        v1.setTag(root);
    } catch (...) {
    }
    korvel::LyricsTag lyrics;
    (void)lyrics.CreateFromTag(root);
    return 0;
}
