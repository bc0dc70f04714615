// Quelm: quelm [--tab PAGE] [FILE | FOLDER]
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>

#include <string_view>

#include "AppInfo.h"
#include "BusyCursor.h"
#include "MainWindow.h"
#include "controls/QtMessages.h"

namespace {

// True when the command line asks only for text (--help or --version): that
// is answered without a window system, so it works without a display.
bool AsksForTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" ||
            arg == "--version" || arg == "-v") {
            return true;
        }
    }
    return false;
}

void DescribeApplication() {
    QCoreApplication::setOrganizationName(korvel::quelm::OrganisationName());
    QCoreApplication::setApplicationName(korvel::quelm::ApplicationTitle());
    QCoreApplication::setApplicationVersion(korvel::quelm::ApplicationVersion());
}

const QCommandLineOption& TabOption() {
    static const QCommandLineOption option(
        QStringLiteral("tab"),
        QStringLiteral("The page shown first: info, tag, id3v1, id3v2 or lyrics."),
        QStringLiteral("page"));
    return option;
}

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Shows and edits the tags of an MP3 file, or of the MP3 files of a folder."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(TabOption());
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The MP3 file to open, or a folder to list. Without one, the folder "
                       "opened last is listed again."),
        QStringLiteral("[FILE | FOLDER]"));
}

}  // namespace

int main(int argc, char** argv) {
    DescribeApplication();
    if (AsksForTextOnly(argc, argv)) {
        // Prints the help or the version and ends the program.
        QCoreApplication textOnly(argc, argv);
        QCommandLineParser parser;
        DescribeCommandLine(parser);
        parser.process(textOnly);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(korvel::quelm::ApplicationTitle());
    // Lets the desktop match the window to quelm.desktop (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("quelm"));

    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(app);
    const QCommandLineOption& tabOption = TabOption();

    const QMap<QString, QString> tabs = {
        {QStringLiteral("info"), QStringLiteral("1_")},  {QStringLiteral("tag"), QStringLiteral("5_")},
        {QStringLiteral("id3v1"), QStringLiteral("2_")}, {QStringLiteral("id3v2"), QStringLiteral("3_")},
        {QStringLiteral("lyrics"), QStringLiteral("4_")},
    };
    QString tabKey;
    if (parser.isSet(tabOption)) {
        tabKey = tabs.value(parser.value(tabOption).toLower());
        if (tabKey.isEmpty()) {
            qCritical("unknown page '%s': use info, tag, id3v1, id3v2 or lyrics",
                      qPrintable(parser.value(tabOption)));
            return 2;
        }
    }
    if (parser.positionalArguments().size() > 1) {
        qCritical("one file or folder at a time");
        return 2;
    }

    korvel::controls::InstallQtMessageHandler();
    korvel::quelm::ShowMessagesWithNormalCursor();

    korvel::quelm::MainWindow window;
    window.show();
    if (parser.positionalArguments().isEmpty()) {
        window.ReopenLastFolder();
    } else {
        const QFileInfo named(parser.positionalArguments().front());
        if (named.isDir()) {
            window.OpenFolder(named.absoluteFilePath());
        } else {
            window.OpenFile(named.absoluteFilePath());
        }
    }
    if (!tabKey.isEmpty()) window.SelectTab(tabKey);
    return app.exec();
}
