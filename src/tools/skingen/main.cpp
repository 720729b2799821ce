// skingen: writes the program's artwork (skins, buttons, pictures, icon) into a folder.
#include <cstdio>
#include <fstream>
#include <string>

#include "ui/Artwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skingen <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const ql::ui::artwork::Asset& asset : ql::ui::artwork::Assets()) {
    const ql::Bytes bytes = ql::ui::artwork::RenderFile(asset.file);
    std::ofstream out(folder + "/" + asset.file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "skingen: cannot write %s/%s\n", folder.c_str(), asset.file.c_str());
      return 1;
    }
  }
  return 0;
}
