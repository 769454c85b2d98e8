#include "shell/device_setup.h"
#include "shell/message_loop.h"

// The program reads no command line; the presentation is chosen when building.
int main()
{
    FullScreenPresentation = TARNWICK_FULL_SCREEN != 0;
    return RunGame();
}
