// Writes the game's pictures and music into a folder:
//   make_assets OUT_DIR [--sheet CONTACT_SHEET.png | --pictures | --music | --icons]
// Every run writes the same bytes. --pictures, --music or --icons makes only those.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "contact_sheet.h"
#include "icon.h"
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
    const std::string option = argc >= 3 ? argv[2] : "";
    const bool sheet = argc == 4 && option == "--sheet";
    const bool only = argc == 3 && (option == "--pictures" || option == "--music" || option == "--icons");
    if (argc != 2 && !sheet && !only) {
        std::fprintf(stderr,
                     "usage: make_assets OUT_DIR [--sheet CONTACT_SHEET.png | --pictures | --music | --icons]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const Font font(ASSET_FONT_FILE);
    if (!font.Loaded()) {
        std::fprintf(stderr, "make_assets: cannot read the font %s\n", ASSET_FONT_FILE);
        return 1;
    }
    for (const PictureSpec& spec : Pictures()) {
        if (option == "--music" || option == "--icons") {
            break;
        }
        if (!Write(dir + "/" + spec.file, MakePictureFile(spec, font))) {
            std::fprintf(stderr, "make_assets: cannot write %s/%s\n", dir.c_str(), spec.file);
            return 1;
        }
    }
    for (const IconSpec& icon : Icons()) {
        if ((option.empty() || option == "--sheet" || option == "--icons") &&
            !Write(dir + "/" + icon.file, MakeIconFile(icon.size))) {
            std::fprintf(stderr, "make_assets: cannot write %s/%s\n", dir.c_str(), icon.file);
            return 1;
        }
    }
    if ((option.empty() || option == "--sheet" || option == "--music") &&
        !Write(dir + "/" + kMusicFileName, MakeMusicFile())) {
        std::fprintf(stderr, "make_assets: cannot write the music\n");
        return 1;
    }
    if (sheet && !WriteContactSheet(argv[3], font)) {
        std::fprintf(stderr, "make_assets: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
