#pragma once
// What the desktop program's "Info" and "TAG" pages show, shared with the
// command-line tool: the audio information text and the attribute rows.
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

class FileHandler;

struct AttributeRow {
    std::string Attribute;
    std::string Value;
};

// The attribute rows of a loaded file: ID3v1 fields, ID3v2 frames and Lyrics3
// fields, in that order. Reading the rows may load the ID3v2 and Lyrics3
// tags; a Lyrics3 tag that fails to load is left out (its failure is thrown
// only by the lyrics members themselves).
std::vector<AttributeRow> AttributeRows(FileHandler& file);

// The twelve-line audio information text of a file (lines joined by CR LF).
std::string MPEGInfoText(FileHandler& file);

// h:mm:ss of a number of seconds (245 gives 0:04:05).
std::string formatDuration(int32_t seconds);

// Line feeds to CR LF (Reverse false), or CR LF back to line feeds.
std::string convertLineFeeds(const std::string& TextData, bool Reverse);

}  // namespace korvel
