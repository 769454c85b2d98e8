#pragma once

#include <string>

class Font;

// All pictures side by side on a checkerboard (so cut-outs show), each labelled, as a PNG.
bool WriteContactSheet(const std::string& path, const Font& font);
