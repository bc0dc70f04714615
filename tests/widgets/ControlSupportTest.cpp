// The layer the controls share: geometry, field states, messages, failures
// inside event handlers, property bags, creation by name, and the identity
// control.
#include <stdexcept>

#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

#include "WidgetTestSupport.h"
#include "controls/Controls.h"
#include "controls/Dravena.h"
#include "controls/FieldState.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/PropertyBag.h"
#include "controls/QtMessages.h"
#include "controls/Twips.h"
#include "errors/KorvelException.h"
#include "id3v1/Genres.h"

using namespace korvel::controls;

class ControlSupportTest : public QObject {
    Q_OBJECT

private slots:
    void twipsToPixels() {
        QCOMPARE(TwipsToPixels(15), 1);
        QCOMPARE(TwipsToPixels(7), 0);
        QCOMPARE(TwipsToPixels(8), 1);
        QCOMPARE(TwipsToPixels(20), 1);
        QCOMPARE(TwipsToPixels(840), 56);
        QCOMPARE(TwipsToPixels(3645), 243);
        QCOMPARE(TwipsToPixels(-8), -1);
        QCOMPARE(TwipsRect(840, 360, 2775, 285), QRect(56, 24, 185, 19));
    }

    void fieldSetRows() {
        QWidget parent;
        auto* line = new QLineEdit(&parent);
        auto* text = new QPlainTextEdit(&parent);
        auto* combo = new GenreComboBox(&parent);
        FieldSet fields;
        for (QWidget* field : {static_cast<QWidget*>(line), static_cast<QWidget*>(text),
                               static_cast<QWidget*>(combo)}) {
            fields.Add(field);
        }
        const QColor button = parent.palette().color(QPalette::Button);
        const QColor window = parent.palette().color(QPalette::Base);
        QVERIFY(button != window);

        fields.Lock(true);
        QVERIFY(fields.EnabledFlag() && fields.LockedFlag());
        for (QWidget* field : {static_cast<QWidget*>(line), static_cast<QWidget*>(text),
                               static_cast<QWidget*>(combo)}) {
            QVERIFY(field->isEnabled());
            QVERIFY(IsFieldReadOnly(field));
            QCOMPARE(FieldColourOf(field), FieldColour::ButtonFace);
            QCOMPARE(field->palette().color(QPalette::Base), button);
        }
        QCOMPARE(combo->lineEdit()->palette().color(QPalette::Base), button);

        fields.Enable(false);
        QVERIFY(!fields.EnabledFlag() && !fields.LockedFlag());
        QVERIFY(!line->isEnabled() && !IsFieldReadOnly(line) && !IsFieldReadOnly(combo));
        QCOMPARE(FieldColourOf(text), FieldColour::Window);
        QCOMPARE(text->palette().color(QPalette::Active, QPalette::Base), window);

        fields.Lock(false);
        QVERIFY(line->isEnabled() && !IsFieldReadOnly(text));
        QVERIFY(fields.EnabledFlag() && !fields.LockedFlag());

        // A new palette of the surroundings reaches the fields on refresh.
        fields.Lock(true);
        QPalette other = parent.palette();
        other.setColor(QPalette::Button, Qt::darkCyan);
        parent.setPalette(other);
        fields.RefreshColours();
        QCOMPARE(line->palette().color(QPalette::Base), QColor(Qt::darkCyan));
        QCOMPARE(FieldColourOf(line), FieldColour::ButtonFace);
        QCOMPARE(FieldColourOf(&parent), FieldColour::Window);  // never given one
    }

    void genreComboBox() {
        GenreComboBox combo;
        combo.ShowText(QStringLiteral("free"));
        combo.FillGenres(korvel::Genres());
        QCOMPARE(combo.currentIndex(), -1);  // filling selects nothing
        QCOMPARE(combo.currentText(), QStringLiteral("free"));
        QCOMPARE(combo.GenreNumberAt(0), 0);
        QCOMPARE(combo.GenreNumberAt(-1), -1);
        QCOMPARE(combo.GenreNumberAt(combo.count()), -1);
        combo.ShowText(QStringLiteral("Rock"));
        QCOMPARE(combo.currentIndex(), 17);
        combo.ShowText(QStringLiteral("rock"));  // exact text only
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.currentText(), QStringLiteral("rock"));

        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.setCurrentIndex(17);
        combo.setReadOnly(true);
        QVERIFY(combo.lineEdit()->isReadOnly());
        QTest::keyClick(&combo, Qt::Key_Down);
        QTest::keyClick(&combo, Qt::Key_X);
        combo.showPopup();
        QCOMPARE(combo.currentIndex(), 17);
        QCOMPARE(combo.currentText(), QStringLiteral("Rock"));
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        combo.setReadOnly(false);
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(combo.currentIndex(), 18);
    }

    void messagesShowInAMessageBox() {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Tag Host"));
        const korvel::MessageHandler previous = InstallQtMessageHandler();
        test::BoxVisit plain;
        test::CloseNextMessageBox(&plain);
        korvel::ShowMessage("first\r\nsecond", korvel::MessageIcon::Exclamation);
        QVERIFY(plain.shown);
        QCOMPARE(plain.icon, QMessageBox::Warning);
        QCOMPARE(plain.title, QStringLiteral("Tag Host"));
        QCOMPARE(plain.text, QStringLiteral("first\nsecond"));

        test::BoxVisit titled;
        test::CloseNextMessageBox(&titled);
        korvel::ShowMessage("done", korvel::MessageIcon::Information, "Caption");
        QCOMPARE(titled.icon, QMessageBox::Information);
        QCOMPARE(titled.title, QStringLiteral("Caption"));

        test::BoxVisit failure;
        test::CloseNextMessageBox(&failure);
        RunGuarded([] { throw korvel::KorvelException("Some::Source", "It broke."); });
        QCOMPARE(failure.icon, QMessageBox::Critical);
        QVERIFY(failure.text.contains(QStringLiteral("Some::Source")));
        QVERIFY(failure.text.contains(QStringLiteral("It broke.")));
        QVERIFY(failure.text.contains(QString::number(korvel::kLibraryErrorNumber)));
        korvel::SetMessageHandler(previous);
    }

    void guardReportsEveryFailureOnce() {
        test::MessageCapture capture;
        bool ran = false;
        RunGuarded([&] { ran = true; });
        QVERIFY(ran);
        QVERIFY(capture.messages.empty());
        RunGuarded([] { throw std::runtime_error("plain failure"); });
        RunGuarded([] { throw 42; });
        QCOMPARE(capture.messages.size(), size_t(2));
        QCOMPARE(capture.messages[0].icon, korvel::MessageIcon::Critical);
        QVERIFY(capture.messages[0].text.find("plain failure") != std::string::npos);
        // A handler that fails itself does not let the failure out either.
        korvel::MessageHandler before = korvel::SetMessageHandler(
            [](const std::string&, korvel::MessageIcon, const std::string&) {
                throw std::runtime_error("handler broke");
            });
        RunGuarded([] { throw std::runtime_error("x"); });
        korvel::SetMessageHandler(before);
    }

    void propertyBags() {
        MemoryPropertyBag memory;
        QCOMPARE(memory.ReadProperty("V2A", 0).toInt(), 0);
        memory.WriteProperty("V2A", 1, 0);
        QCOMPARE(memory.ReadProperty("V2A", 0).toInt(), 1);
        memory.WriteProperty("V2A", 0, 0);  // the default is not kept
        QVERIFY(!memory.Contains("V2A"));

        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("host.ini"));
        {
            QSettings settings(path, QSettings::IniFormat);
            SettingsPropertyBag bag(settings, QStringLiteral("ucID3v2"));
            bag.WriteProperty("V2A", 1, 0);
            bag.WriteProperty("FRL", false, true);
            bag.WriteProperty("Other", true, true);
            QVERIFY(!settings.contains(QStringLiteral("ucID3v2/Other")));
        }
        QSettings settings(path, QSettings::IniFormat);
        SettingsPropertyBag bag(settings, QStringLiteral("ucID3v2"));
        const QVariant mode = bag.ReadProperty("V2A", 0);
        QCOMPARE(mode.metaType(), QMetaType::fromType<int>());
        QCOMPARE(mode.toInt(), 1);
        const QVariant visible = bag.ReadProperty("FRL", true);
        QCOMPARE(visible.metaType(), QMetaType::fromType<bool>());
        QCOMPARE(visible.toBool(), false);
        QCOMPARE(bag.ReadProperty("Missing", 7).toInt(), 7);
        bag.WriteProperty("V2A", 0, 0);
        QVERIFY(!settings.contains(QStringLiteral("ucID3v2/V2A")));
    }

    void controlsByName() {
        QCOMPARE(ControlNames(), QStringList({"KORVEL.ID3v1", "KORVEL.ID3v2", "KORVEL.Lyrics",
                                              "KORVEL.Dravena"}));
        QVERIFY(CreateControl(QStringLiteral("KORVEL.Unknown")) == nullptr);
        QScopedPointer<QWidget> control(CreateControl(QStringLiteral("KORVEL.ID3v1")));
        QVERIFY(qobject_cast<ID3v1*>(control.data()) != nullptr);
        // Members are reachable by name alone.
        QVERIFY(control->setProperty("Locked", false));
        QCOMPARE(control->property("Locked").toBool(), false);
        QVERIFY(control->metaObject()->indexOfProperty("VisibilityMode") >= 0);
        QVERIFY(control->setProperty("VisibilityMode", QStringLiteral("temEditMany")));
        QCOMPARE(control->property("VisibilityMode").toInt(), int(temEditMany));
        QVERIFY(QMetaType::fromName("korvel::ID3V1TagPtr").isValid());

        QScopedPointer<QWidget> v2(CreateControl(QStringLiteral("KORVEL.ID3v2")));
        QVERIFY(qobject_cast<ID3v2*>(v2.data()) != nullptr);
        QVERIFY(v2->setProperty("Mode", QStringLiteral("v2aWide")));
        QCOMPARE(v2->property("Mode").toInt(), int(v2aWide));
        QVERIFY(QMetaType::fromName("korvel::ID3V2TagPtr").isValid());
        QVERIFY(QMetaType::fromName("korvel::ID3V230Ptr").isValid());
    }

    void identityControl() {
        Dravena identity;
        korvel::FileHandlerPtr first = identity.FileHandler();
        QVERIFY(first != nullptr);
        QCOMPARE(identity.property("FileHandler").value<korvel::FileHandlerPtr>().get(),
                 first.get());
        QCOMPARE(identity.FileHandler().get(), first.get());
        QCOMPARE(first->FileName(), std::string());  // never opened by the control
        auto* company = identity.findChild<QLabel*>(QStringLiteral("lblManufacturer"));
        auto* product = identity.findChild<QLabel*>(QStringLiteral("lblCaption"));
        auto* copyright = identity.findChild<QLabel*>(QStringLiteral("lblCopyright"));
        QVERIFY(company && product && copyright);
        QCOMPARE(company->text(), QStringLiteral("Korvel Project"));
        QCOMPARE(product->text(), QStringLiteral("KORVEL"));
        QVERIFY(copyright->text().startsWith(QStringLiteral("Copyright")));
        QVERIFY(company->y() < product->y() && product->y() < copyright->y());

        identity.resize(identity.sizeHint());
        identity.show();
        QVERIFY(QTest::qWaitForWindowExposed(&identity));
        QCOMPARE(copyright->x(), 1);
        QVERIFY(copyright->width() >= copyright->sizeHint().width());
        identity.resize(300, identity.height());
        QCOMPARE(company->width(), 299);
        identity.resize(0, identity.height());  // narrower than the left edge
        QCOMPARE(company->width(), 0);

        // The file object lives on with whoever still holds it.
        auto* owned = new Dravena;
        std::weak_ptr<korvel::FileHandler> watch = owned->FileHandler();
        delete owned;
        QVERIFY(watch.expired());
    }
};

QTEST_MAIN(ControlSupportTest)
#include "ControlSupportTest.moc"
