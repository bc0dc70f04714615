#include <exception>
#include <iostream>

#include "Cli.h"
#include "core/FileHandler.h"
#include "errors/cError.h"

namespace korvel::cli {

int RunXml(const std::vector<std::string>& args) {
    const std::string path = Arguments(args, {}, {}).File();
    FileHandler file;
    if (!OpenFile(file, path)) return kExitFailure;
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
