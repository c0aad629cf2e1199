// What a run of encrypt or decrypt will do, worked out before anything is
// written: every file with its output, the folders to make or rename, and
// what stands in the way (name collisions, files that exist, containers the
// password does not open). The run starts only from a plan without problems.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct Job {
    std::u16string source;  // the original, or the container
    std::u16string folder;  // output folder, with its backslash
    std::u16string name;    // the container's name, or the first restored name
    int64_t size = 0;       // bytes of the original, or of the first entry
    int entries = 1;        // entries in the container (decrypting)
};

struct Rename {
    std::u16string from, to;
};

struct PlanOptions {
    bool encrypting = true;
    bool subfolders = false, hide_names = false, hidden = false, system = false;
    bool only_folders = false, force = false;
    int naming = 0;             // 0 NAME.cpt, 1 key time and counter, 2 MD5 of the name
    long key_time = 0;
    std::u16string out_folder;  // with its backslash; empty: beside the source
    std::u16string password;
};

struct Plan {
    std::vector<Job> jobs;
    std::vector<std::u16string> make;  // output folders, parents first
    std::vector<Rename> renames;       // in place, deepest first
    std::vector<std::string> refusals; // nothing of the path is done
    std::vector<std::string> skipped;  // named and left out; the rest goes on
    std::u16string log;                // where the encryption log goes (--log)
    int folders = 0;
    int64_t bytes = 0;
};

// Plans one path (a file or a folder, in the library's form).
Plan plan_path(const std::u16string &path, const PlanOptions &options);

// Outputs that collide, within a plan or between the plans of paths given
// together, and outputs that exist (unless --force): refusals of the plans
// concerned.
void check_outputs(const PlanOptions &options, std::vector<Plan> &plans);

}  // namespace cli
