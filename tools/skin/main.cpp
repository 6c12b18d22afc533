// Skin generator: paints every bitmap of the editor window, rasterises the
// value displays' font and composes a preview.
//
//   tavolu_skin_gen <font dir> <resources dir> [--no-preview]
//
// <font dir> holds LiberationSans-Regular.ttf and -Bold.ttf; the narrow cut
// (LiberationSansNarrow-*.ttf) is looked for there and in <font dir>/../liberation.
// Writes <resources dir>/bitmaps/<id>.bmp, sans_font12.cpp and preview.png.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "glyph_table.h"
#include "image_files.h"
#include "preview.h"
#include "skin.h"

namespace fs = std::filesystem;
using namespace tavolu::skin;

namespace {

std::string findFont(const fs::path& dir, const std::string& file) {
    for (const fs::path& p : {dir / file, dir.parent_path() / "liberation" / file})
        if (fs::exists(p)) return p.string();
    throw std::runtime_error("font not found: " + file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <font dir> <resources dir> [--no-preview]\n", argv[0]);
        return 2;
    }
    try {
        fs::path fontDir = fs::path(argv[1]).lexically_normal(), outDir = argv[2];
        if (!fontDir.has_filename()) fontDir = fontDir.parent_path();  // a trailing '/'

        bool preview = !(argc > 3 && std::string(argv[3]) == "--no-preview");
        Fonts fonts{FontFile(findFont(fontDir, "LiberationSans-Regular.ttf")),
                    FontFile(findFont(fontDir, "LiberationSans-Bold.ttf")),
                    FontFile(findFont(fontDir, "LiberationSansNarrow-Regular.ttf")),
                    FontFile(findFont(fontDir, "LiberationSansNarrow-Bold.ttf"))};

        fs::create_directories(outDir / "bitmaps");
        std::map<int, Image> skin = buildSkin(fonts);
        for (const auto& [id, img] : skin)
            writeFile((outDir / "bitmaps" / (std::to_string(id) + ".bmp")).string(),
                      encodeBmp(img));

        GlyphTable font12 = rasterise(fonts.regular, 12);
        std::string src = glyphTableSource(font12, "sansFont12", "Liberation Sans Regular");
        writeFile((outDir / "sans_font12.cpp").string(), {src.begin(), src.end()});

        if (preview) writePng((outDir / "preview.png").string(), composePreview(skin, font12));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skin generator: %s\n", e.what());
        return 1;
    }
}
