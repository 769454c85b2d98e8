#pragma once

// The test hook of the file calls. While a hook lives the calls consult it (the newest, when
// several do): tests of the media search move the program, and tests of the loaders swap a
// file between the search that found it and the open, as another process could.

#include <string>

class FilesHook {
public:
    FilesHook();
    ~FilesHook();
    FilesHook(const FilesHook&) = delete;
    FilesHook& operator=(const FilesHook&) = delete;

    // The hook the calls consult, or null.
    static const FilesHook* Active();

    // Where GetModuleFileNameW says the program lives; empty: where it really does.
    std::string modulePath;
    // Called with the path just before ReadRegularFile or OpenRegularFile opens it, after any
    // search that found it.
    void (*beforeOpen)(const char* path) = nullptr;
    // Called by ReplaceFile with the written temporary file just before it is renamed into
    // place; false stops there, as a crash would.
    bool (*beforeRename)(const char* temporary) = nullptr;

private:
    FilesHook* previous_;
};
