#include "support/TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include <pugixml.hpp>

#include "id3v230/ID3V230.h"

namespace korvel::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "korvel-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = name.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore write permission so that read-only test files can go.
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); ++it) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::List() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    WriteFile(path, Bytes(bytes.begin(), bytes.end()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes B(const char* text, size_t size) {
    return Bytes(reinterpret_cast<const uint8_t*>(text), reinterpret_cast<const uint8_t*>(text) + size);
}

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::string CorpusPath(const std::string& name) {
    return (fs::path(KORVEL_CORPUS_DIR) / name).string();
}

bool CorpusAvailable() { return fs::exists(fs::path(KORVEL_CORPUS_DIR) / "MANIFEST.tsv"); }

int Run(const std::string& command, std::string* out, std::string* err) {
    TempDir scratch;
    std::string outFile = scratch.File("out");
    std::string errFile = scratch.File("err");
    std::string full = "(" + command + ") >" + ShellQuote(outFile) + " 2>" + ShellQuote(errFile);
    int status = std::system(full.c_str());
    auto slurp = [](const std::string& path) {
        Bytes bytes = ReadFile(path);
        return std::string(bytes.begin(), bytes.end());
    };
    if (out) *out = slurp(outFile);
    if (err) *err = slurp(errFile);
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::string CliPath() { return KORVEL_CLI_PATH; }

bool HaveProgram(const std::string& name) {
    return Run("command -v " + ShellQuote(name)) == 0;
}

bool HaveMutagen() { return Run("/usr/bin/python3 -c 'import mutagen.id3' 2>/dev/null") == 0; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

WithoutID3Lib::WithoutID3Lib() {
    if (const char* old = std::getenv("KORVEL_ID3LIB")) {
        m_wasSet = true;
        m_old = old;
    }
    ::setenv("KORVEL_ID3LIB", kMissingID3Lib, 1);
}

WithoutID3Lib::~WithoutID3Lib() {
    if (m_wasSet) {
        ::setenv("KORVEL_ID3LIB", m_old.c_str(), 1);
    } else {
        ::unsetenv("KORVEL_ID3LIB");
    }
}

bool HaveID3Lib() {
    std::string message;
    return ID3V230().CheckLibrary(message);
}

MessageCapture::MessageCapture() {
    m_previous = SetMessageHandler([this](const std::string& text, MessageIcon icon, const std::string& caption) {
        messages.push_back({text, icon, caption});
    });
}

MessageCapture::~MessageCapture() { SetMessageHandler(m_previous); }

const MessageCapture::Message& MessageCapture::Last() const {
    static const Message none{"", MessageIcon::Information, ""};
    return messages.empty() ? none : messages.back();
}

std::string Fingerprint(const Bytes& bytes) {
    // FNV-1a over the bytes, plus the length.
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return std::to_string(bytes.size()) + ":" + std::to_string(h);
}

namespace {

// The ID3v2 elements of korvel xml's output, in file order, one per line.
std::string ID3v2Descriptions(const std::string& xml) {
    pugi::xml_document doc;
    if (!doc.load_string(xml.c_str(), pugi::parse_default & ~pugi::parse_eol)) return "unreadable XML";
    std::ostringstream text;
    for (const pugi::xpath_node& tag : doc.select_nodes("//ID3V2Tag")) {
        tag.node().print(text, "", pugi::format_raw);
        text << "\n";
    }
    return text.str();
}

// "" for equal texts, otherwise their first differing lines.
std::string FirstDifference(const std::string& what, const std::string& a, const std::string& b) {
    if (a == b) return "";
    const std::vector<std::string> left = Lines(a), right = Lines(b);
    size_t i = 0;
    while (i < left.size() && i < right.size() && left[i] == right[i]) ++i;
    auto line = [](const std::vector<std::string>& lines, size_t k) {
        return k < lines.size() ? lines[k] : std::string("(end)");
    };
    return what + ", line " + std::to_string(i + 1) + ": " + line(left, i) + " | " + line(right, i);
}

}  // namespace

std::string ReadingDifferenceWithoutId3lib(const std::vector<std::string>& paths) {
    std::string files;
    for (const std::string& path : paths) files += " " + ShellQuote(path);
    const std::string info = ShellQuote(CliPath()) + " info" + files;
    const std::string xml = ShellQuote(CliPath()) + " xml" + files;
    std::string rows, internalRows, failures, internalFailures, described, internalDescribed;
    const int status = Run(info, &rows, &failures);
    const int internalStatus = Run(kWithoutID3LibEnv + info, &internalRows, &internalFailures);
    Run(xml, &described);
    Run(kWithoutID3LibEnv + xml, &internalDescribed);
    if (status != internalStatus) return "korvel info exits with " + std::to_string(status) + " and " + std::to_string(internalStatus);
    const std::string descriptions = ID3v2Descriptions(described);
    if (descriptions.empty()) return "korvel xml describes no ID3v2 tag";
    for (const std::string& difference :
         {FirstDifference("korvel info", rows, internalRows), FirstDifference("korvel info's failures", failures, internalFailures),
          FirstDifference("korvel xml", descriptions, ID3v2Descriptions(internalDescribed))}) {
        if (!difference.empty()) return difference;
    }
    return "";
}

}  // namespace korvel::test
