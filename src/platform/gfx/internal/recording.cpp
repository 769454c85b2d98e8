// The recorder: the log of calls and how it prints, failure injection by call name, the
// choice of backend, and recording devices made directly for tests.

#include "platform/gfx/recording.h"

#include <cinttypes>
#include <cstdio>

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/recording.h"
#include "platform/gfx/internal/resources.h"

namespace {

GfxRecorder* ActiveRecorder = nullptr;

// "IDirect3DDevice9::Clear" -> "Clear"
std::string MethodOf(const std::string& full)
{
    const std::size_t colon = full.rfind("::");
    return colon == std::string::npos ? full : full.substr(colon + 2);
}

bool NameMatches(const std::string& pattern, const std::string& full)
{
    return pattern == full || pattern == MethodOf(full);
}

}  // namespace

std::string GfxCall::ToString() const
{
    std::string s = MethodOf(name) + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i != 0) {
            s += ", ";
        }
        const GfxArg& a = args[i];
        char text[64] = {};
        if (a.kind == GfxArg::Int) {
            std::snprintf(text, sizeof text, a.i > 0xFFFF ? "0x%" PRIx64 : "%" PRId64, a.i);
        } else if (a.kind == GfxArg::Float) {
            std::snprintf(text, sizeof text, "%g", static_cast<double>(a.f));
        }
        s += a.kind == GfxArg::Text ? "\"" + a.s + "\"" : a.kind == GfxArg::Object ? a.s : std::string(text);
    }
    return s + ")";
}

GfxArg::GfxArg(const IUnknown* object) : GfxArg(static_cast<const void*>(object))
{
    // Layer objects are GfxChild; anything else (a foreign implementation) is "foreign".
    const auto* child = dynamic_cast<const GfxChild*>(object);
    s = object == nullptr ? "null" : child != nullptr ? child->Id() : std::string("foreign");
}

GfxRecorder::~GfxRecorder()
{
    if (ActiveRecorder == this) {
        ActiveRecorder = nullptr;
    }
}

std::vector<std::string> GfxRecorder::CallNames() const
{
    std::vector<std::string> names;
    names.reserve(calls_.size());
    for (const auto& c : calls_) {
        names.push_back(MethodOf(c.name));
    }
    return names;
}

std::vector<const GfxCall*> GfxRecorder::Find(const std::string& name) const
{
    std::vector<const GfxCall*> found;
    for (const auto& c : calls_) {
        if (NameMatches(name, c.name)) {
            found.push_back(&c);
        }
    }
    return found;
}

HRESULT GfxRecorder::Injected(const char* fullName)
{
    const std::string full(fullName);
    for (auto& f : failures_) {
        if (!NameMatches(f.name, full) || f.times == 0) {
            continue;
        }
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        f.times -= f.times > 0 ? 1 : 0;
        return f.result;
    }
    return S_OK;
}

GfxCall& GfxRecorder::Log(const char* fullName, std::vector<GfxArg> args, HRESULT result)
{
    GfxCall& call = calls_.emplace_back();
    call.name = fullName;
    call.args = std::move(args);
    call.result = result;
    return call;
}

void GfxUseRecordingBackend(GfxRecorder* recorder) { ActiveRecorder = recorder; }

GfxRecorder* GfxActiveRecorder() { return ActiveRecorder; }
