// Renders each editing control, filled from real files, to PNG files so that
// a person can look at them:
//     render_controls <output folder> [corpus folder] [demo MP3]
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>

#include <pugixml.hpp>

#include "controls/Dravena.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/Lyrics.h"
#include "file/FileHandler.h"

namespace {

using namespace korvel::controls;

bool Save(QWidget& widget, const QDir& folder, const QString& name, QSize size = QSize()) {
    widget.resize(size.isValid() ? size : widget.sizeHint());
    widget.show();
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

korvel::FileHandlerPtr Open(const QString& path) {
    auto file = std::make_shared<korvel::FileHandler>();
    if (!file->Create(path.toStdString())) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path),
                     file->LastError()->Stream().c_str());
    }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_controls <output folder> [corpus folder] [demo MP3]\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) return 1;
    const QDir corpus(argc > 2 ? QString::fromLocal8Bit(argv[2])
                               : QStringLiteral(KORVEL_CORPUS_DIR));
    const QString demo = argc > 3 ? QString::fromLocal8Bit(argv[3])
                                  : QStringLiteral(KORVEL_SOURCE_DIR "/assets/demo.mp3");
    bool ok = true;

    {
        auto file = Open(corpus.filePath(QStringLiteral("mutagen/silence-44-s-v1.mp3")));
        ID3v1 editor;
        editor.setID3v1xTag(file->ID3v1xTag());
        ok &= Save(editor, folder, QStringLiteral("id3v1"));

        ID3v1 empty;
        ok &= Save(empty, folder, QStringLiteral("id3v1-no-tag"));

        ID3v1 many;
        many.setID3v1xTag(file->ID3v1xTag());
        many.setVisibilityMode(temEditMany);
        ok &= Save(many, folder, QStringLiteral("id3v1-many"));

        ID3v1 disabled;
        disabled.setID3v1xTag(file->ID3v1xTag());
        disabled.setFieldsEnabled(false);
        ok &= Save(disabled, folder, QStringLiteral("id3v1-disabled"));

        if (auto* menu = editor.findChild<QMenu*>(QStringLiteral("mnuFormat"))) {
            menu->adjustSize();
            ok &= Save(*menu, folder, QStringLiteral("id3v1-menu"));
        }
    }
    {
        auto file = Open(corpus.filePath(QStringLiteral("mutagen/apev2-lyricsv2.mp3")));
        Lyrics editor;
        editor.setLyricsTag(file->LyricsTag());
        ok &= Save(editor, folder, QStringLiteral("lyrics"));

        Lyrics empty;
        ok &= Save(empty, folder, QStringLiteral("lyrics-no-tag"));

        // A tag with a lyrics text, to see the multi-line box filled.
        pugi::xml_document doc;
        doc.load_string(
            "<LyricsTag><Properties><Property Name='Version' Value='2'/>"
            "<Property Name='Title' Value='A rather long title that does not fit the box'/>"
            "<Property Name='Lyrics' Value='[00:01]First line&#10;[00:05]Second line&#10;"
            "Third line'/></Properties></LyricsTag>");
        auto tag = std::make_shared<korvel::LyricsTag>();
        tag->CreateFromTag(doc.first_child());
        Lyrics text;
        text.setLyricsTag(tag);
        ok &= Save(text, folder, QStringLiteral("lyrics-text"));
    }
    {
        // The demo file's ID3v2.3 tag (cover, lyrics, comment) in both
        // arrangements, at the size the control asks for and at a size a
        // host window gives it.
        auto file = Open(demo);
        for (EID3v2Apperance mode : {v2aDefault, v2aWide}) {
            const QString name = mode == v2aWide ? QStringLiteral("id3v2-wide")
                                                 : QStringLiteral("id3v2");
            ID3v2 editor;
            editor.setMode(mode);
            editor.setID3V2Tag(file->ID3V2Tag());
            ok &= Save(editor, folder, name);
            ID3v2 large;
            large.setMode(mode);
            large.setID3V2Tag(file->ID3V2Tag());
            ok &= Save(large, folder, name + QStringLiteral("-large"),
                       large.sizeHint() + QSize(120, 200));
        }
        ID3v2 empty;
        ok &= Save(empty, folder, QStringLiteral("id3v2-no-tag"));

        // A version 2.4 tag: read-only.
        auto v24 = Open(corpus.filePath(QStringLiteral("mutagen/id3v1v2-combined.mp3")));
        ID3v2 readOnly;
        readOnly.setID3V2Tag(v24->ID3V2Tag());
        ok &= Save(readOnly, folder, QStringLiteral("id3v2-read-only"));
    }
    {
        Dravena identity;
        ok &= Save(identity, folder, QStringLiteral("dravena"));
    }
    return ok ? 0 : 1;
}
