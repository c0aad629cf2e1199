#pragma once

namespace files {

// The path of a shell special folder (a CSIDL_ value) into `path`, which
// holds QUORVEL_MAX_TEXT units; false when the shell has none.
bool special_folder(int csidl, unsigned short *path);

}  // namespace files
