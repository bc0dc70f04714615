#include <iostream>

#include "Cli.h"
#include "core/FileHandler.h"
#include "core/FileReport.h"

namespace korvel::cli {

int RunInfo(const std::vector<std::string>& args) {
    Arguments parsed(args, {}, {});
    if (parsed.Positional().size() != 1) throw UsageError{"expected one FILE"};
    FileHandler file;
    if (!file.Create(parsed.Positional()[0])) {
        std::cerr << file.LastError()->Stream() << "\n";
        return kExitFailure;
    }
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
