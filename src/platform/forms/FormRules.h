#pragma once

namespace forms {

// Installs, once for the whole application, the rules every window of the
// program follows, present and future:
// - Enter on a focused push button presses it, in a dialog or not;
// - no text box has a length limit, also one made without textBox().
// Call after the QApplication exists.
void installFormRules();

} // namespace forms
