// Quelm: quelm [--tab PAGE] [FILE]
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMap>

#include "AppInfo.h"
#include "BusyCursor.h"
#include "MainWindow.h"
#include "controls/QtMessages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(korvel::quelm::OrganisationName());
    QApplication::setApplicationName(korvel::quelm::ApplicationTitle());
    QApplication::setApplicationDisplayName(korvel::quelm::ApplicationTitle());
    QApplication::setApplicationVersion(korvel::quelm::ApplicationVersion());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows and edits the tags of an MP3 file."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption tabOption(
        QStringLiteral("tab"),
        QStringLiteral("The page shown first: info, tag, id3v1, id3v2 or lyrics."),
        QStringLiteral("page"));
    parser.addOption(tabOption);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The MP3 file to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

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
        qCritical("one file at a time");
        return 2;
    }

    korvel::controls::InstallQtMessageHandler();
    korvel::quelm::ShowMessagesWithNormalCursor();

    korvel::quelm::MainWindow window;
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        window.OpenFile(QFileInfo(parser.positionalArguments().front()).absoluteFilePath());
    }
    if (!tabKey.isEmpty()) window.SelectTab(tabKey);
    return app.exec();
}
