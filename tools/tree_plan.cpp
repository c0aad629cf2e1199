// Walks the trees named on the command line and plans the run (see
// tree_plan.h). Folders are listed once, here; the run itself only opens
// the files the plan names.
#include "tree_plan.h"

#include "container_check.h"
#include "host_path.h"
#include "run_report.h"

#include <quorvel/crypto.h>
#include <quorvel/encrypt.h>
#include <quorvel/text.h>

#include "platform/win32.h"

#include <cstdlib>
#include <ctime>
#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace cli {
namespace {

constexpr size_t kHiddenNameUnits = 60;  // longer folder names are not hidden

std::string shown(const std::u16string &path) { return host_path(as_exported(path)); }

bool has_extension(const std::u16string &name, const char16_t *extension) {
    const std::u16string tail(extension);
    return name.size() > tail.size() && name.compare(name.size() - tail.size(), tail.size(),
                                                     tail) == 0;
}

std::u16string parent_of(const std::u16string &path) {
    const size_t cut = path.find_last_of(u'\\');
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

std::u16string last_of(const std::u16string &path) {
    const size_t cut = path.find_last_of(u'\\');
    return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string owned(unsigned short *text) {
    if (!text) return {};
    std::u16string copy(as_u16(text));
    std::free(text);
    return copy;
}

struct Item {
    std::u16string name;
    DWORD attributes;
    int64_t size;
};

// The folder's entries as the library's listing filters them: hidden and
// system items only when asked for, and nothing at all in a folder that is
// itself excluded (its "." entry carries its attributes).
bool list(const std::u16string &folder, const PlanOptions &options, std::vector<Item> &items) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(as_wide(folder + u"\\*.*"), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        const std::u16string name(as_u16(data.cFileName));
        const DWORD attributes = data.dwFileAttributes;
        const bool excluded = ((attributes & FILE_ATTRIBUTE_HIDDEN) && !options.hidden) ||
                              ((attributes & FILE_ATTRIBUTE_SYSTEM) && !options.system);
        if (name == u"." && excluded) {
            items.clear();
            break;
        }
        if (excluded || name == u"." || name == u"..") continue;
        items.push_back({name, attributes,
                         static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

class Planner {
public:
    Planner(const PlanOptions &options, Plan &plan) : options_(options), plan_(plan) {}

    void path(const std::u16string &path) {
        const DWORD attributes = GetFileAttributesW(as_wide(path));
        const std::u16string parent = parent_of(path), name = last_of(path);
        if (!options_.out_folder.empty())
            plan_.make.push_back(options_.out_folder.substr(0, options_.out_folder.size() - 1));
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            plan_.refusals.push_back(shown(path) + ": no such file or folder");
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (((attributes & FILE_ATTRIBUTE_HIDDEN) && !options_.hidden) ||
                ((attributes & FILE_ATTRIBUTE_SYSTEM) && !options_.system)) {
                plan_.skipped.push_back(shown(path) + ": a hidden or system folder, left out "
                                                      "(--include-hidden, --include-system)");
                return;
            }
            const std::u16string renamed = folder_name(name);
            if (renamed.empty()) return;
            std::u16string output = options_.out_folder + renamed;
            if (options_.out_folder.empty()) {
                output = path;
                if (renamed != name) plan_.renames.push_back({path, parent + renamed});
            } else {
                plan_.make.push_back(output);
            }
            ++plan_.folders;
            plan_.log = (options_.out_folder.empty() ? parent : options_.out_folder) + name +
                        u"_Enc.log";
            folder(path, output);
        } else if (!options_.only_folders) {
            const std::u16string out = options_.out_folder.empty() ? parent : options_.out_folder;
            file(path, out, static_cast<int64_t>(-1));
            if (!plan_.jobs.empty())
                plan_.log = out + plan_.jobs[0].name.substr(0, plan_.jobs[0].name.size() - 4) +
                            u"_Enc.log";
        }
        if (!options_.encrypting && checked_ == 0 && !plan_.renames.empty())
            plan_.refusals.push_back(shown(path) + ": no container in it to check the password "
                                                   "against; folder names left as they are");
        std::reverse(plan_.renames.begin(), plan_.renames.end());
    }

private:
    // The output name of a folder: hidden, restored or as it is; empty when
    // a hidden name does not restore to a name a folder can have.
    std::u16string folder_name(const std::u16string &name) {
        if (!options_.hide_names) return name;
        const std::u16string &password = options_.password;
        if (options_.encrypting) {
            if (has_extension(name, u".cpf") || name.size() > kHiddenNameUnits) return name;
            const std::u16string hidden =
                owned(Enc_EncryptFolder(as_exported(name), as_exported(password)));
            if (owned(Enc_DecryptFolder(as_exported(hidden), as_exported(password))) != name)
                return name;
            return hidden + u".cpf";
        }
        if (!has_extension(name, u".cpf")) return name;
        const std::u16string restored =
            owned(Enc_DecryptFolder(as_exported(name.substr(0, name.size() - 4)),
                                    as_exported(password)));
        if (restored.empty() || restored == u"." || restored == u".." ||
            restored.find_first_of(u"\\/:*?\"<>|") != std::u16string::npos) {
            plan_.refusals.push_back(shown(name) + ": the hidden folder name does not restore "
                                                   "with this password");
            return {};
        }
        return restored;
    }

    void folder(const std::u16string &source, const std::u16string &output) {
        std::vector<Item> items;
        if (!list(source, options_, items)) {
            plan_.skipped.push_back(shown(source) + ": cannot be listed" + last_error_reason());
            return;
        }
        for (const Item &item : items) {
            const std::u16string path = source + u"\\" + item.name;
            if (item.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                plan_.skipped.push_back(shown(path) + ": a link, not followed");
            } else if (!(item.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                if (!options_.only_folders) file(path, output + u"\\", item.size);
            } else if (options_.subfolders) {
                const std::u16string renamed = folder_name(item.name);
                if (renamed.empty()) continue;
                std::u16string inner = output + u"\\" + renamed;
                if (options_.out_folder.empty()) {
                    inner = path;
                    if (renamed != item.name) plan_.renames.push_back({path, source + u"\\" + renamed});
                } else {
                    plan_.make.push_back(inner);
                }
                ++plan_.folders;
                folder(path, inner);
            }
        }
    }

    void file(const std::u16string &path, const std::u16string &output, int64_t size) {
        const std::u16string name = last_of(path);
        const bool container = has_extension(name, u".cpt");
        if (options_.encrypting) {
            if (container) return;  // containers are never encrypted again
            if (size < 0) size = std::max<int64_t>(0, listed_size(path));
            plan_.jobs.push_back({path, output, container_name(name, output), size, 1});
            plan_.bytes += size;
            return;
        }
        if (!container && size >= 0) return;  // a folder's other files
        const ContainerCheck check = check_container(path, options_.password);
        const std::string reason = shown(path) + ": " + container_reason(check);
        switch (check.verdict) {
        case ContainerCheck::kReadable:
            ++checked_;
            plan_.jobs.push_back({path, output, check.first_name, check.first_size, check.entries});
            plan_.bytes += check.first_size > 0 ? check.first_size : 0;
            break;
        case ContainerCheck::kWrongPassword:
        case ContainerCheck::kOtherZone: plan_.refusals.push_back(reason); break;
        default: plan_.skipped.push_back(reason + last_error_reason());
        }
    }

    std::u16string container_name(const std::u16string &name, const std::u16string &folder) {
        if (options_.naming == 0) return name + u".cpt";
        if (options_.naming == 2) {
            std::unique_ptr<char[]> ansi(Str_FromUnicode(as_exported(name), 0xFFFFFFFFu));
            unsigned char digest[33] = {};
            if (ansi) Md5(reinterpret_cast<const unsigned char *>(ansi.get()), digest);
            return std::u16string(digest, digest + 32) + u".cpt";
        }
        const time_t when = static_cast<time_t>(options_.key_time);
        const std::tm *local = std::localtime(&when);
        char stamp[32] = "";
        if (local)
            std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", local);
        for (int counter = 0;; ++counter) {
            char text[48];
            std::snprintf(text, sizeof text, "%s_%04d.cpt", stamp, counter);
            const std::u16string candidate(text, text + std::char_traits<char>::length(text));
            if (taken_.insert(folder + candidate).second &&
                GetFileAttributesW(as_wide(folder + candidate)) == INVALID_FILE_ATTRIBUTES)
                return candidate;
        }
    }

    const PlanOptions &options_;
    Plan &plan_;
    std::set<std::u16string> taken_;  // names counted out in this run
    int checked_ = 0;                 // containers the password opened
};

}  // namespace

Plan plan_path(const std::u16string &path, const PlanOptions &options) {
    Plan plan;
    std::u16string bare = path;
    while (bare.size() > 3 && bare.back() == u'\\') bare.pop_back();
    Planner(options, plan).path(bare);
    return plan;
}

void check_outputs(const PlanOptions &options, std::vector<Plan> &plans) {
    std::map<std::u16string, std::pair<size_t, std::u16string>> outputs;
    // Nothing exists in a folder that does not: each output folder is
    // looked at once, its outputs only when it is there.
    std::map<std::u16string, bool> folders;
    auto exists = [&folders](const Job &job) {
        auto folder = folders.find(job.folder);
        if (folder == folders.end())
            folder = folders.emplace(job.folder, GetFileAttributesW(as_wide(job.folder)) !=
                                                     INVALID_FILE_ATTRIBUTES).first;
        return folder->second &&
               GetFileAttributesW(as_wide(job.folder + job.name)) != INVALID_FILE_ATTRIBUTES;
    };
    for (size_t i = 0; i < plans.size(); ++i) {
        Plan &plan = plans[i];
        for (const Job &job : plan.jobs) {
            const std::u16string output = job.folder + job.name;
            const auto known = outputs.emplace(output, std::make_pair(i, job.source));
            if (!known.second) {
                const std::string text = shown(known.first->second.second) + " and " +
                                         shown(job.source) + " would both become " + shown(output);
                plan.refusals.push_back(text);
                if (known.first->second.first != i)
                    plans[known.first->second.first].refusals.push_back(text);
            } else if (!options.force && exists(job)) {
                plan.refusals.push_back(shown(output) + " exists (--force replaces it)");
            } else if (output.size() + 24 >= QUORVEL_MAX_TEXT) {
                plan.refusals.push_back(shown(output) + ": path too long");
            }
        }
        for (const Rename &rename : plan.renames)
            if (GetFileAttributesW(as_wide(rename.to)) != INVALID_FILE_ATTRIBUTES)
                plan.refusals.push_back(shown(rename.from) + " cannot be renamed: " +
                                        shown(rename.to) + " exists");
        for (const std::u16string &folder : plan.make) {
            const DWORD attributes = GetFileAttributesW(as_wide(folder));
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                plan.refusals.push_back(shown(folder) + " exists and is not a folder");
        }
    }
}

}  // namespace cli
