#include <exception>
#include <iostream>

#include <pugixml.hpp>

#include "Cli.h"
#include "file/FileHandler.h"
#include "errors/cError.h"

namespace korvel::cli {

namespace {

// The XML description of one file; false (reported on stderr) when the file
// cannot be read or described.
bool Describe(const std::string& path, bool several, std::string& text) {
    FileHandler file;
    if (!(several ? OpenFileOf(file, path, "xml") : OpenFile(file, path))) return false;
    try {
        text = file.xml();
        return true;
    } catch (...) {
        cError failure;
        failure.CopyError();
        std::cerr << (several ? "korvel xml: " + path + ": " : "") << failure.Stream() << "\n";
        return false;
    }
}

// Writes one file's description as a "Document" element of the wrapper. The
// description is parsed back without line-end normalisation and with
// whitespace-only values kept, so that every value stays as written.
bool PrintDocument(const std::string& path, const std::string& text) {
    pugi::xml_document description;
    const unsigned flags = (pugi::parse_default | pugi::parse_ws_pcdata_single) & ~pugi::parse_eol;
    const pugi::xml_parse_result parsed = description.load_buffer(text.data(), text.size(), flags);
    if (!parsed) {
        std::cerr << "korvel xml: " << path << ": " << parsed.description() << "\n";
        return false;
    }
    pugi::xml_document wrapper;
    pugi::xml_node document = wrapper.append_child("Document");
    document.append_attribute("Path").set_value(path.c_str());
    for (pugi::xml_node child : description.children()) {
        if (child.type() != pugi::node_declaration) document.append_copy(child);
    }
    document.print(std::cout, "\t", pugi::format_indent, pugi::encoding_utf8, 1);
    return true;
}

}  // namespace

int RunXml(const std::vector<std::string>& args) {
    const Arguments arguments(args, {kCodePageOption}, {});
    if (arguments.Has(kCodePageOption)) UseCodePage(arguments.Value(kCodePageOption));
    const std::vector<std::string>& paths = arguments.Files();
    if (paths.size() == 1) {
        std::string text;
        if (!Describe(paths[0], false, text)) return kExitFailure;
        std::cout << text;
        return kExitOk;
    }
    bool failed = false;
    std::cout << "<?xml version=\"1.0\"?>\n<KorvelFiles>\n";
    for (const std::string& path : paths) {
        std::string text;
        if (!Describe(path, true, text) || !PrintDocument(path, text)) failed = true;
    }
    std::cout << "</KorvelFiles>\n";
    return failed ? kExitFailure : kExitOk;
}

}  // namespace korvel::cli
