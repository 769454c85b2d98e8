#pragma once

// When the connection to the display goes away under the program, nothing can be drawn or
// read again and no shutdown that talks to the display is safe (Xlib offers none, and a
// shutdown tried after the loss was seen to hang): the program writes `line` to stderr and
// ends at once with exit status 1. The line is kept, not copied; set it before the video
// starts.
void EndOnDisplayLoss(const char* line);
