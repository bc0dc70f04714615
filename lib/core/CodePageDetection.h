#pragma once
// Finds the code page of a file's single-byte tag texts (ID3v1 and Lyrics3
// fields, ID3v2 frames in encoding 0) from all of them together.
//
// Tag texts are short, too short for a charset detector alone: a title and an
// artist give it a few dozen bytes. So the detector's guess (uchardet) only
// decides between code pages whose reading of the texts looks like text of
// one script: words of letters of one alphabet, without stray symbols inside
// them, with capitals only at the start of a word or throughout it. Windows-1252
// stays whenever its own reading looks like that and the detector does not
// point to another page that does equally well.
#include <string>
#include <vector>

#include "core/CodePage.h"

namespace korvel {

// The code pages detection chooses from, Windows-1252 first.
const std::vector<std::string>& DetectableCodePages();

// The code page the texts (the raw bytes of one file's single-byte fields)
// are most likely written in. Windows-1252 when they are pure ASCII, when no
// code page reads them as text of one script, or when the evidence does not
// single one out.
CodePage DetectCodePage(const std::vector<std::string>& texts);

// The decision DetectCodePage makes, given what a charset detector said
// about the joined texts: its guesses, most likely first, as detectors name
// code pages ("WINDOWS-1251", "ISO-8859-7", "GB18030", "UHC", ...).
CodePage ChooseCodePage(const std::vector<std::string>& texts, const std::vector<std::string>& guesses);

}  // namespace korvel
