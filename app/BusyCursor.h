#pragma once
// The busy cursor shown while the window loads or saves, and the rule that a
// message box is always shown with the normal cursor.
#include <functional>
#include <string>

#include "errors/MessageHandler.h"

namespace korvel::quelm {

// Shows the busy cursor for its lifetime (nesting is allowed).
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Runs the action with every busy cursor lifted and puts them back afterwards
// (also when the action throws).
void WithNormalCursor(const std::function<void()>& action);

// A message box titled with the application's title, shown with the normal
// cursor.
void Tell(const std::string& text, korvel::MessageIcon icon);

// Wraps the message handler installed now, so that each message is shown
// with the normal cursor.
void ShowMessagesWithNormalCursor();

}  // namespace korvel::quelm
