#pragma once
// The failure type the library raises. It carries the three facts an error
// record keeps: number, source and description.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace korvel {

// Number carried by every failure the library raises itself (0x80040000).
inline constexpr int32_t kLibraryErrorNumber = static_cast<int32_t>(0x80040000u);

class KorvelException : public std::runtime_error {
public:
    KorvelException(int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          m_number(number),
          m_source(std::move(source)),
          m_description(std::move(description)) {}

    // Shorthand for a failure with the library's own number.
    KorvelException(std::string source, std::string description)
        : KorvelException(kLibraryErrorNumber, std::move(source), std::move(description)) {}

    int32_t Number() const noexcept { return m_number; }
    const std::string& Source() const noexcept { return m_source; }
    const std::string& Description() const noexcept { return m_description; }

private:
    int32_t m_number;
    std::string m_source;
    std::string m_description;
};

// Number, source and description of any failure in flight, whatever its type.
struct FailureInfo {
    int32_t Number = 0;
    std::string Source;
    std::string Description;
};

// Describes the given exception. Library failures keep their own facts;
// platform failures (std::system_error, std::filesystem::filesystem_error)
// carry their error code and text; anything else gets a generic number.
FailureInfo DescribeFailure(const std::exception_ptr& failure);

}  // namespace korvel
