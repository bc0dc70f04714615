#include "errors/cError.h"

#include "errors/KorvelException.h"
#include "errors/MessageHandler.h"

namespace korvel {

namespace {
const char* const kCrLf = "\r\n";
}

void cError::Clear() {
    Source.clear();
    Description.clear();
    Number = 0;
    Mode = 0;
}

bool cError::CopyError(const std::exception_ptr& failure) {
    if (!failure) return false;
    FailureInfo info = DescribeFailure(failure);
    Clear();
    Description = info.Description;
    Number = info.Number;
    Source = info.Source;
    Mode = 2;
    return true;
}

void cError::Show(const std::string& title) const {
    MessageIcon icon = Mode == 1 ? MessageIcon::Exclamation
                       : Mode == 2 ? MessageIcon::Critical
                                   : MessageIcon::Information;
    std::string text;
    if (Number != 0) text = std::to_string(Number) + kCrLf;
    text += Source + kCrLf + Description;
    ShowMessage(text, icon, title.empty() ? std::string() : "Dravena : " + title);
}

std::string cError::Stream() const {
    return std::to_string(Number) + ", " + Source + ", " + Description;
}

bool cError::CopyHistory(const cError* oErr, const std::string& CurrentSource,
                         const std::string& CurrentDescription) {
    if (oErr == nullptr) return false;
    // Read the other record first: it may be this very record.
    std::string stream = oErr->Stream();
    int32_t mode = oErr->Mode;
    int32_t number = oErr->Number;
    Clear();
    Source = CurrentSource;
    Description = CurrentDescription + kCrLf + stream;
    Mode = mode;
    Number = number;
    return true;
}

void cError::CopyHistoryEx(const std::string& PROC, const std::string& Delimiter) {
    Description = Source + Delimiter + Description;
    Source = PROC;
}

void cError::Set(int32_t mode, const std::string& source, const std::string& description,
                 int32_t number) {
    Clear();
    Mode = mode;
    Source = source;
    Description = description;
    Number = number;
}

}  // namespace korvel
