#pragma once
// What the desktop program's "Info" and "TAG" pages show, shared with the
// command-line tool: the audio information text and the attribute rows.
#include <cstdint>
#include <string>
#include <vector>

#include "errors/cError.h"

namespace korvel {

class FileHandler;

struct AttributeRow {
    std::string Attribute;
    std::string Value;
};

// The attribute rows of a loaded file: ID3v1 fields, ID3v2 frames and Lyrics3
// fields, in that order. Reading the rows may load the ID3v2 and Lyrics3
// tags. A tag that fails to load (a malformed ID3v2 or Lyrics3 tag) does not end the
// report: its rows are left out and, when failures is given, its failure is
// appended there as an error record (number, source, description; Mode 2),
// so that the caller can show it (korvel prints its Stream on stderr, the
// desktop program shows it in a message box) and still show the other rows.
std::vector<AttributeRow> AttributeRows(FileHandler& file, std::vector<cError>* failures = nullptr);

// The twelve-line audio information text of a file (lines joined by CR LF).
std::string MPEGInfoText(FileHandler& file);

// h:mm:ss of a number of seconds (245 gives 0:04:05).
std::string formatDuration(int32_t seconds);

// Line feeds to CR LF (Reverse false), or CR LF back to line feeds.
std::string convertLineFeeds(const std::string& TextData, bool Reverse);

}  // namespace korvel
