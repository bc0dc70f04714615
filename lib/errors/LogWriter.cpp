#include "errors/LogWriter.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace korvel {

cErrorPtr LogWriter::LastError() {
    if (!m_error) m_error = std::make_shared<cError>();
    return m_error;
}

bool LogWriter::writeLog(const std::string& text) {
    try {
        if (m_fileName.empty()) {
            throw std::system_error(std::make_error_code(std::errc::invalid_argument),
                                    "no log file name");
        }
        std::FILE* file = std::fopen(m_fileName.c_str(), "ab");
        if (file == nullptr) throw std::system_error(errno, std::generic_category(), m_fileName);

        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char stamp[64];
        std::strftime(stamp, sizeof stamp, "%x %X", &local);
        std::string line = std::string(stamp) + " - " + text + "\r\n";
        size_t written = std::fwrite(line.data(), 1, line.size(), file);
        int closed = std::fclose(file);
        if (written != line.size() || closed != 0) {
            throw std::system_error(errno, std::generic_category(), m_fileName);
        }
        return true;
    } catch (...) {
        cErrorPtr record = LastError();
        record->CopyError();
        record->Description = "Es konnte nicht ins LogFile '" + m_fileName +
                              "' geschrieben werden.\r\n" + record->Description;
        return false;
    }
}

}  // namespace korvel
