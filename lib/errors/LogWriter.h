#pragma once
// Appends time-stamped lines to a text file.
#include <memory>
#include <string>

#include "errors/cError.h"

namespace korvel {

class LogWriter {
public:
    const std::string& FileName() const { return m_fileName; }
    void setFileName(const std::string& name) { m_fileName = name; }

    // Appends "<date> <time> - text" and CR LF. False (with the record
    // filled) when the file cannot be written.
    bool writeLog(const std::string& text);

    cErrorPtr LastError();

private:
    std::string m_fileName;
    cErrorPtr m_error;
};

}  // namespace korvel
