// Quelm's window driven the way a user drives it: loading by path, by drop
// and through the menu, switching tabs, editing the tags and saving them,
// checked against the files on disk.
#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>

#include "AppInfo.h"
#include "BusyCursor.h"
#include "MainWindow.h"
#include "WidgetTestSupport.h"
#include "WindowParts.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/Lyrics.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "core/ReplacementFile.h"
#include "support/ID3V2Builder.h"
#include "support/LegacyText.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

namespace kt = korvel::test;
using korvel::Bytes;
using korvel::quelm::MainWindow;

namespace {

const char* const kCrLf = "\r\n";

// An ID3v2 tag of the given version holding a title and an artist.
Bytes SmallID3v2(uint8_t major, const std::string& title) {
    return kt::Tag(major,
                   kt::Concat({kt::Frame(major, "TIT2", kt::Latin1(title)),
                               kt::Frame(major, "TPE1", kt::Latin1("Tag Artist"))}),
                   0, 256);
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Receives the links the window asks the platform to open.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// A drag of local files (or of plain text) over a widget, ending in a drop.
bool DropOn(QWidget* target, const QStringList& files, const QString& text = QString()) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace

class QuelmTest : public QObject {
    Q_OBJECT

    std::unique_ptr<kt::TempDir> dir;
    std::unique_ptr<MainWindow> window;

    template <typename T = QWidget>
    T* Child(const char* name) const { return test::ChildOf<T>(window.get(), name); }
    QLineEdit* PathBox() const { return Child<QLineEdit>("txtFile"); }
    QTabWidget* Tabs() const { return Child<QTabWidget>("tspMain"); }
    QTreeWidget* TagList() const { return Child<QTreeWidget>("lvwTag"); }
    QPushButton* UpdateButton() const { return Child<QPushButton>("cmdUpdate"); }
    korvel::controls::ID3v1* ID3v1Editor() const { return Child<korvel::controls::ID3v1>("ucID3v1"); }
    QLineEdit* ID3v1Box(const char* name) const {
        return ID3v1Editor()->findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    korvel::controls::ID3v2* V2Editor() const { return Child<korvel::controls::ID3v2>("ucID3v2"); }
    template <typename T>
    T* V2Child(const char* name) const { return test::ChildOf<T>(V2Editor(), name); }
    QLineEdit* V2Line(const char* name) const { return V2Child<QLineEdit>(name); }
    QPlainTextEdit* V2Text(const char* name) const { return V2Child<QPlainTextEdit>(name); }
    QCheckBox* V2Check() const { return V2Child<QCheckBox>("chkID3v2"); }

    std::unique_ptr<MainWindow> NewWindow() {
        auto settings =
            std::make_unique<QSettings>(Q(dir->File("quelm.ini")), QSettings::IniFormat);
        auto made = std::make_unique<MainWindow>(std::move(settings));
        made->show();
        return made;
    }

    // An MP3 file in the scratch folder: ID3v2 bytes, audio, extra bytes
    // (a Lyrics3 block) and an ID3v1 record, each optional.
    QString MakeFile(const std::string& name, const Bytes& id3v2, const Bytes& id3v1,
                     const Bytes& beforeID3v1 = {}) {
        const std::string path = dir->File(name);
        kt::WriteFile(path, kt::Concat({id3v2, kt::MpegAudio(20), beforeID3v1, id3v1}));
        return Q(path);
    }

    // An MP3 file whose ID3v2 tag (version 2.3 or 2.4) mutagen writes: title,
    // artist and a comment given as a Python literal; the ID3v1 record follows.
    QString MutagenFile(const std::string& name, int major, const std::string& comment,
                        const Bytes& id3v1) {
        const QString path = MakeFile(name, {}, {});
        const std::string script =
            "import sys\n"
            "from mutagen.id3 import ID3, TIT2, TPE1, COMM\n"
            "t = ID3()\n"
            "t.add(TIT2(encoding=0, text='Old Two'))\n"
            "t.add(TPE1(encoding=0, text='Tag Artist'))\n"
            "t.add(COMM(encoding=0, lang='eng', desc='', text=" + comment + "))\n"
            "t.save(sys.argv[1], v2_version=" + std::to_string(major) + ", v1=0)\n";
        if (kt::Run(kPython + kt::ShellQuote(script) + " " + kt::ShellQuote(path.toStdString())) !=
            0) {
            qFatal("mutagen could not tag %s", qPrintable(path));
        }
        const Bytes tagged = kt::ReadFile(path.toStdString());
        kt::WriteFile(path.toStdString(), kt::Concat({tagged, id3v1}));
        return path;
    }
    // What mutagen reads from the file's ID3v2 tag t: repr(expression).
    static QString Mutagen(const QString& path, const std::string& expression) {
        const std::string script = "import sys\nfrom mutagen.id3 import ID3\nt = ID3(sys.argv[1])\n"
                                   "print(repr(" + expression + "))\n";
        std::string out;
        kt::Run(kPython + kt::ShellQuote(script) + " " + kt::ShellQuote(path.toStdString()), &out);
        return Q(out).trimmed();
    }
    static inline const std::string kPython = "/usr/bin/python3 -c ";

    // The attribute column of the TAG page, and the rows as "attribute=value".
    QStringList ShownRows() const {
        QStringList rows;
        for (int i = 0; i < TagList()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = TagList()->topLevelItem(i);
            rows << item->text(0) + QLatin1Char('=') + item->text(1);
        }
        return rows;
    }
    static QStringList ExpectedRows(const QString& path) {
        korvel::FileHandler file;
        if (!file.Create(path.toStdString())) return {};
        QStringList rows;
        for (const korvel::AttributeRow& row : korvel::AttributeRows(file)) {
            rows << Q(row.Attribute) + QLatin1Char('=') + korvel::quelm::ListText(Q(row.Value));
        }
        return rows;
    }
    bool TabHasIcon(const QString& key) const {
        for (int i = 0; i < Tabs()->count(); ++i) {
            if (window->TabKey(i) == key) return !Tabs()->tabIcon(i).isNull();
        }
        qFatal("no tab %s", qPrintable(key));
    }
    QString ID3v1TitleOnDisk(const QString& path) const {
        korvel::FileHandler file;
        file.Create(path.toStdString());
        return file.HasID3V1Tag() ? Q(file.ID3v1xTag()->Title()) : QString();
    }

private slots:
    void init() {
        dir = std::make_unique<kt::TempDir>();
        window = NewWindow();
    }
    void cleanup() {
        window.reset();
        dir.reset();
    }

    void startsEmptyWithItsParts() {
        QCOMPARE(window->objectName(), QStringLiteral("frmOCXTest"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Ambrin")));
        QCOMPARE(Child<QLabel>("lblDescription")->text(),
                 QStringLiteral("Drag && Drop MP3-Files into the textbox below."));
        QCOMPARE(Child<QLabel>("lblInfo")->text(),
                 QStringLiteral("This is a preview (Beta 1). Use it at your own risk."));
        QCOMPARE(UpdateButton()->text(), QStringLiteral("Update"));
        QCOMPARE(Child<QPushButton>("cmdUndoChanges")->text(), QStringLiteral("Undo Changes"));
        QVERIFY(Child<QPlainTextEdit>("txtMPEGInfo")->toPlainText().isEmpty());
        QCOMPARE(TagList()->columnCount(), 2);
        QCOMPARE(TagList()->headerItem()->text(0), QStringLiteral("Attribute"));
        QCOMPARE(TagList()->headerItem()->text(1), QStringLiteral("Value"));

        // Five tabs in this order, with their keys and pages; no icons yet.
        const QStringList captions = {QStringLiteral("Info"), QStringLiteral("TAG"),
                                      QStringLiteral("ID3v1x Tag"), QStringLiteral("ID3v2x Tag"),
                                      QStringLiteral("Lyrics Tag")};
        const QStringList keys = {QStringLiteral("1_"), QStringLiteral("5_"), QStringLiteral("2_"),
                                  QStringLiteral("3_"), QStringLiteral("4_")};
        const char* const pages[] = {"frmMPEGInfo", "frmTag", "ucID3v1", "ucID3v2", "ucLyrics"};
        QCOMPARE(Tabs()->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(Tabs()->tabText(i), captions[i]);
            QCOMPARE(window->TabKey(i), keys[i]);
            QVERIFY(Tabs()->tabIcon(i).isNull());
            QWidget* page = Child(pages[i]);
            QVERIFY(page == Tabs()->widget(i) || Tabs()->widget(i)->isAncestorOf(page));
        }
        QCOMPARE(Tabs()->currentIndex(), 0);
        QCOMPARE(MainWindow::PageNumber(QStringLiteral("5_")), 5);
        QCOMPARE(MainWindow::PageNumber(QStringLiteral("12_")), 12);

        // The mail link sits right beside its caption and opens a mail link.
        auto* report = Child<QLabel>("lblReport");
        auto* link = Child<korvel::quelm::LinkLabel>("lblHomepage");
        QCOMPARE(report->text(), QStringLiteral("Report errors to "));
        QCOMPARE(link->Tag(), QStringLiteral("mailto:") + link->text());
        QCOMPARE(link->geometry().left(), report->geometry().right() + 1);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        LinkCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        QTest::mouseClick(link, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(link->Tag())});

        // Update and Undo Changes with an empty path box do nothing at all.
        test::MessageCapture messages;
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>("cmdUndoChanges"), Qt::LeftButton);
        QVERIFY(messages.messages.empty());
        QVERIFY(UpdateButton()->isEnabled());
    }

    void loadsTheFileNamedInThePathBox() {
        const QString both = MakeFile("both.mp3", SmallID3v2(3, "Version Two"),
                                      kt::ID3v1Record("Version One", "Artist", "", "1999", "", 4));
        PathBox()->setText(both);
        QTest::keyClick(PathBox(), Qt::Key_Return);

        QCOMPARE(ShownRows(), ExpectedRows(both));
        QVERIFY(ShownRows().contains(QStringLiteral("ID3v2:Version=2.3.0")));
        QVERIFY(ShownRows().contains(QStringLiteral("ID3v1xTag.Track=4")));
        korvel::FileHandler file;
        QVERIFY(file.Create(both.toStdString()));
        QCOMPARE(Child<QPlainTextEdit>("txtMPEGInfo")->toPlainText(),
                 Q(korvel::MPEGInfoText(file)).replace(QLatin1String(kCrLf), QLatin1String("\n")));
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Version One"));
        QVERIFY(TabHasIcon(QStringLiteral("2_")));
        QVERIFY(TabHasIcon(QStringLiteral("3_")));
        QVERIFY(!TabHasIcon(QStringLiteral("4_")));
        QVERIFY(!TabHasIcon(QStringLiteral("1_")));
        // Every column fits its widest entry.
        for (int column = 0; column < 2; ++column) {
            for (int i = 0; i < TagList()->topLevelItemCount(); ++i) {
                const QString text = TagList()->topLevelItem(i)->text(column);
                QVERIFY(TagList()->columnWidth(column) >=
                        TagList()->fontMetrics().horizontalAdvance(text));
            }
        }

        // A file with only a Lyrics3 tag: the icons follow the new file.
        const QString lyrics =
            MakeFile("lyrics.mp3", {}, kt::ID3v1Record("L"),
                     kt::B("LYRICSBEGININD0000210EAR00006Singer000035LYRICS200"));
        QVERIFY(window->OpenFile(lyrics));
        QCOMPARE(PathBox()->text(), lyrics);
        QVERIFY(!TabHasIcon(QStringLiteral("3_")));
        QVERIFY(TabHasIcon(QStringLiteral("4_")));
        QVERIFY(ShownRows().contains(QStringLiteral("Lyrics:EAR=Singer")));
        QCOMPARE(ShownRows(), ExpectedRows(lyrics));
    }

    void failedLoadsShowTheErrorAndKeepTheWindow() {
        const QString good = MakeFile("good.mp3", {}, kt::ID3v1Record("Kept Title"));
        QVERIFY(window->OpenFile(good));
        const QStringList rows = ShownRows();

        const std::string zip = dir->File("archive.mp3");
        kt::WriteFile(zip, kt::Concat({kt::B("PK\x03\x04", 4), Bytes(300, 0)}));
        test::MessageCapture messages;
        QVERIFY(!window->OpenFile(Q(zip)));
        QCOMPARE(messages.messages.size(), size_t(1));
        QCOMPARE(messages.messages[0].text,
                 std::string("-2147221504\r\nCreate\r\nThis is a ZIP-File"));
        QCOMPARE(messages.messages[0].icon, korvel::MessageIcon::Critical);
        QCOMPARE(messages.messages[0].caption, std::string());
        QCOMPARE(ShownRows(), rows);
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Kept Title"));

        messages.messages.clear();
        QVERIFY(!window->OpenFile(Q(dir->File("missing.mp3"))));
        QCOMPARE(messages.messages.size(), size_t(1));
        QCOMPARE(ShownRows(), rows);
    }

    void reportsATagThatDoesNotLoadAndShowsTheRest() {
        // The size of this Lyrics3 tag is not a number.
        const QString path = MakeFile("badlyrics.mp3", {}, kt::ID3v1Record("Still Shown"),
                                      kt::B("LYRICSBEGINabcdefLYRICS200"));
        test::MessageCapture messages;
        QVERIFY(window->OpenFile(path));
        QCOMPARE(messages.messages.size(), size_t(1));
        QVERIFY(messages.messages[0].text.find("LyricsTag::Load") != std::string::npos);
        QVERIFY(messages.messages[0].text.find("is not a number") != std::string::npos);
        QVERIFY(ShownRows().contains(QStringLiteral("ID3v1xTag.Title=Still Shown")));
        QVERIFY(!TabHasIcon(QStringLiteral("4_")));
        QVERIFY(!Child<korvel::controls::Lyrics>("ucLyrics")->HasTag());
    }

    void dropsOfOneFileLoadItAndOfSeveralReload() {
        const QString first = MakeFile("first.mp3", {}, kt::ID3v1Record("First"));
        const QString second = MakeFile("second.mp3", {}, kt::ID3v1Record("Second"));

        QVERIFY(DropOn(PathBox(), {first}));
        QCOMPARE(PathBox()->text(), first);
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("First"));

        // Change the file behind the window's back; two dropped files keep the
        // path and reload it.
        {
            korvel::FileHandler file;
            QVERIFY(file.Create(first.toStdString()));
            file.ID3v1xTag()->setTitle("First, changed");
            QVERIFY(file.writeID3v1xTag());
        }
        QVERIFY(DropOn(PathBox(), {second, first}));
        QCOMPARE(PathBox()->text(), first);
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("First, changed"));

        // One file dropped anywhere on the window.
        QVERIFY(DropOn(window.get(), {second}));
        QCOMPARE(PathBox()->text(), second);
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Second"));

        // Plain text is not a file: the path box takes it as text, nothing loads.
        PathBox()->clear();
        DropOn(PathBox(), {}, QStringLiteral("just text"));
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Second"));
    }

    void undoChangesReloadsTheFile() {
        const QString path = MakeFile("undo.mp3", {}, kt::ID3v1Record("On Disk"));
        QVERIFY(window->OpenFile(path));
        Tabs()->setCurrentIndex(2);
        ID3v1Box("txtTitle")->setText(QStringLiteral("Edited"));
        QTest::mouseClick(Child<QPushButton>("cmdUndoChanges"), Qt::LeftButton);
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("On Disk"));
        QCOMPARE(ID3v1TitleOnDisk(path), QStringLiteral("On Disk"));
    }

    void legacyTextEncodingReadsAgainWritesAndIsKept() {
        const Bytes cyrillic = kt::ID3v1Record(kt::InCharset("Кино", "WINDOWS-1251"));
        const QString path = MakeFile("legacy.mp3", {}, cyrillic);
        QVERIFY(window->OpenFile(path));
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Êèíî"));
        QVERIFY(Child<QAction>("mnuEncoding_windows_1252")->isChecked());

        // Choosing a code page reads the shown file again at once.
        Child<QAction>("mnuEncoding_windows_1251")->trigger();
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Кино"));
        // "Update" writes the ID3v1 tag in it.
        Tabs()->setCurrentIndex(2);
        ID3v1Box("txtTitle")->setText(QStringLiteral("Звезда"));
        test::MessageCapture messages;
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(kt::ReadFile(path.toStdString()), kt::Concat({kt::MpegAudio(20), kt::ID3v1Record(kt::InCharset(
                                                                             "Звезда", "WINDOWS-1251"))}));

        // The choice is kept for the next window; "Automatic" finds the page.
        window = NewWindow();
        QVERIFY(Child<QAction>("mnuEncoding_windows_1251")->isChecked());
        Child<QAction>("mnuEncoding_auto")->trigger();
        QVERIFY(window->OpenFile(path));
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Звезда"));
        Child<QAction>("mnuEncoding_windows_1252")->trigger();
        QCOMPARE(ID3v1Editor()->Title(), QStringLiteral("Çâåçäà"));
        QCOMPARE(QSettings(Q(dir->File("quelm.ini")), QSettings::IniFormat).value("LegacyTextEncoding"),
                 QVariant(QStringLiteral("windows-1252")));
    }

    void savesBothTagsWithBareLineFeedsAndReloads() {
        const QString path = MutagenFile("save.mp3", 3, "u'line A\\nline B'", kt::ID3v1Record("Old One"));
        QVERIFY(window->OpenFile(path));
        QVERIFY(V2Editor()->HasTag());

        Tabs()->setCurrentIndex(2);
        ID3v1Box("txtTitle")->setText(QStringLiteral("New One"));
        Tabs()->setCurrentIndex(3);
        V2Line("txtTitle")->setText(QStringLiteral("New Two"));
        V2Text("txtLyrics")->setPlainText(QStringLiteral("first verse\nsecond verse"));

        // The busy cursor is up while the file is rewritten, and gone after.
        QList<bool> busy;
        korvel::ReplacementFile::SetFaultHook([&](const std::string&) {
            busy << (QGuiApplication::overrideCursor() != nullptr &&
                     QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
        });
        test::MessageCapture messages;
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        korvel::ReplacementFile::SetFaultHook({});
        QVERIFY(!busy.isEmpty());
        QVERIFY(!busy.contains(false));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);

        QCOMPARE(messages.messages.size(), size_t(1));
        QCOMPARE(messages.messages[0].text,
                 std::string("ID3v2 Tag successfully saved.\r\nID3v1x Tag successfully saved.\r\n"));
        QCOMPARE(messages.messages[0].icon, korvel::MessageIcon::Information);
        QCOMPARE(messages.messages[0].caption, std::string());
        QVERIFY(UpdateButton()->isEnabled());

        // On disk: the edits, and the comment's line break still a bare line feed.
        QCOMPARE(Mutagen(path, "t['TIT2'].text[0]"), QStringLiteral("'New Two'"));
        QCOMPARE(Mutagen(path, "t['TPE1'].text[0]"), QStringLiteral("'Tag Artist'"));
        QCOMPARE(Mutagen(path, "t.getall('COMM')[0].text[0]"), QStringLiteral("'line A\\nline B'"));
        QCOMPARE(Mutagen(path, "t.getall('USLT')[0].text"),
                 QStringLiteral("'first verse\\nsecond verse'"));
        QCOMPARE(ID3v1TitleOnDisk(path), QStringLiteral("New One"));
        // ... and in the reloaded window.
        QVERIFY(ShownRows().contains(QStringLiteral("ID3v1xTag.Title=New One")));
        QCOMPARE(ShownRows(), ExpectedRows(path));
        QCOMPARE(V2Line("txtTitle")->text(), QStringLiteral("New Two"));
    }

    void withoutID3v2TagAndBoxUntickedOnlyTheID3v1TagIsWritten() {
        // No tag at all and nothing ticked: nothing is written or shown.
        const QString bare = MakeFile("bare.mp3", {}, {});
        QVERIFY(window->OpenFile(bare));
        const std::string bareBefore = kt::Fingerprint(kt::ReadFile(bare.toStdString()));
        {
            test::MessageCapture messages;
            QTest::mouseClick(UpdateButton(), Qt::LeftButton);
            QVERIFY(messages.messages.empty());
        }
        QCOMPARE(kt::Fingerprint(kt::ReadFile(bare.toStdString())), bareBefore);
        QVERIFY(!UpdateButton()->isEnabled());
        // Choosing the ID3v2 tab enables Update again.
        Tabs()->setCurrentIndex(3);
        QVERIFY(UpdateButton()->isEnabled());

        // A file with only an ID3v1 tag: its edits are saved, the ID3v2 side
        // stays untouched.
        const QString path = MakeFile("v1only.mp3", {}, kt::ID3v1Record("Only One"));
        QVERIFY(window->OpenFile(path));
        Tabs()->setCurrentIndex(2);
        ID3v1Box("txtTitle")->setText(QStringLiteral("Saved Now"));
        test::MessageCapture messages;
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), size_t{1});
        QCOMPARE(messages.messages[0].text, std::string("ID3v1x Tag successfully saved.\r\n"));
        QCOMPARE(ID3v1TitleOnDisk(path), QStringLiteral("Saved Now"));
        korvel::FileHandler onDisk;
        QVERIFY(onDisk.Create(path.toStdString()));
        QVERIFY(!onDisk.HasID3V2Tag());
        QVERIFY(UpdateButton()->isEnabled());
    }

    void aTagThatCannotBeSavedStillRunsTheID3v1Step() {
        const QString path = MutagenFile("v24.mp3", 4, "u'comment'", kt::ID3v1Record("Goes Away"));
        QVERIFY(window->OpenFile(path));
        const auto size = QFileInfo(path).size();
        Tabs()->setCurrentIndex(2);
        QTest::mouseClick(ID3v1Editor()->findChild<QCheckBox*>(QStringLiteral("chkID3v1")),
                          Qt::LeftButton);
        QVERIFY(ID3v1Editor()->removeTag());

        test::MessageCapture messages;
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), size_t(2));
        QVERIFY(messages.messages[0].text.rfind("Unable to save the ID3v2 Tag.\r\n\r\n", 0) == 0);
        QVERIFY(messages.messages[0].text.size() > 33);
        QCOMPARE(messages.messages[0].icon, korvel::MessageIcon::Critical);
        QCOMPARE(messages.messages[1].text, std::string("ID3v1x Tag successfully removed."));
        QCOMPARE(messages.messages[1].icon, korvel::MessageIcon::Information);

        QCOMPARE(QFileInfo(path).size(), size - 128);
        QCOMPARE(Mutagen(path, "t.version"), QStringLiteral("(2, 4, 0)"));
        QVERIFY(!TabHasIcon(QStringLiteral("2_")));
        QVERIFY(TabHasIcon(QStringLiteral("3_")));
    }

    void createsAndRemovesTheID3v2Tag() {
        const QString path = MakeFile("create.mp3", {}, kt::ID3v1Record("Stays"));
        QVERIFY(window->OpenFile(path));
        Tabs()->setCurrentIndex(3);
        QTest::mouseClick(V2Check(), Qt::LeftButton);
        QVERIFY(V2Editor()->HasTag());
        V2Line("txtTitle")->setText(QStringLiteral("Brand New"));
        V2Line("txtArtist")->setText(QStringLiteral("Fresh Artist"));

        test::MessageCapture messages;
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), size_t(1));
        QCOMPARE(messages.messages[0].text,
                 std::string("ID3v2 Tag successfully created.\r\nID3v1x Tag successfully saved.\r\n"));
        QCOMPARE(Mutagen(path, "t.version"), QStringLiteral("(2, 3, 0)"));
        QCOMPARE(Mutagen(path, "t['TIT2'].text[0]"), QStringLiteral("'Brand New'"));
        QCOMPARE(ID3v1TitleOnDisk(path), QStringLiteral("Stays"));
        QVERIFY(TabHasIcon(QStringLiteral("3_")));

        // Unticking the box of the tag now in the file removes it.
        Tabs()->setCurrentIndex(3);
        QTest::mouseClick(V2Check(), Qt::LeftButton);
        QVERIFY(V2Editor()->removeTag());
        messages.messages.clear();
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), size_t(1));
        QCOMPARE(messages.messages[0].text,
                 std::string("ID3v2 Tag successfully removed.\r\nID3v1x Tag successfully saved.\r\n"));
        QVERIFY(!kt::ReadFile(path.toStdString()).empty());
        QVERIFY(kt::ReadFile(path.toStdString())[0] != 'I');
        QVERIFY(!TabHasIcon(QStringLiteral("3_")));
        QCOMPARE(ID3v1TitleOnDisk(path), QStringLiteral("Stays"));
    }

    void failuresBecomeMessages() {
        const QString path = MutagenFile("fail.mp3", 3, "u'c'", kt::ID3v1Record("Title"));
        QVERIFY(window->OpenFile(path));
        test::MessageCapture messages;

        // A read-only file: the ID3v2 save fails, then the ID3v1 write.
        const std::string before = kt::Fingerprint(kt::ReadFile(path.toStdString()));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(messages.messages.size(), size_t(2));
        QCOMPARE(messages.messages[0].text, std::string("Unable to save the ID3v2 Tag."));
        QCOMPARE(messages.messages[0].icon, korvel::MessageIcon::Exclamation);
        // The file object's own error display: the number (EACCES), source, text.
        QVERIFY2(messages.messages[1].text.rfind("13\r\n", 0) == 0, messages.messages[1].text.c_str());
        QCOMPARE(messages.messages[1].icon, korvel::MessageIcon::Critical);
        QCOMPARE(kt::Fingerprint(kt::ReadFile(path.toStdString())), before);
        QVERIFY(UpdateButton()->isEnabled());

        // The file became something else since it was loaded.
        kt::WriteFile(path.toStdString(), kt::Concat({kt::B("PK\x03\x04", 4), Bytes(300, 0)}));
        messages.messages.clear();
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), size_t(1));
        QCOMPARE(messages.messages[0].text,
                 std::string("Unable to initialize the Tag.\r\n-2147221504, Create, This is a ZIP-File"));
        QCOMPARE(messages.messages[0].icon, korvel::MessageIcon::Exclamation);
        QVERIFY(!UpdateButton()->isEnabled());
        Tabs()->setCurrentIndex(3);
        QVERIFY(UpdateButton()->isEnabled());

        // An error no step expects ends the sequence with "Tag not saved!".
        const QString plain = MakeFile("plain.mp3", {}, kt::ID3v1Record("Plain"));
        QVERIFY(window->OpenFile(plain));
        const std::string plainBefore = kt::Fingerprint(kt::ReadFile(plain.toStdString()));
        QTest::mouseClick(V2Check(), Qt::LeftButton);
        V2Line("txtTrack")->setText(QStringLiteral("not a number"));
        messages.messages.clear();
        QTest::mouseClick(UpdateButton(), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), size_t(1));
        QVERIFY(messages.messages[0].text.rfind("Tag not saved!\r\n", 0) == 0);
        QCOMPARE(messages.messages[0].icon, korvel::MessageIcon::Critical);
        QVERIFY(!UpdateButton()->isEnabled());
        QCOMPARE(kt::Fingerprint(kt::ReadFile(plain.toStdString())), plainBefore);
    }

    void remembersTheEditorsLayout() {
        V2Editor()->setMode(korvel::controls::v2aWide);
        V2Editor()->setFrameListVisible(false);
        window->StoreSettings();
        window.reset();
        window = NewWindow();
        QCOMPARE(V2Editor()->Mode(), korvel::controls::v2aWide);
        QVERIFY(!V2Editor()->FrameListVisible());
        QSettings ini(Q(dir->File("quelm.ini")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("ucID3v2/V2A")).toInt(), 1);
    }

    void listTextKeepsRowsOnOneReadableLine() {
        using korvel::quelm::ListText;
        QCOMPARE(ListText(QStringLiteral("a\r\nb")), QStringLiteral("a\\r\\nb"));
        QCOMPARE(ListText(QString::fromUtf8("x\0y\t\x01", 5)), QStringLiteral("x\\0y\\t\\x01"));
        QCOMPARE(ListText(QStringLiteral("abcdef"), 4), QStringLiteral("abcd") + QChar(0x2026));
        QCOMPARE(ListText(QStringLiteral("\u00e9t\u00e9")), QStringLiteral("\u00e9t\u00e9"));
    }

    void remembersItsSize() {
        window->resize(990, 720);
        window->StoreSettings();
        window.reset();
        window = NewWindow();
        QCOMPARE(window->size(), QSize(990, 720));
    }

    void messagesAreShownWithTheNormalCursor() {
        test::MessageCapture messages;
        korvel::MessageHandler before = korvel::SetMessageHandler({});
        std::vector<bool> busyAtMessage;
        korvel::SetMessageHandler([&](const std::string&, korvel::MessageIcon, const std::string&) {
            busyAtMessage.push_back(QGuiApplication::overrideCursor() != nullptr);
        });
        korvel::quelm::ShowMessagesWithNormalCursor();
        {
            korvel::quelm::BusyCursor outer;
            korvel::quelm::BusyCursor inner;
            korvel::ShowMessage("text", korvel::MessageIcon::Information);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        korvel::SetMessageHandler(before);
        QCOMPARE(busyAtMessage, std::vector<bool>{false});
    }
};

QTEST_MAIN(QuelmTest)
#include "QuelmTest.moc"
