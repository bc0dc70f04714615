// The ID3v1 editor driven as a user and a host drive it.
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "WidgetTestSupport.h"
#include "controls/ID3v1.h"
#include "file/FileHandler.h"
#include "errors/KorvelException.h"

using korvel::ID3V1Tag;
using korvel::ID3V1TagPtr;
using namespace korvel::controls;

namespace {

ID3V1TagPtr MakeTag(int type, int16_t track, uint8_t genre) {
    auto tag = std::make_shared<ID3V1Tag>();
    tag->setTitle("Song Title");
    tag->setArtist("Some Artist");
    tag->setAlbum("An Album");
    tag->setYear("1999");
    tag->setComment("a comment");
    tag->setTrack(track);
    tag->setGenre(genre);
    tag->setTagType(type);
    return tag;
}

const char* const kFields[] = {"txtTitle", "txtArtist", "txtAlbum", "txtYear",
                               "cmbGenre", "txtTrack",  "txtComment"};

}  // namespace

class ID3v1Test : public QObject {
    Q_OBJECT

    ID3v1* editor = nullptr;

    template <typename T = QWidget>
    T* Child(const char* name) const { return test::ChildOf<T>(editor, name); }
    QLineEdit* Box(const char* name) const { return Child<QLineEdit>(name); }
    GenreComboBox* Combo() const { return Child<GenreComboBox>("cmbGenre"); }
    QCheckBox* Check() const { return Child<QCheckBox>("chkID3v1"); }
    QString GenreByte() const { return Child<QLabel>("lblGenreByte")->text(); }

    // Every field in the state given: enabled, read-only and colour.
    bool FieldsAre(bool enabled, bool readOnly, FieldColour colour) const {
        for (const char* name : kFields) {
            if (!test::FieldIsIn(Child(name), enabled, readOnly, colour)) return false;
        }
        return true;
    }

    QString ChooseInMenu(const char* box, const QString& item, test::MenuVisit* visit = nullptr) {
        test::MenuVisit local;
        test::VisitNextPopup(visit ? visit : &local, item);
        test::RightClick(Box(box));
        return Box(box)->text();
    }

private slots:
    void init() {
        editor = new ID3v1;
        editor->show();
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
    }
    void cleanup() {
        delete editor;
        editor = nullptr;
    }

    void startsEmptyLockedAndUnchecked() {
        for (const char* name : kFields) QVERIFY(editor->findChild<QWidget*>(name) != nullptr);
        for (const char* name : {"chkID3v1", "lblGenreByte", "cmdPrevious", "cmdNext"}) {
            QVERIFY(editor->findChild<QWidget*>(name) != nullptr);
        }
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
        QCOMPARE(Box("txtTitle")->palette().color(QPalette::Base),
                 editor->palette().color(QPalette::Button));
        QVERIFY(!Check()->isChecked());
        QCOMPARE(GenreByte(), QStringLiteral("255"));
        QCOMPARE(Combo()->currentIndex(), -1);
        QCOMPARE(Combo()->currentText(), QString());
        QCOMPARE(Combo()->count(), 149);
        QCOMPARE(Combo()->itemText(17), QStringLiteral("Rock"));
        QCOMPARE(Combo()->GenreNumberAt(17), 17);
        QCOMPARE(Combo()->GenreNumberAt(148), 255);
        QCOMPARE(editor->property("HasTag").toBool(), false);
        QCOMPARE(editor->property("saveTag").toBool(), false);
        QCOMPARE(editor->property("removeTag").toBool(), true);
        QCOMPARE(editor->property("Locked").toBool(), true);
        QCOMPARE(editor->property("TagCount").toInt(), 0);
        // Locked fields show the button face, which reads as the many mode.
        QCOMPARE(editor->VisibilityMode(), temEditMany);
        QVERIFY(!editor->ID3v1xTag());
        QVERIFY(!editor->property("ID3v1xTag").value<ID3V1TagPtr>());
    }

    void childGeometryFollowsTheTwipPositions() {
        // Rows are 360 twips (24 px) apart at least; the boxes of one column
        // share their left edge; nothing overlaps.
        QWidget* title = Box("txtTitle");
        QVERIFY(title->x() >= 56);
        QCOMPARE(title->width(), Box("txtComment")->width());
        QCOMPARE(Box("txtYear")->x(), title->x());
        QCOMPARE(Box("txtTrack")->x(), title->x());
        QVERIFY(Box("txtArtist")->y() - title->y() >= 24);
        QCOMPARE(Combo()->y(), Box("txtYear")->y());
        QCOMPARE(Child("lblGenreByte")->x(), Combo()->x());
        QCOMPARE(Child("lblGenreByte")->y(), Box("txtTrack")->y());
        QList<QWidget*> children = editor->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : children) {
            for (QWidget* b : children) {
                if (a != b && a->isVisible() && b->isVisible()) {
                    QVERIFY2(!a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + QStringLiteral(" overlaps ") +
                                        b->objectName()));
                }
            }
        }
        for (QLabel* label : editor->findChildren<QLabel*>()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
        QVERIFY(editor->sizeHint().width() >= 243);
        QVERIFY(editor->sizeHint().height() >= 140);
    }

    void showsAnID3v11TagAndHandsTheSameObjectBack() {
        ID3V1TagPtr tag = MakeTag(korvel::ID3V11, 5, 17);
        QVERIFY(editor->setProperty("ID3v1xTag", QVariant::fromValue(tag)));
        QCOMPARE(Box("txtTitle")->text(), QStringLiteral("Song Title"));
        QCOMPARE(editor->property("Artist").toString(), QStringLiteral("Some Artist"));
        QCOMPARE(Box("txtTrack")->text(), QStringLiteral("05"));
        QCOMPARE(Combo()->currentText(), QStringLiteral("Rock"));
        QCOMPARE(GenreByte(), QStringLiteral("17"));
        QCOMPARE(editor->property("Genre").toInt(), 17);
        QCOMPARE(editor->property("Track").toInt(), 5);
        QVERIFY(Check()->isChecked());
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
        QCOMPARE(editor->property("saveTag").toBool(), true);
        QCOMPARE(editor->property("removeTag").toBool(), false);
        // Filled while locked: every box whose text changed counts as changed.
        QVERIFY(editor->TitleChanged() && editor->ArtistChanged() && editor->AlbumChanged());
        QVERIFY(editor->YearChanged() && editor->TrackChanged() && editor->CommentChanged());
        QVERIFY(!editor->GenreChanged());

        // The user edits: retypes the title and the track, picks another genre.
        Box("txtTitle")->selectAll();
        QTest::keyClicks(Box("txtTitle"), QStringLiteral("New Title"));
        Box("txtTrack")->clear();
        QTest::keyClicks(Box("txtTrack"), QStringLiteral("7"));
        Combo()->setFocus();
        QTest::keyClick(Combo(), Qt::Key_Down);
        QCOMPARE(Combo()->currentText(), QStringLiteral("Techno"));
        QCOMPARE(GenreByte(), QStringLiteral("18"));
        QCOMPARE(tag->Title(), std::string("Song Title"));  // not written yet

        ID3V1TagPtr back = editor->property("ID3v1xTag").value<ID3V1TagPtr>();
        QCOMPARE(back.get(), tag.get());
        QCOMPARE(tag->Title(), std::string("New Title"));
        QCOMPARE(tag->Track(), int16_t(7));
        QCOMPARE(tag->Genre(), uint8_t(18));
        QCOMPARE(tag->TagType(), korvel::ID3V11);

        // Track 0, an empty box and text that is no number all mean ID3v1.
        for (const QString& track : {QStringLiteral("0"), QString(), QStringLiteral("x")}) {
            Box("txtTrack")->setText(track);
            editor->ID3v1xTag();
            QCOMPARE(tag->Track(), int16_t(0));
            QCOMPARE(tag->TagType(), korvel::ID3v1);
        }
        // Three digits survive the round trip.
        tag->setTrack(201);
        tag->setTagType(korvel::ID3V11);
        editor->setID3v1xTag(tag);
        QCOMPARE(Box("txtTrack")->text(), QStringLiteral("201"));
        editor->ID3v1xTag();
        QCOMPARE(tag->Track(), int16_t(201));
    }

    void trackAndGenreEdgeCases() {
        // An ID3v1 tag shows no track and hands back track 0.
        ID3V1TagPtr tag = MakeTag(korvel::ID3v1, 7, 200);
        editor->setID3v1xTag(tag);
        QCOMPARE(Box("txtTrack")->text(), QString());
        QCOMPARE(Combo()->currentText(), QStringLiteral("<Not defined (200)>"));
        QCOMPARE(Combo()->currentIndex(), -1);
        QCOMPARE(GenreByte(), QStringLiteral("200"));
        editor->ID3v1xTag();
        QCOMPARE(tag->Track(), int16_t(0));
        QCOMPARE(tag->TagType(), korvel::ID3v1);
        QCOMPARE(tag->Genre(), uint8_t(200));

        // Reading Track: numeric text converts, other text is a type mismatch.
        Box("txtTrack")->setText(QStringLiteral(" 12"));
        QCOMPARE(editor->Track(), int16_t(12));
        Box("txtTrack")->setText(QStringLiteral("1a"));
        try {
            editor->property("Track");
            QFAIL("no exception");
        } catch (const korvel::KorvelException& e) {
            QCOMPARE(e.Number(), 13);
        }
        // Writing the field properties stores into the tag, not the boxes.
        editor->setProperty("Album", QStringLiteral("Other"));
        editor->setProperty("Genre", 3);
        editor->setProperty("Track", 9);
        QCOMPARE(tag->Album(), std::string("Other"));
        QCOMPARE(tag->Genre(), uint8_t(3));
        QCOMPARE(tag->Track(), int16_t(9));
        QCOMPARE(Box("txtAlbum")->text(), QStringLiteral("An Album"));
        QVERIFY_THROWS_EXCEPTION(korvel::KorvelException, editor->setGenre(256));
    }

    void writingFieldsWithoutATagIsAnError() {
        for (const char* name : {"Title", "Artist", "Album", "Year", "Comment", "Track", "Genre"}) {
            try {
                editor->setProperty(name, name == std::string("Track") || name == std::string("Genre")
                                              ? QVariant(1)
                                              : QVariant(QStringLiteral("x")));
                QFAIL(name);
            } catch (const korvel::KorvelException& e) {
                QCOMPARE(e.Number(), 91);
                QCOMPARE(QString::fromStdString(e.Source()), QStringLiteral("ID3v1::") + name);
            }
        }
    }

    void checkBoxMarksTagForSavingOrRemoval() {
        // A file with a tag: unticking asks for removal and locks the fields.
        editor->setID3v1xTag(MakeTag(korvel::ID3V11, 1, 0));
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(!Check()->isChecked());
        QCOMPARE(editor->removeTag(), true);
        QCOMPARE(editor->saveTag(), false);
        QCOMPARE(editor->HasTag(), false);
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
        QTest::mouseClick(Check(), Qt::LeftButton);
        QCOMPARE(editor->saveTag(), true);
        QVERIFY(FieldsAre(true, false, FieldColour::Window));

        // A file without a tag: the host hands an empty tag; nothing to
        // remove; ticking unlocks the fields and asks to write.
        korvel::FileHandler file;
        ID3V1TagPtr none = file.ID3v1xTag();
        QCOMPARE(none->TagType(), korvel::ID3Unknown);
        editor->setID3v1xTag(none);
        QVERIFY(!Check()->isChecked());
        QCOMPARE(Box("txtArtist")->text(), QString());  // nothing of the tag before
        QCOMPARE(GenreByte(), QStringLiteral("255"));
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->removeTag(), false);
        QCOMPARE(editor->saveTag(), false);
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
        QCOMPARE(editor->saveTag(), true);
        QTest::keyClicks(Box("txtArtist"), QStringLiteral("Typed"));
        QCOMPARE(editor->ID3v1xTag().get(), none.get());
        QCOMPARE(none->Artist(), std::string("Typed"));
        QCOMPARE(none->TagType(), korvel::ID3v1);

        // No tag object at all: ticking creates one.
        editor->setID3v1xTag(nullptr);
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(editor->CurrentTag() != nullptr);
        QCOMPARE(editor->saveTag(), true);

        // The whole control disabled by its host: the box is not enabled.
        editor->setEnabled(false);
        QCOMPARE(editor->saveTag(), true);  // the box's own state decides
        editor->setEnabled(true);
    }

    void lockedAndEnabledRows() {
        editor->setID3v1xTag(MakeTag(korvel::ID3V11, 3, 17));
        editor->setProperty("Enabled", false);
        QVERIFY(FieldsAre(false, false, FieldColour::Window));
        QCOMPARE(editor->property("Enabled").toBool(), false);
        QCOMPARE(editor->property("Locked").toBool(), false);
        QVERIFY(Check()->isEnabled() && Check()->isChecked());  // untouched
        // Disabled fields do not count changes.
        editor->setVisibilityMode(temEditMany);
        QVERIFY(!editor->TitleChanged());

        editor->setProperty("Locked", true);
        QVERIFY(FieldsAre(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->property("Enabled").toBool(), true);
        QCOMPARE(editor->property("Locked").toBool(), true);
        QVERIFY(Check()->isChecked());
        // Typing into a locked box does nothing; the locked combo keeps its genre.
        QTest::keyClicks(Box("txtYear"), QStringLiteral("12"));
        QCOMPARE(Box("txtYear")->text(), QString());
        Combo()->setFocus();
        QTest::keyClick(Combo(), Qt::Key_Down);
        QCOMPARE(GenreByte(), QStringLiteral("255"));

        editor->setProperty("Locked", false);
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
    }

    void manyModeEmptiesFieldsAndTracksChanges() {
        editor->setID3v1xTag(MakeTag(korvel::ID3V11, 4, 17));
        Box("txtComment")->clear();
        QVERIFY(editor->setProperty("VisibilityMode", QVariant::fromValue(temEditMany)));
        for (const char* name : {"txtTitle", "txtArtist", "txtAlbum", "txtYear", "txtTrack",
                                 "txtComment"}) {
            QCOMPARE(Box(name)->text(), QString());
        }
        // Boxes that held text went back to the window colour, flagged as
        // changed by their emptying; the empty comment box stayed untouched.
        QCOMPARE(FieldColourOf(Box("txtTitle")), FieldColour::Window);
        QVERIFY(editor->TitleChanged());
        QCOMPARE(FieldColourOf(Box("txtComment")), FieldColour::ButtonFace);
        QVERIFY(!editor->CommentChanged());
        QCOMPARE(FieldColourOf(Combo()), FieldColour::ButtonFace);
        QCOMPARE(Combo()->currentText(), QStringLiteral("<Undefined>"));
        QCOMPARE(GenreByte(), QStringLiteral("255"));
        QCOMPARE(editor->property("VisibilityMode").toInt(), int(temEditSingle));  // artist white

        // Typing into an untouched box and choosing a genre mark them changed.
        QTest::keyClicks(Box("txtComment"), QStringLiteral("common"));
        QCOMPARE(FieldColourOf(Box("txtComment")), FieldColour::Window);
        QVERIFY(editor->CommentChanged());
        Combo()->setFocus();
        QTest::keyClick(Combo(), Qt::Key_Up);
        QCOMPARE(GenreByte(), QStringLiteral("147"));
        QVERIFY(editor->GenreChanged());
        QCOMPARE(FieldColourOf(Combo()), FieldColour::Window);

        // Back to one tag: flags reset, the tag shown again.
        editor->setVisibilityMode(temEditSingle);
        QVERIFY(!editor->TitleChanged() && !editor->GenreChanged() && !editor->CommentChanged());
        QCOMPARE(Box("txtTitle")->text(), QStringLiteral("Song Title"));
        QCOMPARE(GenreByte(), QStringLiteral("17"));
        QVERIFY(FieldsAre(true, false, FieldColour::Window));
    }

    void formatMenuConvertsCase() {
        ID3V1TagPtr tag = MakeTag(korvel::ID3V11, 1, 17);
        tag->setTitle("  abc ");
        tag->setArtist("o'brien-smith (live)");
        tag->setAlbum("hELLO   wORLD");
        editor->setID3v1xTag(tag);

        test::MenuVisit visit;
        QCOMPARE(ChooseInMenu("txtTitle", QStringLiteral("mnuFormatUpperCase"), &visit),
                 QStringLiteral("ABC"));
        QVERIFY(visit.shown);
        QCOMPARE(visit.items,
                 QStringList({"mnuEditUndo", "-", "mnuEditCut", "mnuEditCopy", "mnuEditPaste",
                              "mnuEditDelete", "-", "mnuEditSelectAll", "-",
                              "mnuFormatFirstLetter", "mnuFormatUpperCase",
                              "mnuFormatLowerCase", "-", "mnuCancel"}));
        QCOMPARE(editor->focusWidget(), Box("txtTitle"));
        QCOMPARE(ChooseInMenu("txtArtist", QStringLiteral("mnuFormatFirstLetter")),
                 QStringLiteral("O'brien-smith (live)"));
        QCOMPARE(ChooseInMenu("txtAlbum", QStringLiteral("mnuFormatFirstLetter")),
                 QStringLiteral("Hello   World"));
        QCOMPARE(ChooseInMenu("txtAlbum", QStringLiteral("mnuFormatLowerCase")),
                 QStringLiteral("hello   world"));
        // Cancel, or a click beside the menu (Escape), leave the text alone.
        QCOMPARE(ChooseInMenu("txtAlbum", QStringLiteral("mnuCancel")),
                 QStringLiteral("hello   world"));
        QCOMPARE(ChooseInMenu("txtAlbum", QString()), QStringLiteral("hello   world"));
        editor->ID3v1xTag();
        QCOMPARE(tag->Title(), std::string("ABC"));
        QCOMPARE(tag->Album(), std::string("hello   world"));

        // An empty (or blank) box greys the three format items.
        Box("txtComment")->setText(QStringLiteral("   "));
        test::MenuVisit blank;
        QCOMPARE(ChooseInMenu("txtComment", QStringLiteral("mnuFormatUpperCase"), &blank),
                 QStringLiteral("   "));
        QVERIFY(!blank.enabled["mnuFormatFirstLetter"] && !blank.enabled["mnuFormatUpperCase"] &&
                !blank.enabled["mnuFormatLowerCase"]);

        // The boxes' own context menu stays away (a platform context-menu
        // event is ignored by the four boxes).
        test::MenuVisit own;
        test::VisitNextPopup(&own, QString(), 10);
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  Box("txtTitle")->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(Box("txtTitle"), &request);
        QTest::qWait(100);
        QVERIFY(!own.shown);

        // Year and track have no format menu.
        test::MenuVisit none;
        test::VisitNextPopup(&none, QString(), 10);
        test::RightClick(Box("txtYear"));
        QTest::qWait(150);
        QVERIFY(!none.shown);
    }

    void formatMenuEditCommands() {
        editor->setID3v1xTag(MakeTag(korvel::ID3V11, 1, 17));
        QLineEdit* title = Box("txtTitle");

        // Nothing selected, nothing to undo.
        test::MenuVisit first;
        QGuiApplication::clipboard()->clear();
        ChooseInMenu("txtTitle", QString(), &first);
        QVERIFY(!first.enabled["mnuEditUndo"] && !first.enabled["mnuEditCut"] &&
                !first.enabled["mnuEditCopy"] && !first.enabled["mnuEditDelete"] &&
                !first.enabled["mnuEditPaste"]);
        QVERIFY(first.enabled["mnuEditSelectAll"] && first.enabled["mnuFormatUpperCase"] &&
                first.enabled["mnuCancel"]);

        // Select All, then Copy, then Delete, then Undo, then Paste.
        ChooseInMenu("txtTitle", QStringLiteral("mnuEditSelectAll"));
        QCOMPARE(title->selectedText(), QStringLiteral("Song Title"));
        test::MenuVisit selected;
        ChooseInMenu("txtTitle", QStringLiteral("mnuEditCopy"), &selected);
        QVERIFY(selected.enabled["mnuEditCut"] && selected.enabled["mnuEditDelete"] &&
                !selected.enabled["mnuEditSelectAll"]);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Song Title"));
        QCOMPARE(ChooseInMenu("txtTitle", QStringLiteral("mnuEditDelete")), QString());
        test::MenuVisit afterDelete;
        QCOMPARE(ChooseInMenu("txtTitle", QStringLiteral("mnuEditUndo"), &afterDelete),
                 QStringLiteral("Song Title"));
        QVERIFY(afterDelete.enabled["mnuEditUndo"] && afterDelete.enabled["mnuEditPaste"]);
        title->setSelection(0, 5);
        QCOMPARE(ChooseInMenu("txtTitle", QStringLiteral("mnuEditCut")), QStringLiteral("Title"));
        title->setCursorPosition(5);
        QCOMPARE(ChooseInMenu("txtTitle", QStringLiteral("mnuEditPaste")),
                 QStringLiteral("TitleSong "));

        // A locked box: Cut and Delete greyed, Copy and Paste offered, and the
        // case conversions greyed because the box may not change.
        editor->setLocked(true);
        title->selectAll();
        test::MenuVisit locked;
        QCOMPARE(ChooseInMenu("txtTitle", QStringLiteral("mnuEditPaste"), &locked),
                 QStringLiteral("TitleSong "));
        QVERIFY(!locked.enabled["mnuEditCut"] && !locked.enabled["mnuEditDelete"]);
        QVERIFY(locked.enabled["mnuEditCopy"] && locked.enabled["mnuEditPaste"]);
        QVERIFY(!locked.enabled["mnuFormatUpperCase"]);

        // A disabled box offers no menu.
        editor->setFieldsEnabled(false);
        test::MenuVisit disabled;
        test::VisitNextPopup(&disabled, QString(), 10);
        test::RightClick(title);
        QTest::qWait(150);
        QVERIFY(!disabled.shown);
    }

    void tagListNavigation() {
        ID3V1TagPtr first = MakeTag(korvel::ID3V11, 1, 1);
        ID3V1TagPtr second = MakeTag(korvel::ID3V11, 2, 2);
        second->setTitle("Second");
        QCOMPARE(editor->AddTag(first), 1);
        int count = 0;
        QVERIFY(QMetaObject::invokeMethod(editor, "AddTag", Q_RETURN_ARG(int, count),
                                          Q_ARG(korvel::ID3V1TagPtr, second)));
        QCOMPARE(count, 2);
        QCOMPARE(editor->AddTag(nullptr), 2);
        QCOMPARE(editor->property("TagCount").toInt(), 2);

        auto* previous = Child<QToolButton>("cmdPrevious");
        auto* next = Child<QToolButton>("cmdNext");
        QTest::mouseClick(previous, Qt::LeftButton);  // nothing before index 1
        QCOMPARE(editor->TagIndex(), 0);
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(editor->CurrentTag().get(), first.get());
        QCOMPARE(Box("txtTitle")->text(), QStringLiteral("Song Title"));
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(Box("txtTitle")->text(), QStringLiteral("Second"));
        QTest::mouseClick(next, Qt::LeftButton);  // the last one stays
        QCOMPARE(editor->TagIndex(), 2);
        QTest::mouseClick(previous, Qt::LeftButton);
        QTest::mouseClick(previous, Qt::LeftButton);
        QCOMPARE(editor->TagIndex(), 1);
        QCOMPARE(GenreByte(), QStringLiteral("1"));

        QVERIFY(QMetaObject::invokeMethod(editor, "Clear"));
        QCOMPARE(editor->TagCount(), 0);
        QCOMPARE(editor->TagIndex(), 0);
        QVERIFY(!editor->CurrentTag());
        QCOMPARE(Box("txtTitle")->text(), QString());
        QCOMPARE(Combo()->currentIndex(), -1);
        QCOMPARE(GenreByte(), QStringLiteral("1"));  // Clear leaves the number
        QVERIFY(Check()->isChecked());               // and the check box
    }

    void showsARealFile() {
        korvel::FileHandler file;
        if (!file.Create(test::CorpusPath("mutagen/silence-44-s-v1.mp3").toStdString())) {
            QSKIP("corpus not available");
        }
        editor->setID3v1xTag(file.ID3v1xTag());
        QCOMPARE(Box("txtTitle")->text(), QString::fromStdString(file.ID3v1xTag()->Title()));
        QVERIFY(!Box("txtTitle")->text().isEmpty());
        QCOMPARE(GenreByte(), QString::number(file.ID3v1xTag()->Genre()));
        QVERIFY(editor->saveTag());
    }
};

QTEST_MAIN(ID3v1Test)
#include "ID3v1Test.moc"
