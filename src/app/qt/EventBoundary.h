#pragma once
// The event boundary of the window. A user action runs the rules; a rule that refuses ends
// the action with SilentAbort after its own message, and an error of the table store is shown
// with its text. Every slot that calls into the rules goes through here.

#include <functional>
namespace ledra {

class Ui;

// True when the action ran to its end.
bool runAction(Ui &ui, const std::function<void()> &action);

} // namespace ledra
