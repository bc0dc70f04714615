// consumer FILE: opens an MP3 file through an installed KORVEL and prints
// what the library and one of its controls read from it.
#include <QApplication>
#include <iostream>
#include <memory>

#include "controls/Controls.h"
#include "controls/ID3v1.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "core/Version.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: consumer FILE\n";
        return 2;
    }
    std::cout << "version " << korvel::kVersion << "\n";

    auto file = std::make_shared<korvel::FileHandler>();
    if (!file->Create(argv[1])) {
        std::cerr << file->LastError()->Stream() << "\n";
        return 1;
    }
    std::cout << "title " << file->ID3v1xTag()->Title() << "\n";
    std::cout << "has id3v2 " << (file->HasID3V2Tag() ? "yes" : "no") << "\n";
    std::cout << "rows " << korvel::AttributeRows(*file).size() << "\n";

    QApplication app(argc, argv);
    std::unique_ptr<QWidget> control(korvel::controls::CreateControl(QStringLiteral("KORVEL.ID3v1")));
    auto* editor = qobject_cast<korvel::controls::ID3v1*>(control.get());
    if (!editor) {
        std::cerr << "KORVEL.ID3v1 is not an ID3v1 editor\n";
        return 1;
    }
    editor->setID3v1xTag(file->ID3v1xTag());
    std::cout << "editor title " << editor->Title().toStdString() << "\n";
    return 0;
}
