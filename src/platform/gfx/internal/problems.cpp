// The one-line reports of refused files, printed or caught by the innermost
// GfxProblemCapture on this thread.

#include "platform/gfx/problems.h"

#include <cstdio>

namespace {

thread_local GfxProblemCapture* Active = nullptr;

}  // namespace

GfxProblemCapture::GfxProblemCapture() : outer_(Active) { Active = this; }

GfxProblemCapture::~GfxProblemCapture() { Active = outer_; }

void GfxReportProblem(const std::string& line)
{
    if (Active == nullptr) {
        std::fprintf(stderr, "%s\n", line.c_str());
    } else if (Active->line_.empty()) {
        Active->line_ = line;
    }
}
