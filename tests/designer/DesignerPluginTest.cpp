// The Qt Designer plugin as Designer and QUiLoader see it: the collection
// and its four entries, and a form holding all four controls loaded through
// the built plugin with its design-time properties restored.
#include <memory>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QTest>
#include <QTreeWidget>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "controls/Dravena.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/Lyrics.h"
#include "ui_TagForm.h"

using namespace korvel::controls;

namespace {

const QStringList kClassNames = {
    QStringLiteral("korvel::controls::ID3v1"),
    QStringLiteral("korvel::controls::ID3v2"),
    QStringLiteral("korvel::controls::Lyrics"),
    QStringLiteral("korvel::controls::Dravena"),
};

// The widget element of a domXml text: its class, its name, whether it has a
// geometry, and its other properties as name -> the text of the value
// element. Empty class when the text is not well-formed or has no widget.
struct DomWidget {
    QString className;
    QString objectName;
    bool hasGeometry = false;
    QMap<QString, QString> properties;
    QString error;
};

DomWidget ParseDomXml(const QString& text) {
    DomWidget result;
    QXmlStreamReader xml(text);
    QString property;
    int depth = 0;
    int widgetDepth = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const QString element = xml.name().toString();
            if (element == QLatin1String("widget") && widgetDepth < 0) {
                widgetDepth = depth;
                result.className = xml.attributes().value(QLatin1String("class")).toString();
                result.objectName = xml.attributes().value(QLatin1String("name")).toString();
            } else if (element == QLatin1String("property") && depth == widgetDepth + 1) {
                property = xml.attributes().value(QLatin1String("name")).toString();
                if (property == QLatin1String("geometry")) result.hasGeometry = true;
            } else if (!property.isEmpty() && depth == widgetDepth + 2 &&
                       property != QLatin1String("geometry")) {
                result.properties.insert(property, xml.readElementText());
                --depth;
            }
        } else if (xml.isEndElement()) {
            if (depth == widgetDepth + 1) property.clear();
            --depth;
        }
    }
    if (xml.hasError()) {
        result.error = xml.errorString();
        result.className.clear();
    }
    return result;
}

// The controls' property flags as form editors read them.
QMetaProperty PropertyOf(const QMetaObject& meta, const char* name) {
    return meta.property(meta.indexOfProperty(name));
}

}  // namespace

class DesignerPluginTest : public QObject {
    Q_OBJECT

private slots:
    void collectionOffersTheFourControls();
    void designTimePropertiesAreStoredAndModeIsAnEnumeration();
    void formRestoresEveryControlAndItsProperties();
    void generatedFormSetsTheProperties();
};

void DesignerPluginTest::collectionOffersTheFourControls() {
    QPluginLoader loader(QStringLiteral(KORVEL_DESIGNER_PLUGIN));
    QObject* instance = loader.instance();
    QVERIFY2(instance != nullptr, qPrintable(loader.errorString()));
    QCOMPARE(loader.metaData().value(QLatin1String("IID")).toString(),
             QStringLiteral("org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface"));
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(instance);
    QVERIFY(collection != nullptr);

    const QList<QDesignerCustomWidgetInterface*> widgets = collection->customWidgets();
    QStringList names;
    for (QDesignerCustomWidgetInterface* widget : widgets) names.append(widget->name());
    QCOMPARE(names, kClassNames);

    QUiLoader uiLoader;
    uiLoader.clearPluginPaths();
    uiLoader.addPluginPath(QStringLiteral(KORVEL_DESIGNER_PLUGIN_DIR));
    for (QDesignerCustomWidgetInterface* widget : widgets) {
        const QString name = widget->name();
        QCOMPARE(widget->group(), QStringLiteral("KORVEL"));
        QVERIFY2(!widget->toolTip().isEmpty(), qPrintable(name));
        QVERIFY2(!widget->whatsThis().isEmpty(), qPrintable(name));
        QVERIFY(!widget->isContainer());
        // The header a generated form includes is one of the library's.
        QVERIFY2(QFileInfo::exists(QStringLiteral(KORVEL_LIB_DIR "/") + widget->includeFile()),
                 qPrintable(widget->includeFile()));

        widget->initialize(nullptr);
        QVERIFY(widget->isInitialized());
        std::unique_ptr<QWidget> created(widget->createWidget(nullptr));
        QVERIFY(created != nullptr);
        QCOMPARE(QString::fromLatin1(created->metaObject()->className()), name);

        // The entry Designer drops on a form: well-formed, naming the class,
        // with a default size and a usable object name.
        const DomWidget dom = ParseDomXml(widget->domXml());
        QVERIFY2(dom.error.isEmpty(), qPrintable(name + QStringLiteral(": ") + dom.error));
        QCOMPARE(dom.className, name);
        QVERIFY(!dom.objectName.isEmpty());
        QVERIFY(!dom.objectName.contains(QLatin1Char(':')));
        QVERIFY(dom.hasGeometry);

        // ... and loadable as a form of its own.
        QByteArray xml = widget->domXml().toUtf8();
        QBuffer buffer(&xml);
        std::unique_ptr<QWidget> loaded(uiLoader.load(&buffer));
        QVERIFY2(loaded != nullptr, qPrintable(uiLoader.errorString()));
        QCOMPARE(QString::fromLatin1(loaded->metaObject()->className()), name);
        QVERIFY(loaded->width() > 100 && loaded->height() > 30);
    }

    // The ID3v2 editor's entry carries its design-time properties with their
    // defaults, so that they are written to every form.
    const DomWidget v2 = ParseDomXml(widgets.at(1)->domXml());
    QCOMPARE(v2.properties.value(QStringLiteral("Mode")),
             QStringLiteral("korvel::controls::v2aDefault"));
    QCOMPARE(v2.properties.value(QStringLiteral("FrameListVisible")), QStringLiteral("true"));
    for (int i : {0, 2, 3}) QVERIFY(ParseDomXml(widgets.at(i)->domXml()).properties.isEmpty());
}

void DesignerPluginTest::designTimePropertiesAreStoredAndModeIsAnEnumeration() {
    const QMetaObject& v2 = ID3v2::staticMetaObject;
    for (const char* name : {"Mode", "FrameListVisible"}) {
        const QMetaProperty property = PropertyOf(v2, name);
        QVERIFY2(property.isValid() && property.isWritable(), name);
        QVERIFY2(property.isDesignable() && property.isStored(), name);
    }
    // Mode is an enumeration Designer can offer as a combo box and write by
    // name, qualified by its scope as in a .ui file.
    const QMetaProperty mode = PropertyOf(v2, "Mode");
    QVERIFY(mode.isEnumType());
    const QMetaEnum appearance = mode.enumerator();
    QCOMPARE(QString::fromLatin1(appearance.scope()), QStringLiteral("korvel::controls"));
    QCOMPARE(QString::fromLatin1(appearance.name()), QStringLiteral("EID3v2Apperance"));
    QCOMPARE(appearance.keyCount(), 2);
    bool ok = false;
    QCOMPARE(appearance.keyToValue("korvel::controls::v2aWide", &ok), int(v2aWide));
    QVERIFY(ok);
    QCOMPARE(appearance.keyToValue("v2aDefault", &ok), int(v2aDefault));
    QVERIFY(ok);
}

void DesignerPluginTest::formRestoresEveryControlAndItsProperties() {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QStringLiteral(KORVEL_DESIGNER_PLUGIN_DIR));
    const QStringList available = loader.availableWidgets();
    for (const QString& name : kClassNames) QVERIFY2(available.contains(name), qPrintable(name));

    QFile file(QStringLiteral(KORVEL_FORMS_DIR "/TagForm.ui"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(loader.load(&file));
    QVERIFY2(form != nullptr, qPrintable(loader.errorString()));
    QVERIFY2(loader.errorString().isEmpty(), qPrintable(loader.errorString()));

    // Every control is the library's own class, not a placeholder.
    auto* id3v1 = form->findChild<ID3v1*>(QStringLiteral("id3v1Editor"));
    auto* wide = form->findChild<ID3v2*>(QStringLiteral("wideEditor"));
    auto* plain = form->findChild<ID3v2*>(QStringLiteral("plainEditor"));
    auto* lyrics = form->findChild<Lyrics*>(QStringLiteral("lyricsViewer"));
    auto* identity = form->findChild<Dravena*>(QStringLiteral("identity"));
    QVERIFY(id3v1 && wide && plain && lyrics && identity);
    QCOMPARE(id3v1->geometry(), QRect(10, 10, 353, 220));
    QCOMPARE(identity->geometry(), QRect(10, 510, 260, 60));
    QVERIFY(identity->FileHandler() != nullptr);

    // The stored design-time properties are back, and applied.
    QCOMPARE(wide->Mode(), v2aWide);
    QCOMPARE(wide->FrameListVisible(), false);
    QVERIFY(wide->findChild<QTreeWidget*>(QStringLiteral("lvwFrames"))->isHidden());
    QCOMPARE(wide->property("Mode").toInt(), int(v2aWide));
    // Wide mode puts the second text panel beside the first, not below it.
    const QWidget* wideTop = wide->findChild<QWidget*>(QStringLiteral("grpTop"));
    const QWidget* wideBottom = wide->findChild<QWidget*>(QStringLiteral("grpBottom"));
    QCOMPARE(wideBottom->y(), wideTop->y());
    QVERIFY(wideBottom->x() > wideTop->x());

    // A control the form stores nothing for keeps the defaults.
    QCOMPARE(plain->Mode(), v2aDefault);
    QCOMPARE(plain->FrameListVisible(), true);
    QVERIFY(!plain->findChild<QTreeWidget*>(QStringLiteral("lvwFrames"))->isHidden());
    const QWidget* plainTop = plain->findChild<QWidget*>(QStringLiteral("grpTop"));
    const QWidget* plainBottom = plain->findChild<QWidget*>(QStringLiteral("grpBottom"));
    QVERIFY(plainBottom->y() > plainTop->y());
    QCOMPARE(plainBottom->x(), plainTop->x());
}

void DesignerPluginTest::generatedFormSetsTheProperties() {
    // The code uic generates from the same form creates the controls
    // directly and calls setMode and setFrameListVisible.
    QWidget form;
    Ui::TagForm ui;
    ui.setupUi(&form);
    QCOMPARE(ui.wideEditor->Mode(), v2aWide);
    QCOMPARE(ui.wideEditor->FrameListVisible(), false);
    QCOMPARE(ui.plainEditor->Mode(), v2aDefault);
    QCOMPARE(ui.plainEditor->FrameListVisible(), true);
    QCOMPARE(ui.identity->objectName(), QStringLiteral("identity"));
}

QTEST_MAIN(DesignerPluginTest)
#include "DesignerPluginTest.moc"
