#include <iostream>

#include "Cli.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"

namespace korvel::cli {

namespace {

// The report of one file, built in `report` and written with one write: the
// output of many files goes out in large pieces. With several files a
// failure names the file.
bool PrintInfo(const std::string& path, bool several, std::string& report) {
    FileHandler file;
    if (!(several ? OpenFileOf(file, path, "info") : OpenFile(file, path))) return false;
    report.clear();
    const std::string info = MPEGInfoText(file);
    if (!info.empty()) {
        report += convertLineFeeds(info, true);
        report += '\n';
    }
    if (!file.UsedCodePage().IsDefault()) {
        report += "Codepage\t";
        report += file.UsedCodePage().Name();
        report += '\n';
    }
    std::vector<cError> failures;
    for (const AttributeRow& row : AttributeRows(file, &failures)) {
        report += row.Attribute;
        report += '\t';
        AppendEscapedValue(report, row.Value);
        report += '\n';
    }
    std::cout.write(report.data(), static_cast<std::streamsize>(report.size()));
    // A tag that could not be read is reported; the rest still stands.
    for (const cError& failure : failures) {
        std::cerr << (several ? "korvel info: " + path + ": " : "korvel info: ") << failure.Stream() << "\n";
    }
    return true;
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    const Arguments arguments(args, {kCodePageOption}, {"--json", "--binary"});
    if (arguments.Has(kCodePageOption)) UseCodePage(arguments.Value(kCodePageOption));
    const std::vector<std::string>& paths = arguments.Files();
    if (arguments.Has("--binary") && !arguments.Has("--json")) throw UsageError{"--binary needs --json"};
    if (arguments.Has("--json")) {
        return RunInfoJson(paths, arguments.Has("--binary"));
    }
    const bool several = paths.size() > 1;
    bool failed = false;
    std::string report;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (several) {
            if (i > 0) std::cout << "\n";
            std::cout << "==> " << paths[i] << " <==\n";
        }
        if (!PrintInfo(paths[i], several, report)) failed = true;
    }
    return failed ? kExitFailure : kExitOk;
}

}  // namespace korvel::cli
