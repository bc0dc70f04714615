#include <exception>
#include <iostream>

#include "Cli.h"
#include "core/FileHandler.h"
#include "errors/cError.h"

namespace korvel::cli {

int RunXml(const std::vector<std::string>& args) {
    Arguments parsed(args, {}, {});
    if (parsed.Positional().size() != 1) throw UsageError{"expected one FILE"};
    FileHandler file;
    if (!file.Create(parsed.Positional()[0])) {
        std::cerr << file.LastError()->Stream() << "\n";
        return kExitFailure;
    }
    std::string text;
    try {
        text = file.xml();
    } catch (...) {
        cError failure;
        failure.CopyError();
        std::cerr << failure.Stream() << "\n";
        return kExitFailure;
    }
    std::cout << text;
    return kExitOk;
}

}  // namespace korvel::cli
