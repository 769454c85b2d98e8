#pragma once

// SIGTERM, SIGINT and SIGHUP end the program the way closing its window does: at the next
// look at the message queue every window gets WM_CLOSE and WM_QUIT(0) is posted, so the loop
// ends and everything is released as after a normal quit. Safe to call more than once.
void InstallQuitSignals();
