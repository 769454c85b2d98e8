// Writes the game's pictures and music into a folder:
//   make_assets OUT_DIR [--sheet CONTACT_SHEET.png]
// Every run writes the same bytes.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "contact_sheet.h"
#include "song.h"
#include "pictures.h"
#include "text.h"

namespace {

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--sheet") == 0)) {
        std::fprintf(stderr, "usage: make_assets OUT_DIR [--sheet CONTACT_SHEET.png]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const Font font(ASSET_FONT_FILE);
    if (!font.Loaded()) {
        std::fprintf(stderr, "make_assets: cannot read the font %s\n", ASSET_FONT_FILE);
        return 1;
    }
    for (const PictureSpec& spec : Pictures()) {
        if (!Write(dir + "/" + spec.file, MakePictureFile(spec, font))) {
            std::fprintf(stderr, "make_assets: cannot write %s/%s\n", dir.c_str(), spec.file);
            return 1;
        }
    }
    if (!Write(dir + "/" + kMusicFileName, MakeMusicFile())) {
        std::fprintf(stderr, "make_assets: cannot write the music\n");
        return 1;
    }
    if (argc == 4 && !WriteContactSheet(argv[3], font)) {
        std::fprintf(stderr, "make_assets: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
