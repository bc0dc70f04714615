#include "ControlPlugins.h"

#include <utility>

#include <QIcon>
#include <QSize>

#include "controls/ControlTypes.h"
#include "controls/Dravena.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/Lyrics.h"

namespace korvel::designer {

namespace {

// The widget-box entry of a control: a new instance named objectName with the
// given size and, after the geometry, the design-time properties a new form
// starts with (so that they are written to the form from the start).
QString DomXml(const QString& className, const QString& displayName, const QString& objectName,
               QSize size, const QString& properties = QString()) {
    return QStringLiteral(
               "<ui language=\"c++\" displayname=\"%1\">\n"
               " <widget class=\"%2\" name=\"%3\">\n"
               "  <property name=\"geometry\">\n"
               "   <rect><x>0</x><y>0</y><width>%4</width><height>%5</height></rect>\n"
               "  </property>\n"
               "%6"
               " </widget>\n"
               "</ui>\n")
        .arg(displayName, className, objectName)
        .arg(size.width())
        .arg(size.height())
        .arg(properties);
}

template <typename Control>
ControlDescription Describe(const QString& shortName, const QString& objectName, QSize size,
                            const QString& toolTip, const QString& whatsThis,
                            const QString& properties = QString()) {
    ControlDescription description;
    description.className = QString::fromLatin1(Control::staticMetaObject.className());
    description.displayName = shortName;
    description.includeFile = QStringLiteral("controls/%1.h").arg(shortName);
    description.toolTip = toolTip;
    description.whatsThis = whatsThis;
    description.domXml = DomXml(description.className, shortName, objectName, size, properties);
    description.create = [](QWidget* parent) -> QWidget* { return new Control(parent); };
    return description;
}

QList<ControlDescription> Descriptions() {
    const QString v2Properties = QStringLiteral(
        "  <property name=\"Mode\">\n"
        "   <enum>korvel::controls::v2aDefault</enum>\n"
        "  </property>\n"
        "  <property name=\"FrameListVisible\">\n"
        "   <bool>true</bool>\n"
        "  </property>\n");
    return {
        Describe<controls::ID3v1>(
            QStringLiteral("ID3v1"), QStringLiteral("id3v1Editor"), QSize(293, 143),
            QStringLiteral("ID3v1 tag editor"),
            QStringLiteral("Shows and edits an ID3v1 or ID3v1.1 tag in seven fields; the host "
                           "hands it a tag and polls saveTag and removeTag.")),
        Describe<controls::ID3v2>(
            QStringLiteral("ID3v2"), QStringLiteral("id3v2Editor"), QSize(598, 377),
            QStringLiteral("ID3v2 tag editor"),
            QStringLiteral("Shows an ID3v2 tag of any version and edits a version 2.3 tag: text "
                           "fields, picture, lyrics and the list of all frames. Mode and "
                           "FrameListVisible are kept in the form."),
            v2Properties),
        Describe<controls::Lyrics>(
            QStringLiteral("Lyrics"), QStringLiteral("lyricsEditor"), QSize(251, 240),
            QStringLiteral("Lyrics3 tag viewer"),
            QStringLiteral("Shows a file's Lyrics3 tag: title, artist, album, author and the "
                           "lyrics text.")),
        Describe<controls::Dravena>(
            QStringLiteral("Dravena"), QStringLiteral("identity"), QSize(297, 54),
            QStringLiteral("KORVEL identity"),
            QStringLiteral("Shows the library's company, product and copyright lines and owns "
                           "a file object for the host.")),
    };
}

}  // namespace

ControlPlugin::ControlPlugin(ControlDescription description, QObject* parent)
    : QObject(parent), m_description(std::move(description)) {}

QString ControlPlugin::group() const { return QStringLiteral("KORVEL"); }

QIcon ControlPlugin::icon() const { return QIcon(); }

QWidget* ControlPlugin::createWidget(QWidget* parent) { return m_description.create(parent); }

void ControlPlugin::initialize(QDesignerFormEditorInterface* /*core*/) {
    if (m_initialized) return;
    // The tag pointer types must be known to the meta-type system before
    // Designer or a form loader looks at the controls' properties.
    controls::RegisterControlTypes();
    m_initialized = true;
}

ControlCollection::ControlCollection(QObject* parent) : QObject(parent) {
    for (ControlDescription& description : Descriptions()) {
        m_widgets.append(new ControlPlugin(std::move(description), this));
    }
}

}  // namespace korvel::designer
