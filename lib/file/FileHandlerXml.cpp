// The XML description of a file: its drive, the file itself and the
// descriptions of its audio header and its three tags.
#include <string>

#include "file/FileHandler.h"
#include "xml/XmlNodes.h"

namespace korvel {

namespace {

// Dates carry their pattern as ID.
constexpr const char* kDatePattern = "dd/mm/yyyy hh:mm:ss";

void AppendDrive(pugi::xml_node importData, const DriveInfo& drive) {
    pugi::xml_node properties = importData.append_child("Drive").append_child("Properties");
    CreatePropertyNode(properties, "DriveType", std::to_string(drive.DriveType()));
    CreatePropertyNode(properties, "VolumeName", drive.VolumeName());
    CreatePropertyNode(properties, "AvailableSpace", std::to_string(drive.AvailableSpace()));
    CreatePropertyNode(properties, "DriveLetter", drive.DriveLetter());
    CreatePropertyNode(properties, "FileSystem", drive.FileSystem());
    CreatePropertyNode(properties, "FreeSpace", std::to_string(drive.FreeSpace()));
    CreatePropertyNode(properties, "Path", drive.Path());
    CreatePropertyNode(properties, "RootFolder", drive.RootFolder());
    CreatePropertyNode(properties, "SerialNumber", std::to_string(drive.SerialNumber()));
    CreatePropertyNode(properties, "ShareName", drive.ShareName());
    CreatePropertyNode(properties, "TotalSize", std::to_string(drive.TotalSize()));
}

void AppendFileProperties(pugi::xml_node file, const FileInfo& info, const FileHandler& handler) {
    pugi::xml_node properties = file.append_child("Properties");
    const std::string modified = FormatDateTime(info.DateLastModified());
    std::string accessed = FormatDateTime(info.DateLastAccessed());
    if (accessed.empty()) accessed = modified;
    CreatePropertyNode(properties, "DateCreated", FormatDateTime(info.DateCreated()), kDatePattern);
    CreatePropertyNode(properties, "DateLastAccessed", accessed, kDatePattern);
    CreatePropertyNode(properties, "DateLastModified", modified, kDatePattern);
    CreatePropertyNode(properties, "Name", info.Name());
    CreatePropertyNode(properties, "Size", std::to_string(info.Size()));
    CreatePropertyNode(properties, "TypeName", info.TypeName());
    CreatePropertyNode(properties, "DriveLetter", handler.DriveName());
    const std::string path = handler.Path();
    CreatePropertyNode(properties, "Path", path);
    CreatePropertyNode(properties, "FullPath", path + info.Name());
    CreatePropertyNode(properties, "Type", handler.FileTypeName(), std::to_string(handler.FileType()));
}

// The element of the ID3v2 facade, built in place (its pictures are the
// document's largest texts); a file without a tag describes the empty facade.
void AppendID3V2Tag(pugi::xml_node file, FileHandler& handler) {
    const ID3V2TagPtr tag = handler.ID3V2Tag();
    (tag ? tag : std::make_shared<korvel::ID3V2Tag>())->FillXml(file.append_child("ID3V2Tag"));
}

}  // namespace

std::string FileHandler::xml() { return SerializeXml(XmlDescription()); }

XmlElement FileHandler::XmlDescription() {
    XmlElement importData = CreateXmlDocument("FileHandler", "ImportData");
    AppendDrive(importData.Node, *Drive());

    pugi::xml_node file = importData.Node.append_child("Files").append_child("File");
    AppendFileProperties(file, *File(), *this);

    XmlElement element;
    m_mpegHeader->xml(&element);
    AppendElement(file, element);

    m_id3v1->xml(&element);
    AppendElement(file, element);

    AppendID3V2Tag(file, *this);

    EnsureLyricsLoaded();
    m_lyrics->xml(&element);
    AppendElement(file, element);

    return importData;
}

}  // namespace korvel
