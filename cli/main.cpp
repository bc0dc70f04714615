// korvel: reads and writes the tags of MP3 files from the command line.
#include <iostream>
#include <iterator>

#include <cstdlib>

#include "Cli.h"
#include "core/CodePage.h"
#include "core/Version.h"
#include "file/FileHandler.h"

namespace korvel::cli {

Arguments::Arguments(const std::vector<std::string>& args,
                     const std::vector<std::string>& valueOptions,
                     const std::vector<std::string>& flagOptions) {
    auto listed = [](const std::vector<std::string>& list, const std::string& name) {
        for (const auto& item : list) {
            if (item == name) return true;
        }
        return false;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            m_positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (listed(valueOptions, arg)) {
            if (i + 1 >= args.size()) throw UsageError{"option " + arg + " needs a value"};
            m_values[arg] = args[++i];
        } else if (listed(flagOptions, arg)) {
            m_values[arg] = "";
        } else {
            throw UsageError{"unknown option " + arg};
        }
    }
}

const std::string& Arguments::File() const {
    if (m_positional.size() != 1) throw UsageError{"expected one FILE"};
    return m_positional[0];
}

const std::vector<std::string>& Arguments::Files() const {
    if (m_positional.empty()) throw UsageError{"expected at least one FILE"};
    return m_positional;
}

void UseCodePage(const std::string& name) {
    const std::optional<CodePageChoice> choice = CodePageChoice::Named(name);
    if (!choice) {
        throw UsageError{"unknown code page '" + name + "' (a name iconv knows, such as windows-1251, or auto)"};
    }
    SetDefaultCodePage(*choice);
}

bool OpenFileOf(FileHandler& file, const std::string& path, const std::string& command) {
    if (file.Create(path)) return true;
    std::cerr << "korvel " << command << ": " << path << ": " << file.LastError()->Stream() << "\n";
    return false;
}

bool OpenFile(FileHandler& file, const std::string& path) {
    if (file.Create(path)) return true;
    std::cerr << file.LastError()->Stream() << "\n";
    return false;
}

void AppendEscapedValue(std::string& out, std::string_view value) {
    size_t plain = 0;  // start of the characters not yet appended
    for (size_t i = 0; i < value.size(); ++i) {
        const char* escaped = nullptr;
        switch (value[i]) {
            case '\\': escaped = "\\\\"; break;
            case '\t': escaped = "\\t"; break;
            case '\r': escaped = "\\r"; break;
            case '\n': escaped = "\\n"; break;
            case '\0': escaped = "\\0"; break;
            default: continue;
        }
        out.append(value.data() + plain, i - plain);
        out += escaped;
        plain = i + 1;
    }
    out.append(value.data() + plain, value.size() - plain);
}

std::string EscapeValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    AppendEscapedValue(out, value);
    return out;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info", "korvel info [--json [--binary]] FILE... [--codepage NAME]",
         "Prints the audio information of FILE, then one row per tag field as\n"
         "Attribute<TAB>Value. Tabs, line breaks, zero characters and backslashes inside\n"
         "values are written as \\t, \\r, \\n, \\0 and \\\\.\n"
         "When the single-byte texts of FILE (ID3v1 and Lyrics3 fields) were read in\n"
         "another code page than windows-1252, the first row names it:\n"
         "Codepage<TAB>NAME. --codepage NAME reads them in that code page, or with\n"
         "auto in the one detected for each file (see 'korvel --help').\n"
         "With several files, each file's report starts with a line \"==> FILE <==\",\n"
         "and reports are separated by an empty line. A file that cannot be read is\n"
         "reported on stderr and the others are still read; the exit status is 1\n"
         "when any file failed.\n"
         "--json prints one JSON document instead (format \"korvel-json\", described in\n"
         "json.md, installed in share/doc/korvel): for each file its size, audio\n"
         "properties, the code page of its single-byte texts and every tag, each ID3v2\n"
         "frame with all its fields; binary content (pictures, private data) by size\n"
         "and SHA-256. A file that cannot be read is an object with its error.\n"
         "--binary adds binary content in Base64, so that 'korvel apply' can write it\n"
         "into another file.",
         RunInfo},
        {"v1",
         "korvel v1 FILE [--title T] [--artist A] [--album B] [--year Y] [--comment C] "
         "[--track N] [--genre G] [--codepage NAME] | korvel v1 --remove FILE",
         "Writes the ID3v1 tag of FILE, starting from the tag it has. --track N (0-255)\n"
         "greater than 0 makes it an ID3v1.1 tag, 0 a plain ID3v1 tag. --genre takes a\n"
         "number (0-255) or a name from 'korvel genres'. --remove cuts the tag off.\n"
         "The texts are read and written in code page NAME (windows-1252 unless\n"
         "--codepage or KORVEL_CODEPAGE say otherwise; with auto, the one detected for\n"
         "the file). Characters the code page lacks are written as \"?\"; their number\n"
         "is printed on stderr.",
         RunV1},
        {"v2",
         "korvel v2 FILE [--title T] [--artist A] [--album B] [--year Y] [--track N] [--genre G] "
         "[--comment C] [--composer C] [--copyright C] [--encoded-by E] [--original-artist A] "
         "[--url U] [--lyrics TEXT] [--picture IMAGE|--no-picture] [--id3v2-version 3|4] "
         "[--drop-unconvertible] | korvel v2 --remove FILE",
         "Writes the ID3v2 tag of FILE, starting from the tag it has, or creates one\n"
         "when the file has no ID3v2 tag: an ID3v2.3 tag, or with --id3v2-version 4 an\n"
         "ID3v2.4 tag. An existing tag keeps its version, except that an ID3v2.2 tag\n"
         "is saved as an ID3v2.3 tag; one with frames that version has no form for is\n"
         "refused, naming them, unless --drop-unconvertible lets them go. ID3v2.2 and\n"
         "ID3v2.3 tags are written through id3lib. What a save cannot keep of the old\n"
         "tag is noted on stderr. An empty value clears the field. --track takes the\n"
         "whole text (3 or 3/12), --genre the text to store ((17) or Rock), --url the\n"
         "user URL, --lyrics the unsynchronised lyrics. --picture sets the picture\n"
         "from an image file, --no-picture removes it. --remove removes the ID3v2 tag\n"
         "of any version.",
         RunV2},
        {"apply", "korvel apply [--dry-run] FILE [JSON-FILE] [--codepage NAME]",
         "Writes the ID3v1 and ID3v2 tags a korvel-json document describes into FILE.\n"
         "The document (from JSON-FILE, or standard input without it) is what\n"
         "'korvel info --json' prints for one file, or that file's object alone; its\n"
         "path is ignored. The tags become exactly what the document says: frames of\n"
         "the document are written in its order, frames of FILE it does not list are\n"
         "removed, and frames equal to FILE's keep their bytes. A tag given as null is\n"
         "removed; a tag the document leaves out stays as it is. Binary content given\n"
         "by its SHA-256 alone is taken from FILE's frame with that content. An ID3v2.4\n"
         "tag stays version 2.4; an ID3v2.2 tag is written as version 2.3. A document\n"
         "that is malformed or cannot be applied is reported with its place in the\n"
         "document (a JSON pointer such as /files/0/id3v2/frames/3/text) and FILE is\n"
         "not changed. --dry-run prints the changes, one per line, and writes nothing.\n"
         "The ID3v1 texts are written in code page NAME, as 'korvel v1' writes them.",
         RunApply},
        {"genres", "korvel genres", "Lists the genre numbers and names.", RunGenres},
        {"xml", "korvel xml FILE... [--codepage NAME]",
         "Prints the XML description of FILE: its drive, the file itself, its audio\n"
         "header and its ID3v1, ID3v2 and Lyrics3 tags.\n"
         "With several files, the output is one XML document: a \"KorvelFiles\"\n"
         "element holding, for each file that could be read, a \"Document\" element\n"
         "with the file's name in its \"Path\" attribute and the file's description\n"
         "inside. A file that cannot be read is reported on stderr and the others are\n"
         "still described; the exit status is 1 when any file failed.\n"
         "--codepage NAME reads the single-byte texts in that code page, as for info.",
         RunXml},
    };
    return commands;
}

namespace {

void PrintOverview(std::ostream& out) {
    out << "usage: korvel COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& command : Commands()) out << "  " << command.usage << "\n";
    out << "\noptions:\n"
           "  --help     prints this overview\n"
           "  --version  prints the version of korvel\n"
           "  --codepage NAME  reads and writes the single-byte tag texts (ID3v1 and\n"
           "             Lyrics3 fields) in code page NAME: a name iconv knows (windows-1251,\n"
           "             cp1250, koi8-r, shift_jis, gbk, big5, euc-kr, ...; any case), or auto\n"
           "             for the code page detected in each file from all its texts\n"
           "             (windows-1252 when unsure). The default is windows-1252, or the\n"
           "             value of the environment variable KORVEL_CODEPAGE.\n"
           "\n'korvel COMMAND --help' describes a command.\n";
}

}  // namespace

}  // namespace korvel::cli

int main(int argc, char** argv) {
    using namespace korvel::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        const char* name = std::getenv(korvel::kCodePageVariable);
        if (name != nullptr && *name != '\0' && !korvel::CodePageChoice::Named(name)) {
            throw UsageError{"unknown code page '" + std::string(name) + "' in " + korvel::kCodePageVariable};
        }
        // The code page before the command; the environment's otherwise.
        while (!args.empty() && args[0] == kCodePageOption) {
            if (args.size() < 2) throw UsageError{"option --codepage needs a value"};
            UseCodePage(args[1]);
            args.erase(args.begin(), args.begin() + 2);
        }
    } catch (const UsageError& e) {
        std::cerr << "korvel: " << e.message << "\n";
        return kExitUsage;
    }
    if (args.empty()) {
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintOverview(std::cout);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::cout << "korvel " << korvel::kVersion << "\n";
        return kExitOk;
    }
    for (const auto& command : Commands()) {
        if (command.name != args[0]) continue;
        // Moved, not copied: a command over a whole library gets many names.
        std::vector<std::string> rest(std::make_move_iterator(args.begin() + 1), std::make_move_iterator(args.end()));
        for (const auto& arg : rest) {
            if (arg == "--help" || arg == "-h") {
                std::cout << "usage: " << command.usage << "\n\n" << command.help << "\n";
                return kExitOk;
            }
        }
        try {
            return command.run(rest);
        } catch (const UsageError& e) {
            std::cerr << "korvel " << command.name << ": " << e.message << "\n"
                      << "usage: " << command.usage << "\n";
            return kExitUsage;
        } catch (const std::exception& e) {
            std::cerr << "korvel " << command.name << ": " << e.what() << "\n";
            return kExitFailure;
        }
    }
    std::cerr << "korvel: unknown command '" << args[0] << "'\n";
    PrintOverview(std::cerr);
    return kExitUsage;
}
