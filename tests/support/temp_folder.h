#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Enter() also makes it the working folder until then.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tarnwick");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& leaf) const { return (path_ / leaf).string(); }

    // False when the folder is missing or cannot be entered.
    bool Enter();

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// A folder for the running test alone: made on first use in a test, removed when a later
// test asks for its own or when the program ends.
const std::filesystem::path& ScratchFolder();
