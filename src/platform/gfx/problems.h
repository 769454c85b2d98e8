#pragma once

// The graphics layer names a file it refuses (a picture or an effect) in one line on stderr.
// While a GfxProblemCapture lives on the calling thread, that line is kept in it instead,
// for a caller that reports the failure in a line of its own.

#include <string>

class GfxProblemCapture {
public:
    GfxProblemCapture();
    ~GfxProblemCapture();
    GfxProblemCapture(const GfxProblemCapture&) = delete;
    GfxProblemCapture& operator=(const GfxProblemCapture&) = delete;

    // The first line caught, without its newline; empty when none.
    const std::string& Line() const { return line_; }

private:
    friend void GfxReportProblem(const std::string& line);
    GfxProblemCapture* outer_;
    std::string line_;
};

// For the graphics layer: one line, without its newline.
void GfxReportProblem(const std::string& line);

// Why the last CreateDevice on OpenGL could not make its context ("no OpenGL 3.3 core
// context: ..."), for the program's one line; empty when it could.
const char* GfxDeviceProblem();
