// The file handler's Lyrics3 tag and its facts about the file, its folder and
// its drive.
#include "file/FileHandler.h"

namespace korvel {

void FileHandler::EnsureLyricsLoaded() {
    if (m_fileName == m_lyricsFileName && m_lyrics->UsedCodePage() == m_codePage) return;
    m_lyrics->Load(m_fileName, HasID3V1Tag(), KnownLyricsTrailer(), m_codePage);
    m_lyricsFileName = m_fileName;
}

bool FileHandler::HasLyricsTag() {
    EnsureLyricsLoaded();
    return m_lyrics->Version() != lvcUnknown;
}

LyricsTagPtr FileHandler::LyricsTag() {
    EnsureLyricsLoaded();
    return m_lyrics;
}

std::string FileHandler::FolderOfPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash + 1);
}

std::string FileHandler::Path() const {
    try {
        std::string folder = FolderOfPath(m_fileName);
        const std::string drive = DriveName();
        if (folder.size() < drive.size()) return std::string();
        folder.erase(0, drive.size());
        if (!folder.empty() && folder.front() == '/') folder.erase(0, 1);
        return folder;
    } catch (...) {
        return std::string();
    }
}

DriveInfoPtr FileHandler::Drive() const { return DriveInfo::ForPath(m_fileName); }

FileInfoPtr FileHandler::File() const { return FileInfo::ForPath(m_fileName); }

}  // namespace korvel
