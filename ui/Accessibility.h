#pragma once

// What a screen reader makes of the window's own controls: each picture face is a push
// button named by its caption, with a press action that runs its command as its key does; the
// difficulty box is a combo box named by its caption (Qt names an editable one by its value
// on Linux) whose value is its text. Installed once, before the window is shown; nothing
// changes in how the controls look, take focus or behave.
namespace accessibility {

void Install();

}  // namespace accessibility
