#include "support/temp_folder.h"

#include <stdlib.h>

#include <memory>
#include <system_error>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& prefix)
{
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / (prefix + "-XXXXXX")).string();
    if (!error && mkdtemp(pattern.data()) != nullptr) {
        path_ = fs::canonical(pattern, error);
    }
}

TempFolder::~TempFolder()
{
    std::error_code error;
    if (!previous_.empty()) {
        fs::current_path(previous_, error);
    }
    if (!path_.empty()) {
        fs::remove_all(path_, error);
    }
}

bool TempFolder::Enter()
{
    std::error_code error;
    if (path_.empty()) {
        return false;
    }
    if (previous_.empty()) {
        previous_ = fs::current_path(error);
    }
    fs::current_path(path_, error);
    return !error;
}

const std::filesystem::path& ScratchFolder()
{
    static std::unique_ptr<TempFolder> folder;
    static std::string owner;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "";
    if (folder == nullptr || owner != test) {
        folder.reset();
        folder = std::make_unique<TempFolder>("tarnwick-" + test);
        owner = test;
    }
    return folder->Path();
}
