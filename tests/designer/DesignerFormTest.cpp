// The plugin inside Qt Designer's own form editor (the library Designer and
// Qt Creator are built on), found through QT_PLUGIN_PATH as a user would set
// it: the property editor offers exactly the design-time properties, and the
// form Designer writes stores them so that QUiLoader restores them.
#include <memory>

#include <QBuffer>
#include <QFile>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QTest>
#include <QUiLoader>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerWidgetBoxInterface>
#include <QtDesigner/QDesignerWidgetDataBaseInterface>
#include <QtDesigner/QExtensionManager>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

#include "controls/ID3v2.h"

using namespace korvel::controls;

namespace {

const QStringList kClassNames = {
    QStringLiteral("korvel::controls::ID3v1"),
    QStringLiteral("korvel::controls::ID3v2"),
    QStringLiteral("korvel::controls::Lyrics"),
    QStringLiteral("korvel::controls::Dravena"),
};

QString ReadForm() {
    QFile file(QStringLiteral(KORVEL_FORMS_DIR "/TagForm.ui"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

// The widget element of a widget-box entry placed on an empty form, as
// Designer does when the entry is dropped.
QString FormWithDroppedEntry(const QString& domXml) {
    const qsizetype start = domXml.indexOf(QLatin1String("<widget"));
    const qsizetype end = domXml.lastIndexOf(QLatin1String("</widget>")) + 9;
    return QStringLiteral(
               "<ui version=\"4.0\"><class>Dropped</class>"
               "<widget class=\"QWidget\" name=\"Dropped\">%1</widget></ui>")
        .arg(domXml.mid(start, end - start));
}

std::unique_ptr<QWidget> LoadWithPlugin(const QString& text, QString* error) {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QStringLiteral(KORVEL_DESIGNER_PLUGIN_DIR));
    QByteArray bytes = text.toUtf8();
    QBuffer buffer(&bytes);
    std::unique_ptr<QWidget> form(loader.load(&buffer));
    *error = loader.errorString();
    return form;
}

}  // namespace

class DesignerFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void widgetBoxHoldsTheFourControls();
    void propertyEditorOffersOnlyTheDesignTimeProperties();
    void designerWritesThePropertiesAndTheLoaderRestoresThem();
    void droppedEditorStoresItsDefaults();

private:
    QDesignerPropertySheetExtension* SheetOf(QObject* object) const {
        return qt_extension<QDesignerPropertySheetExtension*>(m_core->extensionManager(), object);
    }
    QDesignerFormWindowInterface* NewFormWindow(const QString& contents);

    QDesignerFormEditorInterface* m_core = nullptr;
};

void DesignerFormTest::initTestCase() {
    // Designer's start-up: the form editor core, its plugins (ours among
    // them, through QT_PLUGIN_PATH), and the parts a form window needs.
    m_core = QDesignerComponents::createFormEditor(this);
    QDesignerComponents::initializeResources();
    QDesignerComponents::initializePlugins(m_core);
    m_core->setWidgetBox(QDesignerComponents::createWidgetBox(m_core, nullptr));
    m_core->setPropertyEditor(QDesignerComponents::createPropertyEditor(m_core, nullptr));
    new QDesignerIntegration(m_core, this);
}

QDesignerFormWindowInterface* DesignerFormTest::NewFormWindow(const QString& contents) {
    QDesignerFormWindowInterface* window = m_core->formWindowManager()->createFormWindow(nullptr);
    if (!window->setContents(contents)) return nullptr;
    return window;
}

void DesignerFormTest::widgetBoxHoldsTheFourControls() {
    const QDesignerWidgetDataBaseInterface* database = m_core->widgetDataBase();
    for (const QString& name : kClassNames) {
        const int index = database->indexOfClassName(name);
        QVERIFY2(index >= 0, qPrintable(name));
        const QDesignerWidgetDataBaseItemInterface* item = database->item(index);
        QVERIFY(item->isCustom());
        QCOMPARE(item->group(), QStringLiteral("KORVEL"));
        QVERIFY(item->includeFile().startsWith(QLatin1String("controls/")));
        QVERIFY2(item->pluginPath().contains(QLatin1String("korvel-designer")),
                 qPrintable(item->pluginPath()));
    }
}

void DesignerFormTest::propertyEditorOffersOnlyTheDesignTimeProperties() {
    QDesignerFormWindowInterface* window = NewFormWindow(ReadForm());
    QVERIFY(window != nullptr);
    // Of each control's own properties, the editor shows the ID3v2 editor's
    // Mode and FrameListVisible and nothing else.
    const struct {
        const char* objectName;
        QStringList shown;
    } controls[] = {
        {"id3v1Editor", {}},
        {"wideEditor", {QStringLiteral("Mode"), QStringLiteral("FrameListVisible")}},
        {"lyricsViewer", {}},
        {"identity", {}},
    };
    for (const auto& expected : controls) {
        QWidget* control =
            window->mainContainer()->findChild<QWidget*>(QLatin1String(expected.objectName));
        QVERIFY2(control != nullptr, expected.objectName);
        QDesignerPropertySheetExtension* sheet = SheetOf(control);
        QVERIFY(sheet != nullptr);
        QStringList shown;
        const QMetaObject* meta = control->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QString name = QString::fromLatin1(meta->property(i).name());
            const int index = sheet->indexOf(name);
            QVERIFY2(index >= 0, qPrintable(name));
            if (sheet->isVisible(index)) shown.append(name);
        }
        QCOMPARE(shown, expected.shown);
    }
    // The ID3v2 editor shows two: Mode as an enumeration (a combo box of
    // v2aDefault and v2aWide) and FrameListVisible as a check box.
    QWidget* editor = window->mainContainer()->findChild<QWidget*>(QStringLiteral("wideEditor"));
    QDesignerPropertySheetExtension* sheet = SheetOf(editor);
    const QVariant mode = sheet->property(sheet->indexOf(QStringLiteral("Mode")));
    QVERIFY2(QString::fromLatin1(mode.typeName()).contains(QLatin1String("EnumValue")),
             mode.typeName());
    QCOMPARE(sheet->property(sheet->indexOf(QStringLiteral("FrameListVisible"))).typeId(),
             QMetaType::Bool);
    QVERIFY(sheet->isChanged(sheet->indexOf(QStringLiteral("Mode"))));
    delete window;
}

void DesignerFormTest::designerWritesThePropertiesAndTheLoaderRestoresThem() {
    QDesignerFormWindowInterface* window = NewFormWindow(ReadForm());
    QVERIFY(window != nullptr);
    // Edit the editor that stores nothing yet, as the property editor does.
    QWidget* plain = window->mainContainer()->findChild<QWidget*>(QStringLiteral("plainEditor"));
    QVERIFY(plain != nullptr);
    window->cursor()->setWidgetProperty(plain, QStringLiteral("Mode"), int(v2aWide));
    window->cursor()->setWidgetProperty(plain, QStringLiteral("FrameListVisible"), false);
    QCOMPARE(qobject_cast<ID3v2*>(plain)->Mode(), v2aWide);
    const QString written = window->contents();
    delete window;

    // The enumeration is written by its qualified name; no run-time member
    // reaches the form.
    QCOMPARE(written.count(QLatin1String("<enum>korvel::controls::v2aWide</enum>")), 2);
    QCOMPARE(written.count(QLatin1String("<property name=\"FrameListVisible\">")), 2);
    for (const char* runtime : {"ID3V2Tag", "Locked", "Enabled", "HasTag", "Title", "LyricsTag",
                                "FileHandler", "VisibilityMode"}) {
        QVERIFY2(!written.contains(QStringLiteral("name=\"%1\"").arg(QLatin1String(runtime))),
                 runtime);
    }

    QString error;
    std::unique_ptr<QWidget> form = LoadWithPlugin(written, &error);
    QVERIFY2(form != nullptr && error.isEmpty(), qPrintable(error));
    for (const char* name : {"wideEditor", "plainEditor"}) {
        auto* editor = form->findChild<ID3v2*>(QLatin1String(name));
        QVERIFY2(editor != nullptr, name);
        QCOMPARE(editor->Mode(), v2aWide);
        QCOMPARE(editor->FrameListVisible(), false);
    }
}

void DesignerFormTest::droppedEditorStoresItsDefaults() {
    QPluginLoader plugin(QStringLiteral(KORVEL_DESIGNER_PLUGIN_DIR "/libkorvel-designer.so"));
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(plugin.instance());
    QVERIFY2(collection != nullptr, qPrintable(plugin.errorString()));
    for (QDesignerCustomWidgetInterface* entry : collection->customWidgets()) {
        QDesignerFormWindowInterface* window = NewFormWindow(FormWithDroppedEntry(entry->domXml()));
        QVERIFY2(window != nullptr, qPrintable(entry->name()));
        QWidget* dropped = window->mainContainer()->findChildren<QWidget*>().value(0);
        QVERIFY(dropped != nullptr);
        QCOMPARE(QString::fromLatin1(dropped->metaObject()->className()), entry->name());
        const QString written = window->contents();
        delete window;
        const bool isV2 = entry->name() == kClassNames.at(1);
        QCOMPARE(written.contains(QLatin1String("<enum>korvel::controls::v2aDefault</enum>")), isV2);
        QCOMPARE(written.contains(QLatin1String("<property name=\"FrameListVisible\">")), isV2);
    }
}

QTEST_MAIN(DesignerFormTest)
#include "DesignerFormTest.moc"
