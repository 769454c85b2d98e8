#pragma once

// Who owns the loop. A desktop program loops by itself; a page must give control back to the
// browser after every frame, which calls it again at the display's pace and not at all while
// the page is hidden.

// Calls `pass` until it returns false, then `finish`. In a browser each call comes in its own
// animation frame and this returns before the first one; on a desktop it returns after `finish`.
void RunPassLoop(bool (*pass)(void* context), void (*finish)(void* context), void* context);

// False where the program cannot end itself: a page cannot close its tab.
bool ProgramCanQuit();
