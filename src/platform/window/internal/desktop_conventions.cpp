// The player's files folder and start-up refusals, per desktop.

#include "platform/window/desktop_conventions.h"

#include <SDL.h>

#if defined(_WIN32)
// Only the system's own names here: this file includes none of our Win32-shaped headers.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>

std::string PlayerFilesFolder()
{
#if defined(_WIN32)
    char* pref = SDL_GetPrefPath("", "Tarnwick");
    if (pref == nullptr) {
        return {};
    }
    std::string folder(pref);
    SDL_free(pref);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
#else
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/tarnwick";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config/tarnwick";
    }
    return {};
#endif
}

const char* KeysFileForHelp()
{
#if defined(_WIN32)
    return "%APPDATA%\\Tarnwick\\keys.txt";
#else
    return "$XDG_CONFIG_HOME/tarnwick/keys.txt (~/.config/tarnwick/keys.txt)";
#endif
}

void ReportStartupRefusal(const std::string& line)
{
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
#if defined(_WIN32)
    const char* skip = SDL_getenv("TARNWICK_NO_MESSAGE_BOX");
    if (skip == nullptr || skip[0] == '\0') {
        std::string text = line;
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Tarnwick", text.c_str(), nullptr);
    }
#endif
}

void UseStartingConsole()
{
#if defined(_WIN32)
    const bool outputGoesSomewhere = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    const bool errorsGoSomewhere = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
    if ((outputGoesSomewhere && errorsGoSomewhere) || AttachConsole(ATTACH_PARENT_PROCESS) == 0) {
        return;
    }
    if (!outputGoesSomewhere) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!errorsGoSomewhere) {
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
}
