// What the installed programs say about themselves: versions, man pages that
// match the programs' help, the desktop entry and the icon.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <pugixml.hpp>

#include "core/Version.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::ShellQuote;

namespace {

std::string Korvel(const std::string& args) { return ShellQuote(test::CliPath()) + " " + args; }

std::string ReadText(const std::string& path) {
    const Bytes bytes = test::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// The text of a roff page as a reader sees it, for searching: escapes
// resolved, runs of white space made one blank.
std::string ManText(const std::string& roff) {
    std::string text = std::regex_replace(roff, std::regex(R"(\\&)"), "");
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    text = std::regex_replace(text, std::regex(R"(\\e)"), "\\");
    return std::regex_replace(text, std::regex(R"(\s+)"), " ");
}

std::string OneLine(const std::string& text) {
    return std::regex_replace(text, std::regex(R"(\s+)"), " ");
}

// Every "--option" a help text names.
std::set<std::string> OptionsIn(const std::string& help) {
    std::set<std::string> options;
    const std::regex option(R"(--[a-z0-9][a-z0-9-]*)");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it) {
        options.insert(it->str());
    }
    return options;
}

// Renders a man page; the result holds groff's warnings (empty when clean).
std::string ManWarnings(const std::string& page) {
    std::string out, err;
    const int status = test::Run("MANWIDTH=80 man --warnings -l " + ShellQuote(page) + " 2>&1 >/dev/null",
                                 &out, &err);
    return status == 0 ? out + err : "man failed (" + std::to_string(status) + "): " + out + err;
}

}  // namespace

TEST(Packaging, KorvelReportsTheBuildVersion) {
    std::string out;
    ASSERT_EQ(test::Run(Korvel("--version"), &out), 0);
    EXPECT_EQ(out, std::string("korvel ") + KORVEL_VERSION_STRING + "\n");
    ASSERT_EQ(test::Run(Korvel("--help"), &out), 0);
    EXPECT_NE(out.find("--version"), std::string::npos);
}

#ifdef KORVEL_QUELM_PATH
TEST(Packaging, QuelmAnswersHelpAndVersionWithoutADisplay) {
    // No display and no platform plugin chosen: a window could not open.
    const std::string quelm = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                              ShellQuote(KORVEL_QUELM_PATH);
    std::string out, err;
    ASSERT_EQ(test::Run(quelm + " --version", &out, &err), 0) << err;
    EXPECT_EQ(out, std::string("Quelm ") + KORVEL_VERSION_STRING + "\n");
    ASSERT_EQ(test::Run(quelm + " -v", &out, &err), 0) << err;
    EXPECT_EQ(out, std::string("Quelm ") + KORVEL_VERSION_STRING + "\n");
    ASSERT_EQ(test::Run(quelm + " --help", &out, &err), 0) << err;
    EXPECT_NE(out.find("--tab"), std::string::npos) << out;

    // Its man page names every option of its help and renders cleanly.
    const std::string page = std::string(KORVEL_MAN_DIR) + "/quelm.1";
    const std::string man = ManText(ReadText(page));
    for (const auto& option : OptionsIn(out)) {
        EXPECT_NE(man.find(option), std::string::npos) << option << " missing from quelm.1";
    }
    EXPECT_NE(man.find(std::string("KORVEL ") + KORVEL_VERSION_STRING), std::string::npos);
    if (test::HaveProgram("man")) {
        EXPECT_EQ(ManWarnings(page), "");
    }
}
#endif

TEST(Packaging, KorvelManPageDescribesEveryCommandAndOptionOfItsHelp) {
    const std::string page = std::string(KORVEL_MAN_DIR) + "/korvel.1";
    const std::string man = ManText(ReadText(page));
    EXPECT_NE(man.find(std::string("KORVEL ") + KORVEL_VERSION_STRING), std::string::npos);

    std::string overview;
    ASSERT_EQ(test::Run(Korvel("--help"), &overview), 0);
    for (const auto& option : OptionsIn(overview)) {
        EXPECT_NE(man.find(option), std::string::npos) << option << " missing from korvel.1";
    }
    std::istringstream lines(overview);
    std::string line;
    int commands = 0;
    const std::regex commandLine(R"(^  korvel ([a-z0-9][a-z0-9-]*).*)");
    while (std::getline(lines, line)) {
        std::smatch match;
        if (!std::regex_match(line, match, commandLine)) continue;
        ++commands;
        const std::string name = match[1];
        SCOPED_TRACE(name);
        std::string help;
        ASSERT_EQ(test::Run(Korvel(name + " --help"), &help), 0);
        // The usage line and the description, word for word.
        ASSERT_EQ(help.rfind("usage: ", 0), 0u) << help;
        const size_t end = help.find('\n');
        const std::string usage = help.substr(7, end - 7);
        EXPECT_NE(man.find(OneLine(usage)), std::string::npos) << usage;
        std::string description = OneLine(help.substr(end));
        while (!description.empty() && description.front() == ' ') description.erase(0, 1);
        while (!description.empty() && description.back() == ' ') description.pop_back();
        EXPECT_NE(man.find(description), std::string::npos) << description;
        for (const auto& option : OptionsIn(help)) {
            EXPECT_NE(man.find(option), std::string::npos) << option << " missing from korvel.1";
        }
    }
    EXPECT_GE(commands, 5);
    if (test::HaveProgram("man")) {
        EXPECT_EQ(ManWarnings(page), "");
    }
}

TEST(Packaging, DesktopEntryOpensMp3FilesWithOurIcon) {
    const std::string folder = std::string(KORVEL_SOURCE_DIR) + "/packaging/desktop/";
    const std::string entry = ReadText(folder + "quelm.desktop");
    EXPECT_NE(entry.find("\nExec=quelm %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=audio/mpeg;\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=quelm\n"), std::string::npos);

    pugi::xml_document icon;
    const pugi::xml_parse_result parsed = icon.load_file((folder + "quelm.svg").c_str());
    ASSERT_TRUE(parsed) << parsed.description();
    const pugi::xml_node svg = icon.document_element();
    EXPECT_STREQ(svg.name(), "svg");
    EXPECT_STREQ(svg.attribute("xmlns").value(), "http://www.w3.org/2000/svg");
    EXPECT_STRNE(svg.attribute("viewBox").value(), "");
}
