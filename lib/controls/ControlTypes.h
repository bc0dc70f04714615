#pragma once
// Types the editing controls share with their hosts: the two enumerations of
// the controls, the tag objects as values of the Qt property system, and the
// identity texts of the library.
#include <QMetaType>
#include <QObject>
#include <QString>

#include "file/FileHandler.h"
#include "id3v1/ID3V1Tag.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v230/ID3V230.h"
#include "lyrics3/LyricsTag.h"

namespace korvel::controls {

Q_NAMESPACE

// How the ID3v1 editor shows its fields: one tag, or the common fields of many.
enum ETagEditModeConstants : int32_t {
    temEditSingle = 0,
    temEditMany = 1,
};
Q_ENUM_NS(ETagEditModeConstants)

// Panel arrangement of the ID3v2 editor.
enum EID3v2Apperance : int32_t {
    v2aDefault = 0,
    v2aWide = 1,
};
Q_ENUM_NS(EID3v2Apperance)

// Registers the tag pointer types with the meta-type system under their
// alias names ("korvel::ID3V1TagPtr", ...), so that hosts can pass them by
// name through QObject::setProperty, QObject::property and
// QMetaObject::invokeMethod. Every control calls it when it is created;
// calling it again does nothing.
void RegisterControlTypes();

// The library's version information, as the identity control shows it.
QString LibraryCompanyName();
QString LibraryProductName();
QString LibraryCopyright();

}  // namespace korvel::controls

// Tag objects cross the property system as QVariant holding the shared
// pointer; an empty pointer stands for "no tag".
Q_DECLARE_METATYPE(korvel::ID3V1TagPtr)
Q_DECLARE_METATYPE(korvel::FileHandlerPtr)
Q_DECLARE_METATYPE(korvel::LyricsTagPtr)
Q_DECLARE_METATYPE(korvel::ID3V2TagPtr)
Q_DECLARE_METATYPE(korvel::ID3V230Ptr)
