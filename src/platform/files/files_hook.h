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

private:
    FilesHook* previous_;
};
