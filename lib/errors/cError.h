#pragma once
// The error record every tag and file class keeps.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace korvel {

class cError {
public:
    std::string Source;
    std::string Description;
    int32_t Number = 0;
    int32_t Mode = 0;  // 0 information, 1 warning, 2 error

    cError() = default;

    void Clear();

    // Copies the failure into the record (Mode 2). A null pointer leaves the
    // record unchanged and returns false.
    bool CopyError(const std::exception_ptr& failure);
    // Convenience for catch blocks: copies the exception being handled.
    bool CopyError() { return CopyError(std::current_exception()); }

    // Shows the record in a message box; the caption is "Dravena : " + title
    // when a title is given.
    void Show(const std::string& title = "") const;

    // Number, source and description joined by ", ".
    std::string Stream() const;

    // Makes this record a summary of another one.
    bool CopyHistory(const cError* oErr, const std::string& CurrentSource = "",
                     const std::string& CurrentDescription = "");

    // Pushes the current source into the description: source A with
    // description d becomes source PROC with description A + Delimiter + d.
    void CopyHistoryEx(const std::string& PROC, const std::string& Delimiter = "");

    // Clears the record and fills it in one step.
    void Set(int32_t mode, const std::string& source, const std::string& description,
             int32_t number = 0);
};

using cErrorPtr = std::shared_ptr<cError>;

}  // namespace korvel
