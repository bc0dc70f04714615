// The Lyrics editor driven as a host and a user drive it.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <pugixml.hpp>

#include "WidgetTestSupport.h"
#include "controls/Lyrics.h"
#include "file/FileHandler.h"

using korvel::LyricsTagPtr;
using namespace korvel::controls;

namespace {

// A tag filled from its XML description; the lyrics break lines with "\n".
LyricsTagPtr MakeTag(int version, const char* lyrics) {
    pugi::xml_document doc;
    pugi::xml_node properties = doc.append_child("LyricsTag").append_child("Properties");
    auto add = [&](const char* name, const char* value) {
        pugi::xml_node property = properties.append_child("Property");
        property.append_attribute("Name") = name;
        property.append_attribute("Value") = value;
    };
    add("Version", std::to_string(version).c_str());
    add("Title", "A Title");
    add("Artist", "An Artist");
    add("Album", "An Album");
    add("Author", "An Author");
    if (lyrics != nullptr) add("Lyrics", lyrics);
    auto tag = std::make_shared<korvel::LyricsTag>();
    tag->CreateFromTag(doc.first_child());
    return tag;
}

const char* const kBoxes[] = {"txtTitle", "txtArtist", "txtAlbum", "txtAuthor"};

}  // namespace

class LyricsTest : public QObject {
    Q_OBJECT

    Lyrics* editor = nullptr;

    QLineEdit* Box(const char* name) const {
        return editor->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QPlainTextEdit* LyricsBox() const {
        return editor->findChild<QPlainTextEdit*>(QStringLiteral("txtLyrics"));
    }
    QCheckBox* Check() const { return editor->findChild<QCheckBox*>(QStringLiteral("chkLyrics")); }

    bool BoxesAre(bool enabled, bool readOnly, FieldColour colour) const {
        for (const char* name : kBoxes) {
            if (!test::FieldIsIn(Box(name), enabled, readOnly, colour)) return false;
        }
        return true;
    }
    bool LyricsBoxIs(bool enabled, bool readOnly, FieldColour colour) const {
        return test::FieldIsIn(LyricsBox(), enabled, readOnly, colour);
    }

private slots:
    void init() {
        editor = new Lyrics;
        editor->resize(editor->sizeHint());
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
    }
    void cleanup() {
        delete editor;
        editor = nullptr;
    }

    void startsWithNoTagAndLockedFields() {
        for (const char* name : kBoxes) QVERIFY(Box(name) != nullptr);
        QVERIFY(LyricsBox() != nullptr && Check() != nullptr);
        QVERIFY(BoxesAre(true, true, FieldColour::ButtonFace));
        QVERIFY(LyricsBoxIs(true, true, FieldColour::ButtonFace));
        QVERIFY(Check()->isEnabled() && !Check()->isChecked());
        QCOMPARE(editor->property("removeTag").toBool(), true);
        QCOMPARE(editor->property("HasTag").toBool(), false);
        QCOMPARE(editor->property("Locked").toBool(), true);
        QCOMPARE(editor->property("Enabled").toBool(), true);
    }

    void showsATagReadOnly() {
        LyricsTagPtr tag = MakeTag(korvel::lvcV200, "first line\nsecond line");
        QVERIFY(editor->setProperty("LyricsTag", QVariant::fromValue(tag)));
        QCOMPARE(Box("txtTitle")->text(), QStringLiteral("A Title"));
        QCOMPARE(Box("txtArtist")->text(), QStringLiteral("An Artist"));
        QCOMPARE(Box("txtAlbum")->text(), QStringLiteral("An Album"));
        QCOMPARE(Box("txtAuthor")->text(), QStringLiteral("An Author"));
        // The tag's CR LF line breaks show as lines.
        QCOMPARE(LyricsBox()->document()->blockCount(), 2);
        QCOMPARE(LyricsBox()->toPlainText(), QStringLiteral("first line\nsecond line"));

        QVERIFY(Check()->isChecked() && !Check()->isEnabled());
        QVERIFY(BoxesAre(false, false, FieldColour::Window));
        QVERIFY(LyricsBoxIs(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->property("Enabled").toBool(), false);
        QCOMPARE(editor->property("Locked").toBool(), false);
        QCOMPARE(editor->property("removeTag").toBool(), false);
        QCOMPARE(editor->property("HasTag").toBool(), true);
        QCOMPARE(editor->property("LyricsTag").value<LyricsTagPtr>().get(), tag.get());

        // The lyrics can be read and selected but not changed.
        LyricsBox()->setFocus();
        QTest::keyClicks(LyricsBox(), QStringLiteral("typed"));
        QCOMPARE(LyricsBox()->toPlainText(), QStringLiteral("first line\nsecond line"));
        QTest::mouseClick(Check(), Qt::LeftButton);  // disabled: no effect
        QVERIFY(Check()->isChecked());

        // A tag without lyrics text: an empty, read-only lyrics box.
        editor->setLyricsTag(MakeTag(korvel::lvcV200, nullptr));
        QCOMPARE(LyricsBox()->toPlainText(), QString());
        QVERIFY(LyricsBoxIs(true, true, FieldColour::ButtonFace));
        QVERIFY(Check()->isChecked() && !Check()->isEnabled());

        // Back to no tag: empty boxes, the box enabled and unticked, locked.
        editor->setProperty("LyricsTag", QVariant::fromValue(LyricsTagPtr()));
        QCOMPARE(Box("txtTitle")->text(), QString());
        QVERIFY(Check()->isEnabled() && !Check()->isChecked());
        QVERIFY(BoxesAre(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->removeTag(), true);
        QCOMPARE(editor->HasTag(), false);
    }

    void anEmptyTagObjectCountsAsNoTag() {
        // A file without a Lyrics3 tag still hands out a tag object.
        auto empty = std::make_shared<korvel::LyricsTag>();
        editor->setLyricsTag(empty);
        QVERIFY(Check()->isEnabled() && !Check()->isChecked());
        QCOMPARE(editor->HasTag(), false);
        QVERIFY(BoxesAre(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->LyricsTag().get(), empty.get());
    }

    void tickingWithoutATagUnlocksTheFields() {
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(editor->LyricsTag() != nullptr);
        QVERIFY(BoxesAre(true, false, FieldColour::Window));
        QVERIFY(LyricsBoxIs(true, false, FieldColour::Window));
        QCOMPARE(editor->HasTag(), true);
        QCOMPARE(editor->removeTag(), false);
        QTest::keyClicks(Box("txtAuthor"), QStringLiteral("me"));
        QCOMPARE(Box("txtAuthor")->text(), QStringLiteral("me"));
        QTest::mouseClick(Check(), Qt::LeftButton);
        QVERIFY(BoxesAre(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->removeTag(), true);
        QVERIFY(QMetaObject::invokeMethod(editor, "Clear"));
        QCOMPARE(Box("txtAuthor")->text(), QString());
    }

    void lockedAndEnabledRows() {
        editor->setProperty("Locked", false);
        QVERIFY(BoxesAre(true, false, FieldColour::Window));
        QVERIFY(LyricsBoxIs(true, false, FieldColour::Window));
        editor->setProperty("Enabled", true);
        QVERIFY(BoxesAre(true, false, FieldColour::Window));
        QCOMPARE(editor->Locked(), false);
        editor->setProperty("Locked", true);
        QVERIFY(LyricsBoxIs(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->Enabled(), true);
        editor->setProperty("Enabled", false);
        QVERIFY(BoxesAre(false, false, FieldColour::Window));
        QVERIFY(LyricsBoxIs(true, true, FieldColour::ButtonFace));
        QCOMPARE(editor->Locked(), false);
        QCOMPARE(editor->Enabled(), false);
    }

    void boxesFollowTheWidth() {
        editor->resize(500, 400);
        QTest::qWait(0);
        for (const char* name : kBoxes) {
            QCOMPARE(Box(name)->geometry().right() + 1, 500);
            QCOMPARE(Box(name)->x(), Box("txtTitle")->x());
        }
        QCOMPARE(LyricsBox()->geometry().right() + 1, 500);
        QCOMPARE(LyricsBox()->geometry().bottom() + 1, 400);
        const QPoint labelAt = editor->findChild<QWidget*>(QStringLiteral("lblLyrics"))->pos();
        editor->resize(420, 300);
        QTest::qWait(0);
        QCOMPARE(LyricsBox()->geometry().bottom() + 1, 300);
        QCOMPARE(editor->findChild<QWidget*>(QStringLiteral("lblLyrics"))->pos(), labelAt);
        QVERIFY(Box("txtAuthor")->geometry().bottom() < LyricsBox()->y());
    }

    void showsARealFile() {
        korvel::FileHandler file;
        if (!file.Create(test::CorpusPath("mutagen/apev2-lyricsv2.mp3").toStdString())) {
            QSKIP("corpus not available");
        }
        QVERIFY(file.HasLyricsTag());
        editor->setLyricsTag(file.LyricsTag());
        QCOMPARE(Box("txtTitle")->text(), QString::fromStdString(file.LyricsTag()->Title()));
        QVERIFY(!Box("txtTitle")->text().isEmpty());
        QVERIFY(editor->HasTag());
    }
};

QTEST_MAIN(LyricsTest)
#include "LyricsTest.moc"
