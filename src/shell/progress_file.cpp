#include "shell/progress_file.h"

#include <cstdio>
#include <vector>

#include "platform/files/files.h"
#include "platform/files/user_state.h"
#include "shell/game_state.h"
#include "shell/progress.h"

namespace {

// A good file is a few hundred bytes; anything far larger is not ours.
constexpr std::uint64_t kMaxProgressBytes = 64 * 1024;

}  // namespace

std::string ProgressPath()
{
    const std::string folder = UserStateFolder();
    return folder.empty() ? std::string() : folder + "/progress.txt";
}

void LoadProgress(const std::string& path)
{
    TakeProgress(Session, Progress{});
    Session.progressPath = path;
    if (path.empty()) {
        return;
    }
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // A first start, not a fault: said where the controls are.
        std::printf("Tarnwick: no progress kept yet; it will be kept in %s\n", path.c_str());
        std::fflush(stdout);
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::string problem;
    if (!ReadRegularFile(path.c_str(), kMaxProgressBytes, &bytes, &problem)) {
        std::fprintf(stderr, "Tarnwick: %s; starting with no progress\n", problem.c_str());
        return;
    }
    Progress progress;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ParseProgress(text, progress, problem)) {
        std::fprintf(stderr, "Tarnwick: %s: %s; starting with no progress\n", path.c_str(), problem.c_str());
        return;
    }
    TakeProgress(Session, progress);
}

void SaveProgress()
{
    if (Session.progressPath.empty()) {
        return;
    }
    std::string problem;
    if (!ReplaceFile(Session.progressPath, FormatProgress(ProgressOf(Session)), &problem)) {
        std::fprintf(stderr, "Tarnwick: %s; progress is not kept this time\n", problem.c_str());
        Session.progressPath.clear();
    }
}
