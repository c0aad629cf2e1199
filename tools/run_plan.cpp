// Runs a plan: outputs under temporary names, renamed into place when whole.
#include "run_plan.h"

#include "host_path.h"

#include <quorvel/encrypt.h>
#include <quorvel/fileops.h>
#include <quorvel/fl.h>
#include <quorvel/progress.h>

#include "platform/win32.h"

#include <cstdio>
#include <set>

namespace cli {
namespace {

std::string shown(const std::u16string &path) { return host_path(as_exported(path)); }

// A temporary output of ours, whatever attributes the library gave it.
void remove_tree(const std::u16string &path) {
    SetFileAttributesW(as_wide(path), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(as_wide(path))) return;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(as_wide(path + u"\\*.*"), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string name(as_u16(data.cFileName));
            if (name != u"." && name != u"..") remove_tree(path + u"\\" + name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(as_wide(path));
}

bool move(const std::u16string &from, const std::u16string &to, bool replace) {
    return MoveFileExW(as_wide(from), as_wide(to), replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
}

// The encryption log, written here because the run walks the tree itself:
// the library's line format, UTF-16LE.
void *g_log = nullptr;

// The size the writer measured the last original at, which the run
// compares with the plan's: an unreadable original becomes an empty entry,
// and one that changed since it was listed has another size.
int64_t g_encrypted_size = -1;

void encrypted_entry(unsigned char, const unsigned short *original, const unsigned short *,
                     int64_t size) {
    g_encrypted_size = size;
    if (!g_log) return;
    char line[40];
    std::snprintf(line, sizeof line, "000 [%12lld] ", static_cast<long long>(size));
    std::u16string text(line, line + std::char_traits<char>::length(line));
    text += as_u16(original);
    text += u'\n';
    Fl_Write(g_log, text.data(), static_cast<uint32_t>(text.size() * sizeof(char16_t)));
}

// The last file the reader restored and its size as its handle had it when
// closed, which the size check compares with the layout's.
std::u16string g_restored;
int64_t g_restored_size = -1;

void restored_entry(unsigned char result, const unsigned short *, const unsigned short *path,
                    int64_t size) {
    g_restored = result == 1 && size >= 0 ? as_u16(path) : u"";
    g_restored_size = size;
}

class Runner {
public:
    Runner(const Plan &plan, const RunSettings &settings, RunReport &report)
        : plan_(plan), settings_(settings), report_(report) {}

    bool run() {
        for (const std::u16string &folder : plan_.make)
            if (!Cfl_CreateFolder(as_exported(folder))) {
                report_.failure(shown(folder) + ": cannot be made" + last_error_reason());
                return !settings_.stop_on_error;
            }
        bool going = true;
        for (const Job &job : plan_.jobs) {
            if (Prg_IsCancel()) {
                going = false;
                break;
            }
            const bool whole = settings_.encrypting ? encrypt(job) : decrypt(job);
            if (!whole) ++failed_;
            if (Prg_IsCancel() || (!whole && settings_.stop_on_error)) {
                going = false;
                break;
            }
        }
        for (const std::u16string &folder : scratch_) remove_tree(folder);
        if (!going) return false;
        if (failed_ && !plan_.renames.empty()) {
            report_.failure("folder names left as they are, after the failures above");
            return !settings_.stop_on_error;
        }
        for (const Rename &rename : plan_.renames)
            if (!move(rename.from, rename.to, false)) {
                report_.failure(shown(rename.from) + ": cannot be renamed to " + shown(rename.to) +
                                last_error_reason());
                if (settings_.stop_on_error) return false;
            }
        for (int i = 0; i < plan_.folders; ++i) report_.folder_done();
        return true;
    }

private:
    bool encrypt(const Job &job) {
        const std::u16string target = job.folder + job.name;
        const std::u16string part = job.folder + u"." + job.name + u".part";
        if (GetFileAttributesW(as_wide(part)) != INVALID_FILE_ATTRIBUTES)
            return fail(job.source, shown(part) + " is in the way");
        report_.begin(part);
        g_encrypted_size = -1;
        const int result = Enc_EncryptHead(as_exported(settings_.password), as_exported(job.source),
                                           as_exported(part), static_cast<LONG>(settings_.key_time));
        const std::string reason = last_error_reason();
        if (result != 1) {
            remove_tree(part);
            return Prg_IsCancel() ? false : fail(job.source, "not encrypted" + reason);
        }
        if (g_encrypted_size != job.size) {
            // An original that cannot be read becomes an empty entry: say why.
            remove_tree(part);
            void *original = Fl_Open(as_exported(job.source), FL_READ, 0);
            if (!original) return fail(job.source, "cannot be read" + last_error_reason());
            Fl_Close(original);
            return fail(job.source, "changed while it was read; not encrypted");
        }
        if (!move(part, target, settings_.force)) {
            const std::string why = last_error_reason();
            remove_tree(part);
            return fail(job.source, "cannot become " + shown(target) + why);
        }
        report_.done(job.size);
        return true;
    }

    bool decrypt(const Job &job) {
        const std::u16string scratch = job.folder + u".quorvel-restore";
        if (scratch_.insert(scratch).second) {
            if (GetFileAttributesW(as_wide(scratch)) != INVALID_FILE_ATTRIBUTES ||
                !CreateDirectoryW(as_wide(scratch), nullptr)) {
                scratch_.erase(scratch);
                return fail(job.source, "cannot make " + shown(scratch) + last_error_reason());
            }
        }
        const std::u16string restored = scratch + u"\\" + job.name;
        report_.begin(restored);
        g_restored.clear();
        const int result =
            Enc_DecryptHead(as_exported(settings_.password), as_exported(job.source), as_exported(scratch + u"\\"));
        const std::string reason = last_error_reason();
        bool whole = result == 1;
        if (whole && job.entries == 1 && !settings_.log) {
            whole = job.size < 0 || (g_restored == restored && g_restored_size == job.size);
            if (whole && !move(restored, job.folder + job.name, settings_.force))
                return clean(scratch, job.source, "cannot become " + shown(job.folder + job.name) +
                                                      last_error_reason());
        } else if (whole) {
            whole = move_all(scratch, job.folder);
            if (!whole)
                return clean(scratch, job.source, "cannot be put in place" + last_error_reason());
        }
        if (!whole) {
            if (Prg_IsCancel()) return clean(scratch, {}, {});
            return clean(scratch, job.source, result == 1 ? "restored short" : "not restored" + reason);
        }
        report_.done(job.size > 0 ? job.size : 0);
        return true;
    }

    // Every restored entry from the scratch folder into place.
    bool move_all(const std::u16string &scratch, const std::u16string &folder) {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(as_wide(scratch + u"\\*.*"), &data);
        if (find == INVALID_HANDLE_VALUE) return false;
        do {
            const std::u16string name(as_u16(data.cFileName));
            if (name != u"." && name != u"..") names.push_back(name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        for (const std::u16string &name : names) {
            const bool log = name.size() > 8 && name.compare(name.size() - 8, 8, u"_Dec.log") == 0;
            if (log) put_log(scratch, name, folder);
            else if (!move(scratch + u"\\" + name, folder + name, settings_.force)) return false;
        }
        return true;
    }

    // The reader's log names the scratch folder; the user's copy names the
    // places the files went to.
    void put_log(const std::u16string &scratch, const std::u16string &name,
                 const std::u16string &folder) {
        std::u16string text;
        if (void *in = Fl_Open(as_exported(scratch + u"\\" + name), FL_READ, 0)) {
            char16_t buffer[2048];
            uint32_t count;
            while ((count = Fl_Read(in, buffer, sizeof buffer)) != FL_FAILED && count > 0)
                text.append(buffer, count / 2);
            Fl_Close(in);
        }
        const std::u16string from = scratch + u"\\", to = folder;
        for (size_t at = 0; (at = text.find(from, at)) != std::u16string::npos; at += to.size())
            text.replace(at, from.size(), to);
        DeleteFileW(as_wide(folder + name));
        if (void *out = Fl_Open(as_exported(folder + name), FL_WRITE, 0)) {
            Fl_Write(out, text.data(), static_cast<uint32_t>(text.size() * 2));
            Fl_Close(out);
        }
        DeleteFileW(as_wide(scratch + u"\\" + name));
    }

    bool clean(const std::u16string &scratch, const std::u16string &source, const std::string &why) {
        remove_tree(scratch);
        CreateDirectoryW(as_wide(scratch), nullptr);
        return source.empty() ? false : fail(source, why);
    }

    bool fail(const std::u16string &source, const std::string &why) {
        report_.failure(shown(source) + ": " + why);
        return false;
    }

    const Plan &plan_;
    const RunSettings &settings_;
    RunReport &report_;
    std::set<std::u16string> scratch_;
    int failed_ = 0;
};

}  // namespace

bool run_plan(const Plan &plan, const RunSettings &settings, RunReport &report) {
    if (settings.encrypting && settings.log && !plan.log.empty()) {
        DeleteFileW(as_wide(plan.log));
        g_log = Fl_Open(as_exported(plan.log), FL_WRITE, 0);
    }
    Enc_FuncCallLogging(settings.encrypting ? encrypted_entry : restored_entry);
    const bool going = Runner(plan, settings, report).run();
    if (g_log) Fl_Close(g_log);
    g_log = nullptr;
    Enc_FuncCallLogging(nullptr);
    return going;
}

}  // namespace cli
