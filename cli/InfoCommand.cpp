#include <iostream>

#include "Cli.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"

namespace korvel::cli {

namespace {

// The report of one file. With several files a failure names the file.
bool PrintInfo(const std::string& path, bool several) {
    FileHandler file;
    if (!(several ? OpenFileOf(file, path, "info") : OpenFile(file, path))) return false;
    std::string info = MPEGInfoText(file);
    if (!info.empty()) {
        std::string flat = convertLineFeeds(info, true);
        std::cout << flat << "\n";
    }
    if (!file.UsedCodePage().IsDefault()) std::cout << "Codepage\t" << file.UsedCodePage().Name() << "\n";
    std::vector<cError> failures;
    for (const AttributeRow& row : AttributeRows(file, &failures)) {
        std::cout << row.Attribute << "\t" << EscapeValue(row.Value) << "\n";
    }
    // A tag that could not be read is reported; the rest still stands.
    const std::string prefix = several ? "korvel info: " + path + ": " : "korvel info: ";
    for (const cError& failure : failures) std::cerr << prefix << failure.Stream() << "\n";
    return true;
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    const Arguments arguments(args, {kCodePageOption}, {});
    if (arguments.Has(kCodePageOption)) UseCodePage(arguments.Value(kCodePageOption));
    const std::vector<std::string>& paths = arguments.Files();
    const bool several = paths.size() > 1;
    bool failed = false;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (several) {
            if (i > 0) std::cout << "\n";
            std::cout << "==> " << paths[i] << " <==\n";
        }
        if (!PrintInfo(paths[i], several)) failed = true;
    }
    return failed ? kExitFailure : kExitOk;
}

}  // namespace korvel::cli
