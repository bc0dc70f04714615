#pragma once
// Shared pieces of the korvel command-line tool.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {
class FileHandler;
}

namespace korvel::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Raised for a malformed command line; main prints the message and the
// command's usage line and exits with status 2.
struct UsageError {
    std::string message;
};

// Command-line arguments of one command: options ("--name value" or flags)
// and the remaining positional arguments, in order.
class Arguments {
public:
    // valueOptions take a value; flagOptions do not. Anything else starting
    // with "--" is a usage error.
    Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
              const std::vector<std::string>& flagOptions);

    bool Has(const std::string& option) const { return m_values.count(option) != 0; }
    const std::string& Value(const std::string& option) const { return m_values.at(option); }
    const std::vector<std::string>& Positional() const { return m_positional; }
    // The one positional argument every command takes: the file. Any other
    // number of positional arguments is a usage error.
    const std::string& File() const;
    // The positional arguments of a command that takes one FILE or more; none
    // is a usage error.
    const std::vector<std::string>& Files() const;

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_positional;
};

// Writes a value on one line: backslash, tab, CR, LF and zero characters are
// escaped as \\, \t, \r, \n and \0 so that every row stays on its own line
// and the output stays text.
std::string EscapeValue(const std::string& value);
// The same, appended to `out`.
void AppendEscapedValue(std::string& out, std::string_view value);

// The option that names the code page of the single-byte tag texts (ID3v1,
// Lyrics3): before the command, and on the commands that read or write them.
inline constexpr const char* kCodePageOption = "--codepage";

// Makes the named code page (or "auto") the one every file of this run is
// read and written in. An unknown name is a usage error that names it.
void UseCodePage(const std::string& name);

// Reads the file into the handler. On failure the handler's error record is
// printed on stderr and the result is false.
bool OpenFile(FileHandler& file, const std::string& path);

// As OpenFile, for a command that works through several files: the failure
// is printed as "korvel COMMAND: PATH: <error record>", naming the file.
bool OpenFileOf(FileHandler& file, const std::string& path, const std::string& command);

struct Command {
    std::string name;
    std::string usage;  // one line: "korvel info FILE"
    std::string help;   // further lines for --help
    std::function<int(const std::vector<std::string>&)> run;
};

// The commands, in the order "korvel --help" lists them.
const std::vector<Command>& Commands();

int RunInfo(const std::vector<std::string>& args);
// info --json: the JSON document of the files on stdout.
int RunInfoJson(const std::vector<std::string>& paths, bool withData);
int RunApply(const std::vector<std::string>& args);
int RunV1(const std::vector<std::string>& args);
int RunV2(const std::vector<std::string>& args);
int RunGenres(const std::vector<std::string>& args);
int RunXml(const std::vector<std::string>& args);

}  // namespace korvel::cli
