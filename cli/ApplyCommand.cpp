// korvel apply: writes the ID3v1 and ID3v2 tags a korvel-json document
// describes into a file (the work itself is in JsonApply.cpp).
#include <fstream>
#include <iostream>
#include <sstream>

#include "Cli.h"
#include "Json.h"
#include "file/FileHandler.h"

namespace korvel::cli {

namespace {

std::string ReadAll(std::istream& in) {
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int RunApply(const std::vector<std::string>& args) {
    const Arguments arguments(args, {kCodePageOption}, {"--dry-run"});
    if (arguments.Has(kCodePageOption)) UseCodePage(arguments.Value(kCodePageOption));
    const std::vector<std::string>& positional = arguments.Positional();
    if (positional.empty() || positional.size() > 2) throw UsageError{"expected FILE and at most one JSON-FILE"};
    const std::string& path = positional[0];

    std::string text;
    if (positional.size() == 2) {
        std::ifstream in(positional[1], std::ios::binary);
        if (!in) {
            std::cerr << "korvel apply: cannot read " << positional[1] << "\n";
            return kExitFailure;
        }
        text = ReadAll(in);
    } else {
        text = ReadAll(std::cin);
    }

    FileHandler file;
    try {
        DocumentTags tags = ReadDocument(text);
        if (!OpenFile(file, path)) return kExitFailure;
        const ApplyPlan plan = PlanApply(file, tags);
        if (arguments.Has("--dry-run")) {
            for (const std::string& change : plan.changes) std::cout << change << "\n";
            if (plan.changes.empty()) std::cout << "no changes\n";
            return kExitOk;
        }
        cError failure;
        if (!ExecuteApply(file, plan, failure)) {
            std::cerr << failure.Stream() << "\n";
            return kExitFailure;
        }
        return kExitOk;
    } catch (const DocumentError& e) {
        std::cerr << "korvel apply: " << e.Text() << "\n";
        return kExitFailure;
    }
}

}  // namespace korvel::cli
