// Quelm's folder view: a generated folder listed in the table, many files
// edited and saved at once (checked with mutagen), saving cancelled half way,
// files renamed from their tags, and a folder of 10 000 files that loads
// while the window keeps serving its events.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "FolderLoader.h"
#include "FolderModel.h"
#include "FolderSession.h"
#include "LibraryPanel.h"
#include "MainWindow.h"
#include "RenameDialog.h"
#include "WidgetTestSupport.h"
#include "controls/FieldState.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "file/FileHandler.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

namespace kt = korvel::test;
using korvel::Bytes;
using korvel::quelm::FolderModel;
using korvel::quelm::MainWindow;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// What a generated file holds. Kinds: 0 ID3v1 only, 1 ID3v2.3 and ID3v1,
// 2 ID3v2.4 only, 3 cannot be read.
struct Generated {
    QString name;  // relative to the folder
    int kind;
    std::string title, artist, album, year;
    int track;
};

Bytes TagOf(const Generated& file) {
    const bool v24 = file.kind == 2;
    auto frame = [v24](const char* id, const std::string& text) {
        return kt::Frame(v24 ? 4 : 3, id, kt::Latin1(text));
    };
    return kt::Tag(v24 ? 4 : 3,
                   kt::Concat({frame("TIT2", file.title), frame("TPE1", file.artist),
                               frame("TALB", file.album), frame(v24 ? "TDRC" : "TYER", file.year),
                               frame("TRCK", std::to_string(file.track)), frame("TCON", "(17)")}),
                   0, 64);
}

void Write(const std::string& path, const Generated& file, int frames = 4) {
    const Bytes v1 = kt::ID3v1Record(file.title, file.artist, file.album, file.year, "",
                                     static_cast<uint8_t>(file.track), 17);
    switch (file.kind) {
        case 0: kt::WriteFile(path, kt::Concat({kt::MpegAudio(frames), v1})); break;
        case 1: kt::WriteFile(path, kt::Concat({TagOf(file), kt::MpegAudio(frames), v1})); break;
        case 2: kt::WriteFile(path, kt::Concat({TagOf(file), kt::MpegAudio(frames)})); break;
        default:
            // An archive, an empty file, or a tag header announcing more
            // bytes than the file has.
            kt::WriteFile(path, file.track % 3 == 0   ? kt::Concat({kt::B("PK\x03\x04", 4), Bytes(200, 1)})
                                : file.track % 3 == 1 ? Bytes()
                                                      : kt::B("ID3\x03\x00\x00\x7f\x7f\x7f\x7f", 10));
    }
}

// What mutagen reads as the album of each file (missing: None).
QStringList MutagenAlbums(const QStringList& paths) {
    std::string args;
    for (const QString& path : paths) args += " " + kt::ShellQuote(path.toStdString());
    const std::string script =
        "import sys\nfrom mutagen.id3 import ID3\n"
        "for p in sys.argv[1:]:\n"
        "    try:\n"
        "        t = ID3(p, load_v1=False)\n"
        "    except Exception:\n"
        "        t = {}\n"
        "    print(t['TALB'].text[0] if 'TALB' in t else None)\n";
    std::string out;
    if (kt::Run("/usr/bin/python3 -c " + kt::ShellQuote(script) + args, &out) != 0) return {};
    return Q(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::string FingerprintOf(const QString& path) {
    return kt::Fingerprint(kt::ReadFile(path.toStdString()));
}

}  // namespace

class FolderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<kt::TempDir> dir;
    std::unique_ptr<MainWindow> window;
    QList<Generated> files;

    QString Folder() const { return Q(dir->File("music")); }
    QString PathOf(const Generated& file) const { return Folder() + QLatin1Char('/') + file.name; }
    FolderModel* Model() const { return window->Library()->Model(); }

    std::unique_ptr<MainWindow> NewWindow() {
        auto made = std::make_unique<MainWindow>(
            std::make_unique<QSettings>(Q(dir->File("quelm.ini")), QSettings::IniFormat));
        made->show();
        return made;
    }

    // 60 files, 30 in each of two subfolders: ID3v1 only, ID3v2.3 with
    // ID3v1, ID3v2.4 only, and 3 files that cannot be read.
    void MakeFolder() {
        files.clear();
        for (const char* sub : {"A", "B"}) {
            std::filesystem::create_directories(dir->Path() / "music" / sub);
            for (int i = 1; i <= 30; ++i) {
                Generated file;
                file.name = QStringLiteral("%1/song%2.mp3").arg(QLatin1String(sub)).arg(i, 2, 10, QLatin1Char('0'));
                file.kind = sub[0] == 'B' && i > 27 ? 3 : i % 3;
                file.title = "Title " + std::string(sub) + std::to_string(i);
                file.artist = "Artist " + std::string(sub);
                file.album = "Album " + std::string(sub);
                file.year = sub[0] == 'A' ? "2001" : "2002";
                file.track = i;
                Write(PathOf(file).toStdString(), file);
                files << file;
            }
        }
    }

    void OpenAndWait(bool subfolders = true) {
        QSignalSpy loaded(window->Folder()->Loader(), &korvel::quelm::FolderLoader::finished);
        window->OpenFolder(Folder(), subfolders);
        QVERIFY(loaded.wait(30000));
    }

    int RowOf(const Generated& file) const { return Model()->RowOf(PathOf(file)); }

    // The first count files of a folder with ID3v1 tags (kinds 0 and 1).
    QList<Generated> Editable(const char* sub, int count) const {
        QList<Generated> chosen;
        for (const Generated& file : files) {
            if (file.name.startsWith(QLatin1String(sub)) && file.kind < 2 && chosen.size() < count) {
                chosen << file;
            }
        }
        return chosen;
    }
    void Select(const QList<Generated>& chosen) {
        QList<int> rows;
        for (const Generated& file : chosen) rows << RowOf(file);
        window->Library()->SelectRows(rows);
    }

    QLineEdit* Box(QWidget* editor, const char* name) const {
        return editor->findChild<QLineEdit*>(QString::fromLatin1(name));
    }

private slots:
    void init() {
        dir = std::make_unique<kt::TempDir>();
        MakeFolder();
        window = NewWindow();
    }
    void cleanup() {
        window.reset();
        dir.reset();
    }

    void listsEveryFileWithItsValues() {
        OpenAndWait(false);
        QCOMPARE(Model()->rowCount(), 0);  // every file is in a subfolder
        QSignalSpy loaded(window->Folder()->Loader(), &korvel::quelm::FolderLoader::finished);
        QTest::mouseClick(window->Library()->SubfoldersBox(), Qt::LeftButton);
        QVERIFY(loaded.wait(30000));
        QCOMPARE(Model()->rowCount(), 60);
        for (const Generated& file : files) {
            const int row = RowOf(file);
            QVERIFY2(row >= 0, qPrintable(file.name));
            auto cell = [&](int column) {
                return Model()->data(Model()->index(row, column)).toString();
            };
            QCOMPARE(cell(FolderModel::kName), file.name);
            const bool readable = file.kind != 3;
            QCOMPARE(Model()->data(Model()->index(row, 0), FolderModel::ProblemRole).toString().isEmpty(),
                     readable);
            if (!readable) {
                QCOMPARE(cell(FolderModel::kTags), QStringLiteral("cannot be read"));
                continue;
            }
            QCOMPARE(cell(FolderModel::kTitle), Q(file.title));
            QCOMPARE(cell(FolderModel::kArtist), Q(file.artist));
            QCOMPARE(cell(FolderModel::kAlbum), Q(file.album));
            QCOMPARE(cell(FolderModel::kGenre), QStringLiteral("Rock"));
            QCOMPARE(cell(FolderModel::kYear), Q(file.year));
            const QString track = file.kind == 0 ? QStringLiteral("%1").arg(file.track, 2, 10, QLatin1Char('0'))
                                                 : QString::number(file.track);
            QCOMPARE(cell(FolderModel::kTrack), track);
            const char* const versions[] = {"ID3v1.1", "ID3v1.1, ID3v2.3.0", "ID3v2.4.0"};
            QCOMPARE(cell(FolderModel::kTags), QString::fromLatin1(versions[file.kind]));
            QCOMPARE(cell(FolderModel::kDuration), QStringLiteral("0:00:00"));
            QCOMPARE(cell(FolderModel::kBitRate), QStringLiteral("128 kbit/s"));
        }

        // Sorting by track is numeric; the filter matches any column.
        QTableView* table = window->Library()->Table();
        table->sortByColumn(FolderModel::kTrack, Qt::DescendingOrder);
        QCOMPARE(table->model()->index(0, FolderModel::kTrack).data().toString().toInt(), 30);
        window->Library()->FilterBox()->setText(QStringLiteral("title a1"));
        QCOMPARE(table->model()->rowCount(), 11);  // A1, A10 ... A19

        // Selecting one unreadable file says why on the Info page; one
        // readable file loads as an opened file does.
        const Generated& broken = files.back();
        window->Library()->FilterBox()->clear();
        Select({broken});
        QVERIFY(window->findChild<QLineEdit*>(QStringLiteral("txtFile"))->text().isEmpty());
        Select({files[3]});
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("txtFile"))->text(), PathOf(files[3]));
        QCOMPARE(window->ID3v1Editor()->Title(), Q(files[3].title));

        // The folder, the columns and the sorting are remembered.
        window->Library()->Table()->horizontalHeader()->setSectionHidden(FolderModel::kGenre, true);
        window->StoreSettings();
        window.reset();
        window = NewWindow();
        QSignalSpy reloaded(window->Folder()->Loader(), &korvel::quelm::FolderLoader::finished);
        QVERIFY(window->ReopenLastFolder());
        QVERIFY(reloaded.wait(30000));
        QHeaderView* header = window->Library()->Table()->horizontalHeader();
        QVERIFY(header->isSectionHidden(FolderModel::kGenre));
        QCOMPARE(header->sortIndicatorSection(), int(FolderModel::kTrack));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(Model()->Folder(), Folder());
    }

    void editsTwelveFilesAtOnce() {
        // The folder dropped on the window opens.
        QSignalSpy loaded(window->Folder()->Loader(), &korvel::quelm::FolderLoader::finished);
        window->DropFiles({Folder()});
        QVERIFY(loaded.wait(30000));
        const QList<Generated> chosen = Editable("A", 12);
        auto* v1 = window->ID3v1Editor();
        auto* v2 = window->ID3v2Editor();
        Select(chosen);
        QVERIFY(window->Folder()->ManyFiles());

        // The ID3v1 editor shows what the files share, the placeholder where
        // they differ, and keeps the untouched fields' button-face colour.
        QCOMPARE(Box(v1, "txtArtist")->text(), QStringLiteral("Artist A"));
        QVERIFY(Box(v1, "txtArtist")->placeholderText().isEmpty());
        QCOMPARE(Box(v1, "txtTitle")->text(), QString());
        QCOMPARE(Box(v1, "txtTitle")->placeholderText(), QStringLiteral("<different values>"));
        QCOMPARE(korvel::controls::FieldColourOf(Box(v1, "txtArtist")),
                 korvel::controls::FieldColour::ButtonFace);
        // The ID3v1-only files have no ID3v2 artist.
        QCOMPARE(Box(v2, "txtArtist")->placeholderText(), QStringLiteral("<different values>"));

        QTest::keyClicks(Box(v2, "txtAlbum"), QStringLiteral("New Album"));
        Box(v1, "txtYear")->selectAll();
        QTest::keyClicks(Box(v1, "txtYear"), QStringLiteral("1999"));
        // Moving on keeps the changes, marked in the table; coming back shows them.
        Select({files[40]});
        for (const Generated& file : chosen) {
            QVERIFY(Model()->data(Model()->index(RowOf(file), 0), FolderModel::ChangedRole).toBool());
        }
        QCOMPARE(Model()->data(Model()->index(RowOf(chosen[0]), FolderModel::kAlbum)).toString(),
                 QStringLiteral("New Album"));
        QVERIFY(!Model()->data(Model()->index(RowOf(files[40]), 0), FolderModel::ChangedRole).toBool());
        Select(chosen);
        QCOMPARE(Box(v2, "txtAlbum")->text(), QStringLiteral("New Album"));

        // A title typed and undone is dropped with the other changes ...
        QTest::keyClicks(Box(v2, "txtTitle"), QStringLiteral("Dropped"));
        window->UndoChanges();
        QVERIFY(!Model()->data(Model()->index(RowOf(chosen[0]), 0), FolderModel::ChangedRole).toBool());
        QCOMPARE(Box(v2, "txtAlbum")->text(), QString());
        // An edit of one file is kept when the selection moves on too.
        Select({chosen[2]});
        Box(v2, "txtTitle")->setText(QStringLiteral("Kept Title"));
        Select(chosen);
        QVERIFY(Model()->data(Model()->index(RowOf(chosen[2]), 0), FolderModel::ChangedRole).toBool());
        // The album and year are made again, then all is written.
        QTest::keyClicks(Box(v2, "txtAlbum"), QStringLiteral("New Album"));
        Box(v1, "txtYear")->selectAll();
        QTest::keyClicks(Box(v1, "txtYear"), QStringLiteral("1999"));
        std::map<QString, std::string> before;
        for (const Generated& file : files) before[file.name] = FingerprintOf(PathOf(file));
        test::MessageCapture messages;
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdUpdate")), Qt::LeftButton);
        QVERIFY(messages.messages.empty());

        QStringList paths;
        for (const Generated& file : files) paths << PathOf(file);
        const QStringList albums = MutagenAlbums(paths);
        QCOMPARE(albums.size(), 60);
        for (int i = 0; i < files.size(); ++i) {
            const Generated& file = files[i];
            const bool edited = std::any_of(chosen.begin(), chosen.end(),
                                            [&](const Generated& c) { return c.name == file.name; });
            if (!edited) {
                QVERIFY2(FingerprintOf(PathOf(file)) == before[file.name], qPrintable(file.name));
                continue;
            }
            QCOMPARE(albums[i], QStringLiteral("New Album"));
            korvel::FileHandler onDisk;
            QVERIFY(onDisk.Create(PathOf(file).toStdString()));
            QCOMPARE(onDisk.ID3v1xTag()->Year(), std::string("1999"));
            QCOMPARE(Q(onDisk.ID3v1xTag()->Title()), Q(file.title));
            // A file that had no ID3v2 tag has one now, with only the album.
            QCOMPARE(Q(onDisk.ID3V2Tag()->Title()),
                     file.kind == 0                  ? QString()
                     : file.name == chosen[2].name ? QStringLiteral("Kept Title")
                                                   : Q(file.title));
            QVERIFY(!Model()->data(Model()->index(RowOf(file), 0), FolderModel::ChangedRole).toBool());
        }
        // The editors show the files as they are now.
        QCOMPARE(Box(v2, "txtAlbum")->text(), QStringLiteral("New Album"));
        QCOMPARE(Box(v1, "txtYear")->text(), QStringLiteral("1999"));

        // ID3v2.4 tags are edited together and stay version 2.4.
        QList<Generated> v24;
        QStringList v24Paths;
        for (const Generated& file : files) {
            if (file.kind == 2 && file.name.startsWith(QLatin1Char('A'))) {
                v24 << file;
                v24Paths << PathOf(file);
            }
        }
        Select(v24);
        Box(v2, "txtAlbum")->selectAll();
        QTest::keyClicks(Box(v2, "txtAlbum"), QStringLiteral("Album 2.4"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdUpdate")), Qt::LeftButton);
        QVERIFY(messages.messages.empty());
        QCOMPARE(MutagenAlbums(v24Paths), QStringList(v24Paths.size(), QStringLiteral("Album 2.4")));
        for (const QString& path : v24Paths) {
            korvel::FileHandler onDisk;
            QVERIFY(onDisk.Create(path.toStdString()));
            QCOMPARE(onDisk.ID3V2Tag()->Version()->Minor(), 4);
        }
    }

    void cancellingLeavesEachFileSavedOrUntouched() {
        OpenAndWait();
        const QList<Generated> chosen = Editable("B", 12);
        Select(chosen);
        QTest::keyClicks(Box(window->ID3v2Editor(), "txtAlbum"), QStringLiteral("Half Way"));
        // The second file cannot be written; the others go on.
        QFile::setPermissions(PathOf(chosen[1]), QFileDevice::ReadOwner);
        std::map<QString, std::string> before;
        for (const Generated& file : chosen) before[file.name] = FingerprintOf(PathOf(file));

        connect(window->Folder(), &korvel::quelm::FolderSession::fileWritten, this, [this](int done) {
            if (done == 6) window->findChild<QProgressDialog*>(QStringLiteral("dlgProgress"))->cancel();
        });
        test::MessageCapture messages;
        window->UpdateTags();
        QFile::setPermissions(PathOf(chosen[1]), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QCOMPARE(messages.messages.size(), size_t(1));
        QVERIFY(Q(messages.messages[0].text).contains(chosen[1].name));
        QStringList paths;
        for (const Generated& file : chosen) paths << PathOf(file);
        const QStringList albums = MutagenAlbums(paths);
        for (int i = 0; i < chosen.size(); ++i) {
            const bool saved = i < 6 && i != 1;
            const bool untouched = FingerprintOf(paths[i]) == before[chosen[i].name];
            QVERIFY2(saved != untouched, qPrintable(chosen[i].name));
            QCOMPARE(albums[i] == QLatin1String("Half Way"), saved);
            // What was not saved is still waiting.
            QCOMPARE(Model()->data(Model()->index(RowOf(chosen[i]), 0), FolderModel::ChangedRole).toBool(),
                     !saved);
        }
    }

    void renamesFilesFromTheirTagsAndBack() {
        OpenAndWait();
        const QList<Generated> chosen = Editable("A", 12);
        Select(chosen);
        // A file already has the name the third file would get.
        const QString taken = Folder() + QStringLiteral("/A/%1 - Artist A - %2.mp3")
                                             .arg(chosen[2].track, 2, 10, QLatin1Char('0'))
                                             .arg(Q(chosen[2].title));
        kt::WriteFile(taken.toStdString(), Bytes{1, 2, 3});

        auto* dialog = window->Folder()->OpenRenameDialog(korvel::quelm::RenameDialog::NamesFromTags);
        QCOMPARE(dialog->Preview()->topLevelItemCount(), 12);
        // Names that would be the same are refused, each file on its own.
        dialog->SetPattern(QStringLiteral("%artist%"));
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(dialog->Preview()->topLevelItem(i)->text(2), QStringLiteral("Another file would get this name"));
        }
        const QString pattern = QStringLiteral("%track% - %artist% - %title%");
        dialog->SetPattern(pattern);
        QStringList previewed;
        for (int i = 0; i < 12; ++i) {
            const QTreeWidgetItem* item = dialog->Preview()->topLevelItem(i);
            QCOMPARE(item->text(0), chosen[i].name);
            previewed << item->text(1);
            QCOMPARE(item->text(2), i == 2 ? QStringLiteral("A file of this name exists")
                                           : QStringLiteral("Will be renamed"));
        }
        QCOMPARE(previewed[0], QStringLiteral("A/01 - Artist A - Title A1.mp3"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdApply")), Qt::LeftButton);

        for (int i = 0; i < 12; ++i) {
            const QString expected = i == 2 ? chosen[i].name : previewed[i];
            QVERIFY2(QFileInfo::exists(Folder() + QLatin1Char('/') + expected), qPrintable(expected));
            QVERIFY(Model()->RowOf(Folder() + QLatin1Char('/') + expected) >= 0);
        }
        QVERIFY(!QFileInfo::exists(PathOf(chosen[0])));
        QCOMPARE(window->Folder()->Patterns().front(), pattern);

        // The same pattern reads the fields back from the new names.
        Select({chosen[0]});
        dialog = window->Folder()->OpenRenameDialog(korvel::quelm::RenameDialog::TagsFromNames);
        dialog->SetPattern(QStringLiteral("%track% - %artist% - %album%"));
        QCOMPARE(dialog->Preview()->topLevelItem(0)->text(3), QStringLiteral("Title A1"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdApply")), Qt::LeftButton);
        const int row = Model()->RowOf(Folder() + QLatin1Char('/') + previewed[0]);
        QCOMPARE(Model()->ID3v2Values(row).at(QStringLiteral("Album")), QStringLiteral("Title A1"));
        QCOMPARE(Model()->ID3v1Values(row).at(QStringLiteral("Track")), QStringLiteral("01"));
        QVERIFY(Model()->data(Model()->index(row, 0), FolderModel::ChangedRole).toBool());
    }

    void tenThousandFilesLoadWhileTheWindowServes() {
        const std::filesystem::path big = dir->Path() / "big";
        std::filesystem::create_directories(big);
        const Bytes audio = kt::MpegAudio(2);
        for (int i = 0; i < 10000; ++i) {
            Generated file{QString(), i % 10 == 0 ? 1 : 0, "Song " + std::to_string(i), "Band",
                           "Record " + std::to_string(i / 12), "1990", i % 99 + 1};
            Write((big / ("file" + std::to_string(i) + ".mp3")).string(), file, 2);
        }
        qint64 longestGap = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(5);
        connect(&ticker, &QTimer::timeout, this, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        QSignalSpy loaded(window->Folder()->Loader(), &korvel::quelm::FolderLoader::finished);
        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        ticker.start();
        window->OpenFolder(Q(big.string()), true);
        QVERIFY(loaded.wait(300000));
        ticker.stop();
        const qint64 filled = clock.elapsed();
        QCOMPARE(Model()->rowCount(), 10000);
        qInfo("10000 files in the table after %lld ms; longest gap between timer ticks %lld ms",
              filled, longestGap);
        QVERIFY2(longestGap <= 100, qPrintable(QString::number(longestGap)));

        clock.restart();
        window->Library()->Table()->sortByColumn(FolderModel::kTitle, Qt::AscendingOrder);
        qInfo("10000 files sorted by title in %lld ms", clock.elapsed());

        // All of them selected: the editors show what they share.
        clock.restart();
        window->Library()->Table()->selectAll();
        qInfo("10000 files selected and shown in the editors in %lld ms", clock.elapsed());
        QCOMPARE(Box(window->ID3v1Editor(), "txtArtist")->text(), QStringLiteral("Band"));
    }
};

QTEST_MAIN(FolderTest)
#include "FolderTest.moc"
