#include "shell/progress.h"

#include <charconv>
#include <vector>

namespace {

constexpr std::string_view kHeader = "tarnwick progress 1";
// An hour of play for one level is far beyond any run; more is no time a run can have.
constexpr std::int32_t kMostFrames = 60 * 60 * 60;

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = line.find_first_of(" \t\r", start);
        words.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        at = end == std::string_view::npos ? line.size() : end;
    }
    return words;
}

bool Number(std::string_view word, std::int32_t low, std::int32_t high, std::int32_t& value)
{
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc{} && end == word.data() + word.size() && value >= low && value <= high;
}

}  // namespace

std::string FormatProgress(const Progress& progress)
{
    std::string text = std::string(kHeader) + "\nreached " + std::to_string(progress.reached + 1) + "\n";
    for (std::int32_t level = 0; level < kLevelCount; ++level) {
        if (progress.bestFrames[level] > 0) {
            text += "best " + std::to_string(level + 1) + " " + std::to_string(progress.bestFrames[level]) + "\n";
        }
    }
    return text + "end\n";
}

bool ParseProgress(std::string_view text, Progress& progress, std::string& problem)
{
    progress = Progress{};
    Progress read;
    bool ended = false;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        problem = lineNumber > 0 ? "line " + std::to_string(lineNumber) + ": " + why : why;
        return false;
    };
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        ++lineNumber;
        const std::vector<std::string_view> words = Words(line);
        if (lineNumber == 1) {
            if (line != kHeader && line != std::string(kHeader) + "\r") {
                return fail("not a progress file");
            }
            continue;
        }
        if (ended) {
            return fail("text after the end");
        }
        if (words.size() == 1 && words[0] == "end") {
            ended = true;
        } else if (words.size() == 2 && words[0] == "reached") {
            std::int32_t number = 0;
            if (!Number(words[1], 1, kLevelCount, number)) {
                return fail("no such level: " + std::string(words[1]));
            }
            read.reached = number - 1;
        } else if (words.size() == 3 && words[0] == "best") {
            std::int32_t number = 0;
            std::int32_t frames = 0;
            if (!Number(words[1], 1, kLevelCount, number)) {
                return fail("no such level: " + std::string(words[1]));
            }
            if (!Number(words[2], 1, kMostFrames, frames)) {
                return fail("no such time: " + std::string(words[2]));
            }
            read.bestFrames[number - 1] = frames;
        } else {
            return fail("not understood");
        }
    }
    if (lineNumber == 0) {
        return fail("empty");
    }
    if (!ended) {
        lineNumber = 0;
        return fail("cut short (no end line)");
    }
    progress = read;
    return true;
}

Progress ProgressOf(const GameSession& session)
{
    Progress progress;
    progress.reached = session.reachedLevel;
    for (std::int32_t level = 0; level < kLevelCount; ++level) {
        progress.bestFrames[level] = session.bestFrames[level];
    }
    return progress;
}

void TakeProgress(GameSession& session, const Progress& progress)
{
    session.reachedLevel = progress.reached;
    for (std::int32_t level = 0; level < kLevelCount; ++level) {
        session.bestFrames[level] = progress.bestFrames[level];
    }
}
