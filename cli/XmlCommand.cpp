#include <exception>
#include <iostream>

#include <pugixml.hpp>

#include "Cli.h"
#include "file/FileHandler.h"
#include "errors/cError.h"
#include "xml/XmlNodes.h"

namespace korvel::cli {

namespace {

// The XML description of one file; false (reported on stderr) when the file
// cannot be read or described.
bool Describe(const std::string& path, bool several, XmlElement& description) {
    FileHandler file;
    if (!(several ? OpenFileOf(file, path, "xml") : OpenFile(file, path))) return false;
    try {
        description = file.XmlDescription();
        return true;
    } catch (...) {
        cError failure;
        failure.CopyError();
        std::cerr << (several ? "korvel xml: " + path + ": " : "") << failure.Stream() << "\n";
        return false;
    }
}

// Writes one file's description as a "Document" element of the wrapper: its
// top element copied as it is, so that every value stays as written.
void PrintDocument(const std::string& path, const XmlElement& description) {
    pugi::xml_document wrapper;
    pugi::xml_node document = wrapper.append_child("Document");
    document.append_attribute("Path").set_value(path.c_str());
    document.append_copy(description.Node);
    document.print(std::cout, "\t", pugi::format_indent, pugi::encoding_utf8, 1);
}

}  // namespace

int RunXml(const std::vector<std::string>& args) {
    const Arguments arguments(args, {kCodePageOption}, {});
    if (arguments.Has(kCodePageOption)) UseCodePage(arguments.Value(kCodePageOption));
    const std::vector<std::string>& paths = arguments.Files();
    if (paths.size() == 1) {
        XmlElement description;
        if (!Describe(paths[0], false, description)) return kExitFailure;
        WriteXml(*description.Document, std::cout);
        return kExitOk;
    }
    bool failed = false;
    std::cout << "<?xml version=\"1.0\"?>\n<KorvelFiles>\n";
    for (const std::string& path : paths) {
        XmlElement description;
        if (Describe(path, true, description)) {
            PrintDocument(path, description);
        } else {
            failed = true;
        }
    }
    std::cout << "</KorvelFiles>\n";
    return failed ? kExitFailure : kExitOk;
}

}  // namespace korvel::cli
