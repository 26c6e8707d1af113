#pragma once
// The parts of the generated tree; `root` is the directory that receives "app/" and "samples/".

#include <string>

namespace assetgen {

inline const std::string images_dir = "app/share/marvo/images/";

void write_fixed_assets(const std::string& root);
void write_backgrounds_and_icons(const std::string& root);
void write_samples(const std::string& root);
// Reads the fixed images below `root` back and lays them out, named, on a checkerboard.
void write_contact_sheet(const std::string& root, const std::string& out_png);

} // namespace assetgen
