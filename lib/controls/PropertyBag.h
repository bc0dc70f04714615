#pragma once
// Design-time properties that a control keeps through its host: the control
// reads and writes named values in a bag the host provides, and tells the
// host which values changed so that it knows to store the bag again.
#include <QMap>
#include <QSet>
#include <QString>
#include <QVariant>

class QSettings;

namespace korvel::controls {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    // The stored value, or defaultValue when the bag holds none.
    virtual QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const = 0;
    // Stores a value; a value equal to its default is not kept (the next read
    // gives the default either way).
    virtual void WriteProperty(const QString& name, const QVariant& value,
                               const QVariant& defaultValue) = 0;
};

// A bag in memory (for hosts that keep nothing, and for tests).
class MemoryPropertyBag : public PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const override;
    void WriteProperty(const QString& name, const QVariant& value,
                       const QVariant& defaultValue) override;

    bool Contains(const QString& name) const { return m_values.contains(name); }

private:
    QMap<QString, QVariant> m_values;
};

// A bag over QSettings: each property is a key inside the given group (for
// example the control's objectName). The settings object must outlive the bag.
class SettingsPropertyBag : public PropertyBag {
public:
    SettingsPropertyBag(QSettings& settings, QString group);

    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const override;
    void WriteProperty(const QString& name, const QVariant& value,
                       const QVariant& defaultValue) override;

private:
    QString Key(const QString& name) const;

    QSettings& m_settings;
    QString m_group;
};

// Implemented by controls that persist properties. A host calls
// ReadProperties once after creating the control and WriteProperties when it
// stores its settings (at least whenever PropertiesChanged is true).
class PersistentControl {
public:
    virtual ~PersistentControl() = default;

    virtual void ReadProperties(const PropertyBag& bag) = 0;
    virtual void WriteProperties(PropertyBag& bag) = 0;

    // Names of the properties changed since the last read or write.
    bool PropertiesChanged() const { return !m_changed.isEmpty(); }
    bool IsPropertyChanged(const QString& name) const { return m_changed.contains(name); }

protected:
    // A control calls this when it changes a persisted value.
    void PropertyChanged(const QString& name) { m_changed.insert(name); }
    // Read and write implementations call this when they are done.
    void PropertiesStored() { m_changed.clear(); }

private:
    QSet<QString> m_changed;
};

}  // namespace korvel::controls
