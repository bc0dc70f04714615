// The ID3v2 editor driven as a user and a host drive it, on tags read from
// real files.
#include <optional>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "WidgetTestSupport.h"
#include "controls/ID3v2.h"
#include "file/FileHandler.h"
#include "errors/KorvelException.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using korvel::Bytes;
using korvel::ID3V230Ptr;
using korvel::ID3V2TagPtr;
using namespace korvel::controls;
namespace build = korvel::test;

namespace {

const char* const kLineFields[] = {"txtAlbum",    "txtArtist",         "txtTitle",
                                   "txtCopyright", "txtEncodedBy",     "txtOriginalArtist",
                                   "txtURL",      "txtYear",           "txtTrack",
                                   "txtComposer"};
const char* const kMultiLineFields[] = {"txtComment", "txtLyrics", "txtSyncedLyrics"};

// The frames every test file carries, in the frame layout of the version.
Bytes CommonFrames(uint8_t version) {
    auto frame = [version](const std::string& id23, const std::string& id22, const Bytes& data) {
        return build::Frame(version, version == 2 ? id22 : id23, data);
    };
    return build::Concat({
        frame("TIT2", "TT2", build::Latin1("Song Title")),
        frame("TPE1", "TP1", build::Latin1("Some Artist")),
        frame("TALB", "TAL", build::Latin1("An Album")),
        frame("TRCK", "TRK", build::Latin1("3/12")),
        frame("TCON", "TCO", build::Latin1("(17)Rock")),
        frame("COMM", "COM", build::CommData("eng", "", "first line\nsecond line")),
        frame("MCDI", "MCI", Bytes(1234, 0x5A)),
    });
}

}  // namespace

class ID3v2Test : public QObject {
    Q_OBJECT

    ID3v2* editor = nullptr;
    build::TempDir* folder = nullptr;

    template <typename T = QWidget>
    T* Child(const char* name) const { return test::ChildOf<T>(editor, name); }
    QLineEdit* Box(const char* name) const { return Child<QLineEdit>(name); }
    QPlainTextEdit* MultiLine(const char* name) const { return Child<QPlainTextEdit>(name); }
    GenreComboBox* Combo() const { return Child<GenreComboBox>("cmbGenre"); }
    QCheckBox* Check() const { return Child<QCheckBox>("chkID3v2"); }
    QTreeWidget* Frames() const { return Child<QTreeWidget>("lvwFrames"); }
    QString LabelText(const char* name) const { return Child<QLabel>(name)->text(); }
    bool PictureShown() const {
        return !Child<QLabel>("picMain")->pixmap().isNull();
    }

    // Every line field and the genre combo in the state given; the three
    // multi-line boxes and the picture buttons as given separately.
    bool FieldsAre(bool enabled, bool readOnly, FieldColour colour) const {
        for (const char* name : kLineFields) {
            if (!test::FieldIsIn(Child(name), enabled, readOnly, colour)) return false;
        }
        return test::FieldIsIn(Combo(), enabled, readOnly, colour);
    }
    bool MultiLinesAre(bool enabled, bool readOnly, FieldColour colour) const {
        for (const char* name : kMultiLineFields) {
            if (!test::FieldIsIn(Child(name), enabled, readOnly, colour)) return false;
        }
        return true;
    }
    bool PictureButtonsEnabled() const {
        const bool load = Child("cmdLoadPicture")->isEnabled();
        const bool clear = Child("cmdClearPicture")->isEnabled();
        if (load != clear) qFatal("picture buttons differ");
        return load;
    }

    // An MP3 file with the given ID3v2 tag bytes in front of its audio.
    std::string WriteMp3(const std::string& name, const Bytes& tag) const {
        build::Mp3Spec stream;
        stream.ID3v2 = tag;
        const std::string path = folder->File(name);
        build::WriteFile(path, build::BuildMp3(stream));
        return path;
    }

    static korvel::FileHandlerPtr Open(const std::string& path) {
        auto file = std::make_shared<korvel::FileHandler>();
        if (!file->Create(path)) qFatal("cannot open %s", path.c_str());
        return file;
    }

    // Replaces the text of a box as a user does: select all, type.
    static void Retype(QWidget* box, const QString& text) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    // Picks a genre from the open list with the mouse.
    void PickGenre(const QString& name) {
        GenreComboBox* combo = Combo();
        const int index = combo->findText(name);
        QVERIFY(index >= 0);
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex item = view->model()->index(index, 0);
        view->scrollTo(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
        QTRY_VERIFY(!view->isVisible());
    }

    // Clicks "Load" and works the file dialog as a user does: types `path`
    // into its file name box and accepts, or cancels when `path` is empty.
    // Returns the dialog's name filters.
    QStringList LoadPicture(const QString& path) {
        auto filters = std::make_shared<QStringList>();
        auto stuck = std::make_shared<bool>(false);
        WorkNextFileDialog(path, filters, stuck, 200);
        QTest::mouseClick(Child("cmdLoadPicture"), Qt::LeftButton);
        if (*stuck) qWarning("the file dialog did not close");
        return *stuck ? QStringList() : *filters;
    }

    static void WorkNextFileDialog(const QString& path, std::shared_ptr<QStringList> filters,
                                   std::shared_ptr<bool> stuck, int attempts) {
        QTimer::singleShot(10, [=] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) {
                if (attempts > 0) WorkNextFileDialog(path, filters, stuck, attempts - 1);
                return;
            }
            if (dialog->objectName() != QStringLiteral("dlgCommon")) return;
            *filters = dialog->nameFilters();
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name == nullptr) qFatal("the file dialog has no file name box");
            name->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
            // Never leave a test hanging in a dialog that refused to close.
            QPointer<QFileDialog> guard = dialog;
            QTimer::singleShot(3000, [guard, stuck] {
                if (guard && guard->isVisible()) {
                    *stuck = true;
                    guard->reject();
                }
            });
        });
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init() {
        folder = new build::TempDir;
        editor = new ID3v2;
        editor->show();
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
    }

    void cleanup() {
        delete editor;
        editor = nullptr;
        delete folder;
        folder = nullptr;
    }

    void startsWithoutTagAndLocked() {
        QCOMPARE(Frames()->columnCount(), 4);
        const QStringList headers = {"Frame", "Value", "Description", "Language"};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(Frames()->headerItem()->text(column), headers[column]);
        }
        auto* tabs = Child<QTabWidget>("sstLyrics");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Lyrics (unsynced)"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Lyrics (synced)"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(MultiLine("txtLyrics")->isVisible());
        QVERIFY(!MultiLine("txtSyncedLyrics")->isVisible());
        QCOMPARE(Combo()->itemData(Combo()->findText(QStringLiteral("Rock"))).toInt(), 17);
        for (const char* name : {"grpTop", "grpBottom", "grpPicture", "lblVersion", "lblSize",
                                 "lblGenreByte"}) {
            Child(name);
        }
        QCOMPARE(Child<QPushButton>("cmdLoadPicture")->text(), QStringLiteral("Load"));
        QCOMPARE(Child<QPushButton>("cmdClearPicture")->text(), QStringLiteral("Clear"));
        QCOMPARE(Child("picMain")->size(), QSize(113, 113));

        QVERIFY(!Check()->isChecked());
        QVERIFY(Check()->isEnabled());
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
        QVERIFY(MultiLinesAre(true, true, FieldColour::ButtonFace));
        QVERIFY(!PictureButtonsEnabled());
        QCOMPARE(editor->Locked(), true);
        QCOMPARE(editor->HasTag(), false);
        QCOMPARE(editor->saveTag(), false);
        QCOMPARE(editor->removeTag(), true);
        QVERIFY(!editor->ID3V2Tag().isValid());
        QVERIFY(!editor->property("ID3V2Tag").isValid());

        // The state rows by name.
        QVERIFY(editor->setProperty("Locked", false));
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
        QVERIFY(PictureButtonsEnabled());
        QVERIFY(editor->setProperty("Enabled", false));
        QCOMPARE(editor->property("Enabled").toBool(), false);
        QCOMPARE(editor->property("Locked").toBool(), false);
        QVERIFY(FieldsAre(false, false, FieldColour::Window));
        QVERIFY(MultiLinesAre(true, true, FieldColour::ButtonFace));
        QVERIFY(!PictureButtonsEnabled());
        editor->setFieldsEnabled(true);
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
        QVERIFY(MultiLinesAre(true, false, FieldColour::Window));
        QVERIFY(PictureButtonsEnabled());
    }

    void tickingCreatesANewTagAndTheFieldsGoIntoIt() {
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(Check()->isChecked());
        const auto created = editor->CurrentTag().value<ID3V230Ptr>();
        QVERIFY(created != nullptr);
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
        QVERIFY(PictureButtonsEnabled());
        QCOMPARE(editor->saveTag(), true);
        QCOMPARE(editor->removeTag(), false);
        QCOMPARE(editor->HasTag(), true);

        QTest::keyClicks(Box("txtTitle"), QStringLiteral("  Typed Title "));
        const QString longText(40000, QLatin1Char('x'));  // no box limits its length
        Box("txtEncodedBy")->insert(longText);
        QTest::keyClicks(Box("txtArtist"), QStringLiteral("Typed Artist"));
        QTest::keyClicks(Box("txtURL"), QStringLiteral("https://example.invalid/"));
        QTest::keyClicks(Box("txtTrack"), QStringLiteral("07"));
        QTest::keyClicks(Box("txtYear"), QStringLiteral("1999"));
        MultiLine("txtComment")->setFocus();
        QTest::keyClicks(MultiLine("txtComment"), QStringLiteral("one"));
        QTest::keyClick(MultiLine("txtComment"), Qt::Key_Return);
        QTest::keyClicks(MultiLine("txtComment"), QStringLiteral("two"));
        PickGenre(QStringLiteral("Rock"));
        QCOMPARE(LabelText("lblGenreByte"), QStringLiteral("17"));

        QVariant read = editor->ID3V2Tag();
        QCOMPARE(read.value<ID3V230Ptr>().get(), created.get());
        QVERIFY(read.value<ID3V2TagPtr>() == nullptr);
        QCOMPARE(created->Title(), std::string("Typed Title"));
        QCOMPARE(created->Artist(), std::string("Typed Artist"));
        QCOMPARE(created->UserURL(), std::string("https://example.invalid/"));
        QCOMPARE(created->EncodedBy(), longText.toStdString());
        QCOMPARE(created->Track(), std::string("7"));
        QCOMPARE(created->Year(), int16_t(1999));
        QCOMPARE(created->Comments(), std::string("one\ntwo"));
        QCOMPARE(created->Genre(), std::string("(17)Rock"));
        QCOMPARE(created->Picture(), korvel::PicturePtr());

        // Free genre text is stored alone; so is a genre name that is not
        // the name of the number shown.
        Retype(Combo()->lineEdit(), QStringLiteral("Space Rock 2"));
        QCOMPARE(LabelText("lblGenreByte"), QStringLiteral("17"));
        editor->ID3V2Tag();
        QCOMPARE(created->Genre(), std::string("Space Rock 2"));
        Retype(Combo()->lineEdit(), QStringLiteral("Pop"));
        editor->ID3V2Tag();
        QCOMPARE(created->Genre(), std::string("Pop"));
        Retype(Combo()->lineEdit(), QStringLiteral("Rock"));
        editor->ID3V2Tag();
        QCOMPARE(created->Genre(), std::string("(17)Rock"));

        // A year that is not a number leaves the new tag's year alone; an
        // empty track too.
        Retype(Box("txtYear"), QStringLiteral("later"));
        Retype(Box("txtTrack"), QString());
        editor->ID3V2Tag();
        QCOMPARE(created->Year(), int16_t(1999));
        QCOMPARE(created->Track(), std::string("7"));

        // A track that is not a number cannot go into the new tag.
        Retype(Box("txtTrack"), QStringLiteral("3/12"));
        try {
            editor->ID3V2Tag();
            QFAIL("no error for a track that is not a number");
        } catch (const korvel::KorvelException& error) {
            QCOMPARE(error.Number(), 13);
            QCOMPARE(error.Source(), std::string("ucID3v2xTag::ID3V2Tag()"));
        }

        // Unticking locks the fields and asks for removal; the tag stays.
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
        QVERIFY(!PictureButtonsEnabled());
        QCOMPARE(editor->removeTag(), true);
        QCOMPARE(editor->saveTag(), false);
        QCOMPARE(editor->CurrentTag().value<ID3V230Ptr>().get(), created.get());
        // Ticking again keeps the same new tag.
        QTest::mouseClick(Check(), Qt::LeftButton);
        QCOMPARE(editor->CurrentTag().value<ID3V230Ptr>().get(), created.get());

        // Handing nothing in forgets it.
        editor->setID3V2Tag(nullptr);
        QVERIFY(!editor->CurrentTag().isValid());
        QVERIFY(!Check()->isChecked());
        QCOMPARE(Box("txtTitle")->text(), QString());
        QCOMPARE(editor->removeTag(), true);
    }

    void editsAVersion23TagThroughItsFacade() {
        // With id3lib present a version 2.3 tag is shown editable.
        const Bytes apic = build::Concat(
            {{0}, build::B("image/bmp"), {0, 3, 0}, build::TinyBmp()});
        const Bytes tag = build::Tag(
            3, build::Concat({build::Frame23("TIT2", build::Latin1("Song Title")),
                              build::Frame23("TYER", build::Latin1("2001")),
                              build::Frame23("TRCK", build::Latin1("3/12")),
                              build::Frame23("TCON", build::Latin1("(17)Rock")),
                              build::Frame23("COMM", build::CommData("eng", "", "line one\nline two")),
                              build::Frame23("APIC", apic)}),
            0, 200);
        const std::string path = WriteMp3("v23.mp3", tag);
        ID3V2TagPtr facade = Open(path)->ID3V2Tag();
        editor->setID3V2Tag(facade);

        QVERIFY(Check()->isChecked());
        QVERIFY(Check()->isEnabled());
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
        QVERIFY(MultiLinesAre(true, false, FieldColour::Window));
        QVERIFY(PictureButtonsEnabled());
        QCOMPARE(editor->saveTag(), true);
        QCOMPARE(editor->removeTag(), false);
        QCOMPARE(LabelText("lblVersion"), QStringLiteral("ID3v2.3.0 Tag"));
        QCOMPARE(Box("txtYear")->text(), QStringLiteral("2001"));
        QCOMPARE(Box("txtTrack")->text(), QStringLiteral("3/12"));
        QCOMPARE(Combo()->currentText(), QStringLiteral("Rock"));
        QCOMPARE(LabelText("lblGenreByte"), QStringLiteral("17"));
        QCOMPARE(MultiLine("txtComment")->blockCount(), 2);
        QVERIFY(PictureShown());
        // Frames of the updatable tag carry description and language.
        const QList<QTreeWidgetItem*> comments =
            Frames()->findItems(QStringLiteral("COMM"), Qt::MatchExactly, 0);
        QCOMPARE(comments.size(), 1);
        QCOMPARE(comments.first()->text(1), QStringLiteral("line one \u00B6 line two"));
        QCOMPARE(comments.first()->text(3), QStringLiteral("eng"));

        // The user edits; the host reads the same object back, filled.
        Retype(Box("txtTitle"), QStringLiteral(" New Title  "));
        Retype(Box("txtTrack"), QStringLiteral("07"));
        PickGenre(QStringLiteral("Pop"));
        QCOMPARE(LabelText("lblGenreByte"), QStringLiteral("13"));
        MultiLine("txtComment")->setFocus();
        QTest::keyClick(MultiLine("txtComment"), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(MultiLine("txtComment"), Qt::Key_Return);
        QTest::keyClicks(MultiLine("txtComment"), QStringLiteral("line three"));
        QCOMPARE(editor->property("ID3V2Tag").value<ID3V2TagPtr>().get(), facade.get());
        QCOMPARE(facade->Title(), std::string("New Title"));
        QCOMPARE(facade->Track(), std::string("07"));  // the text, not a number
        QCOMPARE(facade->Genre(), std::string("(13)Pop"));
        QCOMPARE(facade->Comment(), std::string("line one\nline two\nline three"));
        QCOMPARE(facade->Year(), std::string("2001"));

        // A year that is not a number is stored as no year.
        Retype(Box("txtYear"), QStringLiteral("soon"));
        editor->ID3V2Tag();
        QVERIFY(facade->Year() != "2001");
        editor->setID3V2Tag(facade);
        QCOMPARE(Box("txtYear")->text(), QString());
        Retype(Box("txtYear"), QStringLiteral("1998"));

        // Saved and read again: the edits are in the file, the picture the
        // user left alone too.
        editor->ID3V2Tag();
        QVERIFY(facade->saveTag());
        editor->setID3V2Tag(Open(path)->ID3V2Tag());
        QCOMPARE(Box("txtTitle")->text(), QStringLiteral("New Title"));
        QCOMPARE(Box("txtYear")->text(), QStringLiteral("1998"));
        QCOMPARE(Combo()->currentText(), QStringLiteral("Pop"));
        QCOMPARE(MultiLine("txtComment")->toPlainText(),
                 QStringLiteral("line one\nline two\nline three"));
        QVERIFY(PictureShown());

        // Unticking asks for removal.
        QTest::mouseClick(Check(), Qt::LeftButton);
        QCOMPARE(editor->removeTag(), true);
        QCOMPARE(editor->saveTag(), false);
        QCOMPARE(editor->HasTag(), false);
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
    }

    void readOnlyTagsOfEveryVersion() {
        // Version 2.3 without id3lib, 2.4 and 2.2: shown, but not editable.
        struct Case {
            uint8_t version;
            bool withoutLibrary;
        };
        for (const Case& one : {Case{3, true}, Case{4, false}, Case{2, false}}) {
            const Bytes tag = build::Tag(one.version, CommonFrames(one.version), 0, 100);
            std::optional<build::WithoutID3Lib> absent;
            if (one.withoutLibrary) absent.emplace();
            auto file = Open(WriteMp3("v2" + std::to_string(one.version) + ".mp3", tag));
            ID3V2TagPtr facade = file->ID3V2Tag();
            QVERIFY(facade != nullptr);
            QVERIFY(editor->setProperty("ID3V2Tag", QVariant::fromValue(facade)));
            absent.reset();

            QVERIFY(Check()->isChecked());
            QVERIFY(!Check()->isEnabled());
            QVERIFY(FieldsAre(false, false, FieldColour::Window));
            QVERIFY(MultiLinesAre(true, true, FieldColour::ButtonFace));
            QVERIFY(!PictureButtonsEnabled());
            QCOMPARE(editor->HasTag(), true);
            QCOMPARE(editor->saveTag(), false);
            QCOMPARE(editor->removeTag(), false);
            QCOMPARE(LabelText("lblVersion"), QStringLiteral("ID3v2.%1.0 Tag").arg(one.version));
            QCOMPARE(LabelText("lblSize"), QStringLiteral("%1 Bytes").arg(tag.size()));
            QCOMPARE(Box("txtTitle")->text(), QStringLiteral("Song Title"));
            QCOMPARE(Box("txtArtist")->text(), QStringLiteral("Some Artist"));
            QCOMPARE(Box("txtTrack")->text(), QStringLiteral("3/12"));

            // Every frame is listed; a frame without text shows its size.
            QTreeWidget* list = Frames();
            QCOMPARE(list->topLevelItemCount(), 7);
            QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Song Title"));
            QTreeWidgetItem* binary = list->topLevelItem(6);
            QCOMPARE(binary->text(0), QString::fromLatin1(one.version == 2 ? "MCI" : "MCDI"));
            QCOMPARE(binary->text(1), QStringLiteral("Binary (1,234 Bytes)"));
            QCOMPARE(binary->text(2), QString());
            // Each column is as wide as its header and its texts.
            for (int column = 0; column < 4; ++column) {
                QVERIFY(list->header()->sectionSize(column) >=
                        list->header()->sectionSizeHint(column));
            }
            QVERIFY(list->header()->sectionSize(1) >
                    list->fontMetrics().horizontalAdvance(binary->text(1)));

            // Every version's comment reaches the editor.
            QCOMPARE(MultiLine("txtComment")->toPlainText(), QStringLiteral("first line\nsecond line"));

            // Reading hands back the same object.
            QCOMPARE(editor->ID3V2Tag().value<ID3V2TagPtr>().get(), facade.get());
        }
    }

    void multiLineTextsAndGenreOfAReadOnlyTag() {
        build::WithoutID3Lib absent;
        const Bytes tag = build::Tag(
            3, build::Concat({build::Frame23("TIT2", build::Latin1("Title")),
                              build::Frame23("TYER", build::Latin1("0")),
                              build::Frame23("TCON", build::Latin1("Rock")),
                              build::Frame23("COMM", build::CommData("eng", "", "first\nsecond\r\nthird")),
                              build::Frame23("USLT", build::CommData("eng", "", "la\nla")),
                              build::Frame23("TCOM", build::Text(0, build::B("Composer\0", 9)))}),
            0, 20);
        auto file = Open(WriteMp3("v23.mp3", tag));
        editor->setID3V2Tag(file->ID3V2Tag());
        QCOMPARE(Box("txtYear")->text(), QString());  // a year of 0 shows nothing
        QCOMPARE(Combo()->currentText(), QStringLiteral("Rock"));
        QCOMPARE(LabelText("lblGenreByte"), QString());
        // Bare line feeds and CR LF both break lines, one break each.
        QCOMPARE(MultiLine("txtComment")->blockCount(), 3);
        QCOMPARE(MultiLine("txtComment")->toPlainText(), QStringLiteral("first\nsecond\nthird"));
        QCOMPARE(MultiLine("txtLyrics")->blockCount(), 2);
        // A terminating zero is not shown.
        QCOMPARE(Box("txtComposer")->text(), QStringLiteral("Composer"));
    }

    void foreignObjectsAreRefused() {
        auto expectRefusal = [](auto&& action, const char* source) {
            try {
                action();
                QFAIL("no error for a foreign object");
            } catch (const korvel::KorvelException& error) {
                QCOMPARE(error.Number(), korvel::kLibraryErrorNumber);
                QCOMPARE(error.Source(), std::string(source));
                QCOMPARE(error.Description(), std::string("Invalid type of tag passed."));
            }
        };
        QTest::keyClicks(Box("txtTitle"), QStringLiteral("before"));
        // By name, the way a host reaches the control, the error comes through.
        expectRefusal(
            [this] { editor->setProperty("ID3V2Tag", QVariant::fromValue(QStringLiteral("tag"))); },
            "ucID3v2xTag::ID3V2Tag");
        QVERIFY(!Check()->isChecked());
        QVERIFY(!Check()->isEnabled());
        QCOMPARE(Box("txtTitle")->text(), QString());
        QCOMPARE(editor->CurrentTag().toString(), QStringLiteral("tag"));
        expectRefusal([this] { editor->property("ID3V2Tag"); }, "ucID3v2xTag::ID3V2Tag()");
        QCOMPARE(editor->removeTag(), false);

        // An updatable tag handed in is refused too, but held and filled.
        auto updatable = std::make_shared<korvel::ID3V230>();
        expectRefusal([&] { editor->setID3V2Tag(QVariant::fromValue(updatable)); },
                      "ucID3v2xTag::ID3V2Tag");
        editor->setLocked(false);
        QTest::keyClicks(Box("txtAlbum"), QStringLiteral("Album"));
        QCOMPARE(editor->ID3V2Tag().value<ID3V230Ptr>().get(), updatable.get());
        QCOMPARE(updatable->Album(), std::string("Album"));

        // Nothing, in any form, is no tag.
        for (const QVariant& nothing : {QVariant(), QVariant::fromValue(ID3V2TagPtr()),
                                        QVariant::fromValue(ID3V230Ptr()),
                                        QVariant::fromValue(nullptr)}) {
            editor->setID3V2Tag(nothing);
            QVERIFY(Check()->isEnabled());
            QVERIFY(!editor->ID3V2Tag().isValid());
        }
    }

    void pictureLoadAndClear() {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString png = QString::fromStdString(folder->File("cover.png"));
        QVERIFY(image.save(png, "PNG"));
        const QString notAnImage = QString::fromStdString(folder->File("notes.png"));
        build::WriteFile(notAnImage.toStdString(), std::string("not a picture"));

        QTest::mouseClick(Check(), Qt::LeftButton);
        const auto created = editor->CurrentTag().value<ID3V230Ptr>();
        const QStringList filters = LoadPicture(png);
        QCOMPARE(filters.size(), 1);
        for (const char* pattern : {"*.BMP", "*.JPG", "*.GIF", "*.PNG", "*.png"}) {
            QVERIFY(filters.first().contains(QString::fromLatin1(pattern)));
        }
        QVERIFY(PictureShown());
        editor->ID3V2Tag();
        QVERIFY(korvel::HasImage(created->Picture()));
        QCOMPARE(created->Picture()->Format(), korvel::PictureFormat::PNG);
        QCOMPARE(created->Picture()->Width(), 40);
        const intptr_t handle = created->Picture()->handle();

        // Cancelling and a file that holds no image change nothing.
        QVERIFY(!LoadPicture(QString()).isEmpty());
        QVERIFY(PictureShown());
        QVERIFY(!LoadPicture(notAnImage).isEmpty());
        QVERIFY(PictureShown());
        editor->ID3V2Tag();
        QCOMPARE(created->Picture()->handle(), handle);

        QTest::mouseClick(Child("cmdClearPicture"), Qt::LeftButton);
        QVERIFY(!PictureShown());
        editor->ID3V2Tag();
        QVERIFY(!korvel::HasImage(created->Picture()));
    }

    void arrangementAndPersistence() {
        QCOMPARE(editor->Mode(), v2aDefault);
        QCOMPARE(editor->FrameListVisible(), true);
        QVERIFY(!editor->PropertiesChanged());
        QWidget* top = Child("grpTop");
        QWidget* bottom = Child("grpBottom");
        QWidget* picture = Child("grpPicture");
        QWidget* list = Frames();
        auto checkDefault = [&] {
            QCOMPARE(bottom->x(), 0);
            QCOMPARE(bottom->y(), top->geometry().bottom() + 1);
            QCOMPARE(picture->x(), bottom->geometry().right() + 1);
            QCOMPARE(list->x(), 0);
            QCOMPARE(list->y(), bottom->geometry().bottom() + 1);
            QCOMPARE(list->width(), bottom->width());
        };
        checkDefault();
        editor->resize(editor->sizeHint());
        QCOMPARE(picture->geometry().right(), editor->width() - 1);
        QCOMPARE(editor->height(), list->y() + 49);  // 735 twips below the list's top

        QVERIFY(editor->setProperty("Mode", QVariant::fromValue(v2aWide)));
        QCOMPARE(editor->Mode(), v2aWide);
        QVERIFY(editor->IsPropertyChanged(QStringLiteral("V2A")));
        QCOMPARE(bottom->y(), top->y());
        QCOMPARE(bottom->x(), top->geometry().right() + 1 + 1);  // 20 twips
        QCOMPARE(picture->x(), bottom->geometry().right() + 1 + 1);
        QCOMPARE(list->y(),
                 std::max(top->geometry().bottom(), bottom->geometry().bottom()) + 1 + 1);
        QCOMPARE(list->width(), picture->x());

        // The picture panel and the list follow the control's size.
        editor->resize(editor->sizeHint() + QSize(100, 150));
        QCOMPARE(picture->geometry().right(), editor->width() - 1);
        QCOMPARE(picture->geometry().bottom(), editor->height() - 1);
        QCOMPARE(list->height(), editor->height() - list->y() - 3);  // 40 twips
        auto* tabs = Child<QTabWidget>("sstLyrics");
        QVERIFY(tabs->geometry().right() < picture->width());
        QVERIFY(tabs->geometry().bottom() < picture->height());
        QVERIFY(tabs->width() > 300);

        QVERIFY(editor->setProperty("FrameListVisible", false));
        QVERIFY(!list->isVisible());
        QVERIFY(editor->IsPropertyChanged(QStringLiteral("FRL")));

        MemoryPropertyBag bag;
        editor->WriteProperties(bag);
        QVERIFY(!editor->PropertiesChanged());
        QCOMPARE(bag.ReadProperty(QStringLiteral("V2A"), 0).toInt(), 1);
        QCOMPARE(bag.ReadProperty(QStringLiteral("FRL"), true).toBool(), false);

        ID3v2 restored;
        restored.ReadProperties(bag);
        QCOMPARE(restored.Mode(), v2aWide);
        QCOMPARE(restored.FrameListVisible(), false);
        QVERIFY(restored.findChild<QWidget*>(QStringLiteral("lvwFrames"))->isHidden());
        QVERIFY(!restored.PropertiesChanged());

        // Back to the defaults: nothing is kept in the bag.
        editor->setMode(v2aDefault);
        editor->setFrameListVisible(true);
        checkDefault();
        QVERIFY(list->isVisible());
        editor->WriteProperties(bag);
        QVERIFY(!bag.Contains(QStringLiteral("V2A")));
        QVERIFY(!bag.Contains(QStringLiteral("FRL")));
        restored.ReadProperties(bag);
        QCOMPARE(restored.Mode(), v2aDefault);
        QCOMPARE(restored.FrameListVisible(), true);
    }
};

QTEST_MAIN(ID3v2Test)
#include "ID3v2Test.moc"
