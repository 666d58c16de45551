#pragma once

// What a screen reader makes of the picture buttons: each face is a push button named by its
// caption, with a press action that runs its command as a click does. Installed once, before
// the faces are shown; nothing changes in how they look, take focus or behave.
namespace face_accessibility {

void Install();

}  // namespace face_accessibility
