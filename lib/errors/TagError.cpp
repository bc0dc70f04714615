#include "errors/TagError.h"

namespace korvel {

void TagError::Show(const std::string& Title) const {
    if (m_error) {
        m_error->Show(Title);
    } else {
        cError().Show(Title);
    }
}

std::string TagError::Stream() const {
    return m_error ? m_error->Stream() : cError().Stream();
}

std::shared_ptr<TagError> TagError::ViewOf(const cErrorPtr& error) {
    auto view = std::make_shared<TagError>();
    view->SetInnerError(error);
    return view;
}

}  // namespace korvel
