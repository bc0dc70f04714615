#include <iostream>

#include "Cli.h"
#include "core/FileHandler.h"
#include "core/FileReport.h"

namespace korvel::cli {

int RunInfo(const std::vector<std::string>& args) {
    const std::string path = Arguments(args, {}, {}).File();
    FileHandler file;
    if (!OpenFile(file, path)) return kExitFailure;
    std::string info = MPEGInfoText(file);
    if (!info.empty()) {
        std::string flat = convertLineFeeds(info, true);
        std::cout << flat << "\n";
    }
    std::vector<cError> failures;
    for (const AttributeRow& row : AttributeRows(file, &failures)) {
        std::cout << row.Attribute << "\t" << EscapeValue(row.Value) << "\n";
    }
    // A tag that could not be read is reported; the rest still stands.
    for (const cError& failure : failures) std::cerr << "korvel info: " << failure.Stream() << "\n";
    return kExitOk;
}

}  // namespace korvel::cli
