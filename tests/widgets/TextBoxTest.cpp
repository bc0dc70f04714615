// Edit commands on a line edit and the letter-case conversion.
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>

#include "WidgetTestSupport.h"
#include "controls/BatchString.h"
#include "controls/cTextBox.h"

using korvel::controls::BatchString;
using korvel::controls::cTextBox;

class TextBoxTest : public QObject {
    Q_OBJECT

private:
    static QString Convert(int32_t conversion, const QString& text) {
        BatchString converter;
        converter.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        converter.Initialize(text);
        converter.setConversion(conversion);
        return converter.Convert();
    }

private slots:
    void answersFollowSelectionAndReadOnlyState() {
        QLineEdit box;
        cTextBox commands;
        QVERIFY(!commands.CanSelectAll());  // no box yet
        commands.setTextBox(&box);
        QVERIFY(!commands.CanSelectAll());  // empty box
        box.setText(QStringLiteral("hello world"));
        QVERIFY(commands.CanSelectAll());
        QVERIFY(!commands.CanCut());
        QVERIFY(!commands.CanCopy());

        box.setSelection(0, 5);
        QVERIFY(!commands.CanSelectAll());  // part selected
        QVERIFY(commands.CanCut());
        QVERIFY(commands.CanCopy());
        commands.SelectAll();
        QCOMPARE(box.selectedText(), QStringLiteral("hello world"));
        QVERIFY(!commands.CanSelectAll());  // all selected

        box.setReadOnly(true);
        QVERIFY(!commands.CanCut());
        QVERIFY(commands.CanCopy());

        QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        QVERIFY(commands.CanPaste());  // the box is not consulted
        QGuiApplication::clipboard()->clear();
        QVERIFY(!commands.CanPaste());
        auto* image = new QMimeData;
        image->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
        QGuiApplication::clipboard()->setMimeData(image);
        QVERIFY(!commands.CanPaste());
    }

    void clipboardCommandsMoveText() {
        QLineEdit box;
        cTextBox commands;
        commands.setTextBox(&box);
        box.setText(QStringLiteral("Abbey Road"));
        box.setSelection(0, 6);
        commands.Cut();
        QCOMPARE(box.text(), QStringLiteral("Road"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Abbey "));
        box.setCursorPosition(4);
        commands.Paste();
        QCOMPARE(box.text(), QStringLiteral("RoadAbbey "));
        QVERIFY(commands.CanUndo());
        commands.Undo();
        QCOMPARE(box.text(), QStringLiteral("Road"));

        // A read-only box copies on Cut and ignores Paste.
        box.setReadOnly(true);
        box.setSelection(0, 2);
        commands.Cut();
        QCOMPARE(box.text(), QStringLiteral("Road"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Ro"));
        commands.Paste();
        QCOMPARE(box.text(), QStringLiteral("Road"));
    }

    void replaceAndDeleteActOnSelectionOnly() {
        QLineEdit box;
        cTextBox commands;
        commands.setTextBox(&box);
        box.setText(QStringLiteral("one two"));
        box.setCursorPosition(3);
        commands.ReplaceSelection(QStringLiteral("X"), true);
        commands.Delete(true);
        QCOMPARE(box.text(), QStringLiteral("one two"));  // nothing selected

        box.setSelection(4, 3);
        commands.ReplaceSelection(QStringLiteral("three"), true);
        QCOMPARE(box.text(), QStringLiteral("one three"));
        QVERIFY(commands.CanUndo());
        commands.Undo();
        QCOMPARE(box.text(), QStringLiteral("one two"));

        box.setSelection(0, 4);
        commands.ReplaceSelection(QStringLiteral("1 "), false);
        QCOMPARE(box.text(), QStringLiteral("1 two"));
        QCOMPARE(box.cursorPosition(), 2);
        QVERIFY(!commands.CanUndo());
        commands.Undo();  // nothing to undo: no change
        QCOMPARE(box.text(), QStringLiteral("1 two"));

        box.setSelection(1, 4);
        commands.Delete(true);
        QCOMPARE(box.text(), QStringLiteral("1"));
        QVERIFY(commands.CanUndo());
    }

    void storedFlagsAndRetargeting() {
        cTextBox commands;
        commands.setDisableContextMenu(true);
        QVERIFY(!commands.DisableContextMenu());  // no box yet: ignored
        QLineEdit first;
        QLineEdit second;
        commands.setTextBox(&first);
        commands.setDisableContextMenu(true);
        QVERIFY(commands.DisableContextMenu());
        second.setText(QStringLiteral("x"));
        commands.setTextBox(&second);
        QVERIFY(commands.CanSelectAll());
        {
            QLineEdit gone;
            commands.setTextBox(&gone);
        }
        QVERIFY(!commands.CanSelectAll());  // the box was destroyed
        commands.SelectAll();               // and commands do nothing
        QVERIFY(commands.TextBox() == nullptr);
    }

    void caseConversions() {
        QCOMPARE(Convert(1, QStringLiteral("Hello, wörld 9")), QStringLiteral("HELLO, WÖRLD 9"));
        QCOMPARE(Convert(2, QStringLiteral("HeLLo ÄÖÜ")), QStringLiteral("hello äöü"));
        QCOMPARE(Convert(3, QStringLiteral("o'brien-smith (live)")),
                 QStringLiteral("O'brien-smith (live)"));
        QCOMPARE(Convert(3, QStringLiteral("hELLO   wORLD")), QStringLiteral("Hello   World"));
        QCOMPARE(Convert(3, QStringLiteral(" lead")), QStringLiteral(" Lead"));
        QCOMPARE(Convert(3, QStringLiteral("a\tb-c.d/e")), QStringLiteral("A\tB-c.d/e"));
        QCOMPARE(Convert(3, QStringLiteral("x\ny\rz\vw\fv")), QStringLiteral("X\nY\rZ\vW\fV"));
        QString withNull = QStringLiteral("ab");
        withNull.insert(1, QChar(0));
        QCOMPARE(Convert(3, withNull).at(2), QLatin1Char('B'));
        // One character at a time: the length never changes.
        QCOMPARE(Convert(1, QStringLiteral("straße")), QStringLiteral("STRAßE"));
        QCOMPARE(Convert(1, QStringLiteral("ﬁ")).size(), 1);
        // Outside the basic plane.
        QCOMPARE(Convert(1, QStringLiteral("𐐨")), QStringLiteral("𐐀"));
        // No conversion chosen: the text unchanged; Convert does not change it.
        QCOMPARE(Convert(0, QStringLiteral("MiXed")), QStringLiteral("MiXed"));
        QCOMPARE(Convert(7, QStringLiteral("MiXed")), QStringLiteral("MiXed"));
        BatchString converter;
        converter.Initialize(QStringLiteral("abc"));
        converter.setConversion(1);
        QCOMPARE(converter.Convert(), converter.Convert());
        QCOMPARE(converter.Value(), QStringLiteral("abc"));
    }
};

QTEST_MAIN(TextBoxTest)
#include "TextBoxTest.moc"
