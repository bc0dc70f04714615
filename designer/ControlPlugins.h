#pragma once
// The Qt Designer plugin of the editing controls: one collection that offers
// the ID3v1, ID3v2 and Lyrics editors and the identity control in the widget
// box group "KORVEL", so that forms made in Qt Designer or Qt Creator can hold
// them like any other widget. QUiLoader uses the same plugin to create them
// when a program loads such a form at run time.
#include <functional>

#include <QList>
#include <QObject>
#include <QString>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace korvel::designer {

// What Designer needs to know about one control.
struct ControlDescription {
    QString className;    // the C++ class, with its namespace
    QString displayName;  // the name shown in the widget box
    QString includeFile;  // the header a generated form includes
    QString toolTip;
    QString whatsThis;
    QString domXml;       // the widget as a new form receives it
    std::function<QWidget*(QWidget*)> create;
};

// One control as seen by Designer and QUiLoader.
class ControlPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    ControlPlugin(ControlDescription description, QObject* parent);

    QString name() const override { return m_description.className; }
    QString group() const override;
    QString toolTip() const override { return m_description.toolTip; }
    QString whatsThis() const override { return m_description.whatsThis; }
    QString includeFile() const override { return m_description.includeFile; }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override;
    QString domXml() const override { return m_description.domXml; }
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface* core) override;

private:
    ControlDescription m_description;
    bool m_initialized = false;
};

// The plugin's entry point: the four controls, in a fixed order.
class ControlCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit ControlCollection(QObject* parent = nullptr);

    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_widgets; }

private:
    QList<QDesignerCustomWidgetInterface*> m_widgets;
};

}  // namespace korvel::designer
