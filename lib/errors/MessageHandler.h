#pragma once
// Modal messages shown to the user. The library writes to stderr until a
// user-interface layer installs its own handler (a dialog box).
#include <functional>
#include <string>

namespace korvel {

enum class MessageIcon { Information, Exclamation, Critical };

// text: the message (lines separated by CR LF); caption: "" for the
// application's default title.
using MessageHandler =
    std::function<void(const std::string& text, MessageIcon icon, const std::string& caption)>;

// Replaces the handler; an empty function restores the stderr handler.
// Returns the handler that was installed before.
MessageHandler SetMessageHandler(MessageHandler handler);

// Shows a message through the installed handler and returns when it is closed.
void ShowMessage(const std::string& text, MessageIcon icon, const std::string& caption = "");

}  // namespace korvel
