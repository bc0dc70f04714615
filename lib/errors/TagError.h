#pragma once
// The public, read-only view of an error record.
#include <memory>
#include <string>

#include "errors/cError.h"

namespace korvel {

class TagError {
public:
    TagError() = default;

    void Show(const std::string& Title = "") const;
    std::string Stream() const;

    // Makes this object a view of the given record; later changes show through.
    void SetInnerError(cErrorPtr error) { m_error = std::move(error); }

    // Read access for hosts that want the fields themselves.
    int32_t Number() const { return m_error ? m_error->Number : 0; }
    int32_t Mode() const { return m_error ? m_error->Mode : 0; }
    std::string Source() const { return m_error ? m_error->Source : std::string(); }
    std::string Description() const { return m_error ? m_error->Description : std::string(); }

    // Builds a view of the given record (what every LastError returns).
    static std::shared_ptr<TagError> ViewOf(const cErrorPtr& error);

private:
    cErrorPtr m_error;
};

using TagErrorPtr = std::shared_ptr<TagError>;

}  // namespace korvel
