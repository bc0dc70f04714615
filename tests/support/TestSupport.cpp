#include "support/TestSupport.h"

#include <gtest/gtest.h>

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

// The ID3v2 elements of korvel xml's output, in file order.
std::vector<std::string> ID3v2Descriptions(const std::string& xml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml.c_str(), pugi::parse_default & ~pugi::parse_eol));
    std::vector<std::string> descriptions;
    for (const pugi::xpath_node& tag : doc.select_nodes("//ID3V2Tag")) {
        std::ostringstream text;
        tag.node().print(text);
        descriptions.push_back(text.str());
    }
    return descriptions;
}

}  // namespace

void ExpectSameReadingWithAndWithoutId3lib(const std::vector<std::string>& paths) {
    std::string files;
    for (const std::string& path : paths) files += " " + ShellQuote(path);
    const std::string internal = "KORVEL_ID3LIB=/nonexistent/libid3.so ";
    const std::string info = ShellQuote(CliPath()) + " info" + files;
    std::string rows, internalRows, failures, internalFailures;
    EXPECT_EQ(Run(info, &rows, &failures), Run(internal + info, &internalRows, &internalFailures));
    EXPECT_EQ(rows, internalRows);
    EXPECT_EQ(failures, internalFailures);

    const std::string xml = ShellQuote(CliPath()) + " xml" + files;
    std::string described, internalDescribed;
    EXPECT_EQ(Run(xml, &described), Run(internal + xml, &internalDescribed));
    const std::vector<std::string> descriptions = ID3v2Descriptions(described);
    EXPECT_EQ(descriptions, ID3v2Descriptions(internalDescribed));
    EXPECT_FALSE(descriptions.empty());
}

}  // namespace korvel::test
