#include "controls/Controls.h"

#include <functional>
#include <utility>

#include "controls/Dravena.h"
#include "controls/ID3v1.h"
#include "controls/Lyrics.h"

namespace korvel::controls {

namespace {

using Factory = std::function<QWidget*(QWidget*)>;

const std::vector<std::pair<QString, Factory>>& Registry() {
    static const std::vector<std::pair<QString, Factory>> registry = {
        {QStringLiteral("KORVEL.ID3v1"), [](QWidget* parent) { return new ID3v1(parent); }},
        {QStringLiteral("KORVEL.Lyrics"), [](QWidget* parent) { return new Lyrics(parent); }},
        {QStringLiteral("KORVEL.Dravena"), [](QWidget* parent) { return new Dravena(parent); }},
    };
    return registry;
}

}  // namespace

QWidget* CreateControl(const QString& name, QWidget* parent) {
    for (const auto& [known, factory] : Registry()) {
        if (known == name) return factory(parent);
    }
    return nullptr;
}

QStringList ControlNames() {
    QStringList names;
    for (const auto& entry : Registry()) names.append(entry.first);
    return names;
}

}  // namespace korvel::controls
