#include "run_script.h"

#include <charconv>
#include <sstream>

namespace {

struct KeyEntry {
    const char* name;
    ScriptKey key;
    bool character;
    int position;  // USB HID usage id
};

constexpr KeyEntry kKeys[] = {
    {"escape", ScriptKey::Escape, false, 41},
    {"w", ScriptKey::W, true, 26},
    {"space", ScriptKey::Space, true, 44},
    {"a", ScriptKey::A, true, 4},
    {"right", ScriptKey::Right, false, 79},
    {"f1", ScriptKey::F1, false, 58},
    {"enter", ScriptKey::Enter, false, 40},
    {"t", ScriptKey::T, true, 23},
    {"f", ScriptKey::F, true, 9},
    {"g", ScriptKey::G, true, 10},
    {"h", ScriptKey::H, true, 11},
    {"up", ScriptKey::Up, false, 82},
    {"down", ScriptKey::Down, false, 81},
    {"left", ScriptKey::Left, false, 80},
    {"rctrl", ScriptKey::RightCtrl, false, 228},
    {"rshift", ScriptKey::RightShift, false, 229},
};

std::string KeyNames()
{
    std::string names;
    for (const KeyEntry& entry : kKeys) {
        names += (names.empty() ? "" : ", ") + std::string(entry.name);
    }
    return names;
}

bool ParseInt(const std::string& word, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

class LineParser {
public:
    LineParser(int line, std::string& error) : line_(line), error_(error) {}

    bool Fail(const std::string& message)
    {
        error_ = "line " + std::to_string(line_) + ": " + message;
        return false;
    }

    bool Number(const std::string& word, const char* what, std::int64_t low, std::int64_t high, std::int64_t& value)
    {
        if (!ParseInt(word, low, high, value)) {
            return Fail(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not \"" + word + "\"");
        }
        return true;
    }

    bool Key(const std::string& word, ScriptKey& key)
    {
        for (const KeyEntry& entry : kKeys) {
            if (word == entry.name) {
                key = entry.key;
                return true;
            }
        }
        return Fail("unknown key \"" + word + "\" (" + KeyNames() + ")");
    }

private:
    int line_;
    std::string& error_;
};

struct Arity {
    const char* name;
    CommandKind kind;
    std::size_t args;
};

constexpr Arity kCommands[] = {
    {"pad", CommandKind::Pad, 8},         {"nopad", CommandKind::NoPad, 0}, {"key", CommandKind::Key, 1},
    {"keydown", CommandKind::KeyDown, 1}, {"keyup", CommandKind::KeyUp, 1}, {"mouse", CommandKind::Mouse, 2},
    {"down", CommandKind::Down, 0},       {"up", CommandKind::Up, 0},       {"click", CommandKind::Click, 0},
    {"end", CommandKind::End, 0},
};

}  // namespace

const char* KeyName(ScriptKey key)
{
    for (const KeyEntry& entry : kKeys) {
        if (entry.key == key) {
            return entry.name;
        }
    }
    return "?";
}

bool KeyTypesCharacter(ScriptKey key)
{
    for (const KeyEntry& entry : kKeys) {
        if (entry.key == key) {
            return entry.character;
        }
    }
    return false;
}

int KeyPosition(ScriptKey key)
{
    for (const KeyEntry& entry : kKeys) {
        if (entry.key == key) {
            return entry.position;
        }
    }
    return 0;
}

bool ScriptKeyAt(int position, ScriptKey& key)
{
    for (const KeyEntry& entry : kKeys) {
        if (entry.position == position) {
            key = entry.key;
            return true;
        }
    }
    return false;
}

bool ParseScript(std::istream& in, Script& script, std::string& error)
{
    script = Script{};
    std::string text;
    int line = 0;
    std::int64_t lastFrame = 0;
    bool padSeen = false;
    while (std::getline(in, text)) {
        ++line;
        const std::size_t hash = text.find('#');
        if (hash != std::string::npos) {
            text.resize(hash);
        }
        std::istringstream words(text);
        std::vector<std::string> parts;
        for (std::string word; words >> word;) {
            parts.push_back(word);
        }
        if (parts.empty()) {
            continue;
        }
        LineParser parse(line, error);
        if (script.endFrame >= 0) {
            return parse.Fail("nothing may follow the end line");
        }
        ScriptCommand command;
        command.line = line;
        if (!parse.Number(parts[0], "the frame", 0, INT32_MAX, command.frame)) {
            return false;
        }
        if (command.frame < lastFrame) {
            return parse.Fail("frame " + parts[0] + " comes after frame " + std::to_string(lastFrame));
        }
        if (parts.size() < 2) {
            return parse.Fail("a command must follow the frame");
        }
        const Arity* arity = nullptr;
        for (const Arity& candidate : kCommands) {
            if (parts[1] == candidate.name) {
                arity = &candidate;
            }
        }
        if (arity == nullptr) {
            return parse.Fail("unknown command \"" + parts[1] + "\"");
        }
        if (parts.size() != arity->args + 2) {
            return parse.Fail(std::string(arity->name) + " takes " + std::to_string(arity->args) + " argument(s)");
        }
        command.kind = arity->kind;
        std::int64_t v[8] = {};
        switch (command.kind) {
        case CommandKind::Pad: {
            const char* names[8] = {"LX", "LY", "RX", "RY", "B0", "B1", "B4", "B5"};
            for (int i = 0; i < 8; ++i) {
                const std::int64_t limit = i < 4 ? 1000 : 1;
                if (!parse.Number(parts[static_cast<std::size_t>(i) + 2], names[i], i < 4 ? -1000 : 0, limit, v[i])) {
                    return false;
                }
            }
            if (script.noPad) {
                return parse.Fail("pad after nopad");
            }
            command.pad = PadState{static_cast<std::int32_t>(v[0]),
                                   static_cast<std::int32_t>(v[1]),
                                   static_cast<std::int32_t>(v[2]),
                                   static_cast<std::int32_t>(v[3]),
                                   v[4] != 0,
                                   v[5] != 0,
                                   v[6] != 0,
                                   v[7] != 0};
            padSeen = true;
            break;
        }
        case CommandKind::NoPad:
            if (command.frame != 0 || padSeen) {
                return parse.Fail("nopad belongs at frame 0, before any pad line");
            }
            script.noPad = true;
            break;
        case CommandKind::Key:
        case CommandKind::KeyDown:
        case CommandKind::KeyUp:
            if (!parse.Key(parts[2], command.key)) {
                return false;
            }
            break;
        case CommandKind::Mouse:
            if (!parse.Number(parts[2], "X", -32768, 32767, v[0]) ||
                !parse.Number(parts[3], "Y", -32768, 32767, v[1])) {
                return false;
            }
            command.x = static_cast<std::int32_t>(v[0]);
            command.y = static_cast<std::int32_t>(v[1]);
            break;
        case CommandKind::End: script.endFrame = command.frame; break;
        default: break;
        }
        lastFrame = command.frame;
        script.commands.push_back(command);
    }
    return true;
}

std::string FormatPadLine(std::int64_t frame, const PadState& pad)
{
    std::ostringstream out;
    out << frame << " pad " << pad.lx << ' ' << pad.ly << ' ' << pad.rx << ' ' << pad.ry << ' ' << int{pad.b0} << ' '
        << int{pad.b1} << ' ' << int{pad.b4} << ' ' << int{pad.b5};
    return out.str();
}
