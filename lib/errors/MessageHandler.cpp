#include "errors/MessageHandler.h"

#include <iostream>

namespace korvel {

namespace {

void StderrHandler(const std::string& text, MessageIcon icon, const std::string& caption) {
    const char* kind = icon == MessageIcon::Critical      ? "error"
                       : icon == MessageIcon::Exclamation ? "warning"
                                                          : "info";
    std::string flat;
    flat.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        flat += text[i];
    }
    std::cerr << "[" << kind << "]";
    if (!caption.empty()) std::cerr << " " << caption << ":";
    std::cerr << " " << flat << std::endl;
}

MessageHandler& Installed() {
    static MessageHandler handler = StderrHandler;
    return handler;
}

}  // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
    MessageHandler previous = Installed();
    Installed() = handler ? std::move(handler) : MessageHandler(StderrHandler);
    return previous;
}

void ShowMessage(const std::string& text, MessageIcon icon, const std::string& caption) {
    Installed()(text, icon, caption);
}

}  // namespace korvel
