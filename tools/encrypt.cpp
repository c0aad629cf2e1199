// quorvel encrypt / decrypt / view: the library's main job on the command
// line, safe by default. The run is planned first (tree_plan.h): nothing is
// written, renamed or replaced until every output is known not to collide,
// the password opens the containers and they were made in this time zone.
// The password comes from a file, the environment or a prompt, never from
// an argument.
#include "command.h"
#include "console.h"
#include "container_check.h"
#include "host_path.h"
#include "password.h"
#include "run_plan.h"

#include <quorvel/encrypt.h>
#include <quorvel/frame.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

enum Exit { kDone = 0, kFailed = 1, kUsage = 2, kCancelled = 130 };

// Options of both commands, then those of encrypt only.
const char kCommon[] =
    "  --out-folder DIR      write into DIR (the folders named keep their tree under\n"
    "                        it) instead of beside each source\n"
    "  --subfolders          descend into sub-folders\n"
    "  --hide-folder-names   %s\n"
    "  --log                 write a log (%s) beside the output\n"
    "  --include-hidden      include hidden files and folders\n"
    "  --include-system      include system files and folders\n"
    "  --only-folders        work on folders only, skip single files\n"
    "  --force               replace files that exist (whole outputs only)\n"
    "  --stop-on-error       stop at the first file that fails\n"
    "  --quiet               no progress line, only errors and the summary\n"
    "  --password-file FILE  the password is FILE's first line (UTF-8)\n";
const char kEncryptOnly[] =
    "  --name original|time|md5\n"
    "                        container names: NAME.cpt (default), the key time and a\n"
    "                        counter, or the MD5 of the name\n"
    "  --verify              read each container back after writing it\n"
    "  --key-time SECONDS    the key time (default: now)\n";
const char kFooter[] =
    "The password is otherwise taken from QUORVEL_PASSWORD, else asked for on the\n"
    "terminal. Nothing is written while a name collides, an output exists (without\n"
    "--force) or the password does not open a container. Exit status: 0 done,\n"
    "1 a failure (each named on standard error), 2 usage, 130 cancelled (Ctrl-C).\n";

const char *g_command = "";

struct Options {
    std::vector<std::u16string> paths;
    std::string password_file;
    bool quiet = false, force = false, stop_on_error = false;
    long long key_time = static_cast<long long>(std::time(nullptr));
};

int usage(const char *command, bool help) {
    std::FILE *out = help ? stdout : stderr;
    if (std::strcmp(command, "view") == 0) {
        std::fprintf(out,
                     "usage: quorvel view [--password-file FILE] CONTAINER\n"
                     "Shows a container's format version and its first stored name.\n");
        return help ? kDone : kUsage;
    }
    const bool encrypting = command[0] == 'e';
    std::fprintf(out, "usage: quorvel %s [options] PATH...\n%s\n", command,
                 encrypting ? "Encrypts each file into a container and each folder's files "
                              "into containers."
                            : "Restores each container, and the containers in each folder.");
    std::fprintf(out, kCommon,
                 encrypting ? "hide folder names as .cpf names" : "restore hidden (.cpf) folder names",
                 encrypting ? "_Enc.log" : "_Dec.log");
    if (encrypting) std::fputs(kEncryptOnly, out);
    std::fputs(kFooter, out);
    return help ? kDone : kUsage;
}

bool set_flag(const std::string &option, bool encrypting, Options &options) {
    const struct {
        const char *name;
        unsigned char *global;
        unsigned char value;
        bool both;
    } flags[] = {
        {"--subfolders", &g_cSubFolder, 1, true},    {"--hide-folder-names", &g_cEncFolder, 1, true},
        {"--verify", &g_cVerify, 1, false},          {"--log", &g_cOutputLog, 1, true},
        {"--include-hidden", &g_cHideFile, 1, true}, {"--include-system", &g_cSystemFolder, 1, true},
        {"--only-folders", &g_cOnlyFolder, 1, true},
    };
    for (const auto &flag : flags)
        if (option == flag.name && (flag.both || encrypting)) {
            *flag.global = flag.value;
            return true;
        }
    bool *switches[] = {&options.quiet, &options.force, &options.stop_on_error};
    const char *names[] = {"--quiet", "--force", "--stop-on-error"};
    for (int i = 0; i < 3; ++i)
        if (option == names[i]) return *switches[i] = true;
    return false;
}

// Parses the arguments into the globals and options; false on a usage error.
bool parse(int argc, char **argv, bool encrypting, Options &options, std::u16string &out) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        if (set_flag(option, encrypting, options)) continue;
        if (option == "--out-folder" && has_value) {
            out = cli::library_path(argv[++i]);
            if (out.back() != u'\\') out += u'\\';
            if (out.size() >= QUORVEL_MAX_TEXT) return false;
        } else if (option == "--name" && has_value && encrypting) {
            const std::string name = argv[++i];
            if (name == "original") g_cOutName = 0;
            else if (name == "time") g_cOutName = 1;
            else if (name == "md5") g_cOutName = 2;
            else return false;
        } else if (option == "--key-time" && has_value && encrypting) {
            char *end = nullptr;
            options.key_time = std::strtoll(argv[++i], &end, 10);
            if (*end || options.key_time < 0 || options.key_time > 0x7FFFFFFF) return false;
        } else if (option == "--password-file" && has_value) {
            options.password_file = argv[++i];
        } else if (option.size() > 1 && option[0] == '-') {
            return false;
        } else {
            options.paths.push_back(cli::library_path(argv[i]));
        }
    }
    return !options.paths.empty();
}

int run(int argc, char **argv, bool encrypting) {
    g_command = encrypting ? "encrypt" : "decrypt";
    if (cli::wants_help(argc, argv)) return usage(g_command, true);
    Options options;
    cli::PlanOptions plan_options;
    if (!parse(argc, argv, encrypting, options, plan_options.out_folder))
        return usage(g_command, false);
    cli::use_time_zone(g_command);
    for (const std::u16string &path : options.paths)
        if (!Cfl_IsExist(as_exported(path))) {
            std::fprintf(stderr, "quorvel %s: no such file or folder: %s\n", g_command,
                         cli::host_path(as_exported(path)).c_str());
            return kFailed;
        }
    std::u16string password;
    if (!cli::read_password(g_command, options.password_file, encrypting, password) ||
        (!cli::password_survives_ansi(g_command, password) && encrypting))
        return kFailed;

    plan_options.encrypting = encrypting;
    plan_options.subfolders = g_cSubFolder, plan_options.hide_names = g_cEncFolder;
    plan_options.hidden = g_cHideFile, plan_options.system = g_cSystemFolder;
    plan_options.only_folders = g_cOnlyFolder, plan_options.force = options.force;
    plan_options.naming = g_cOutName, plan_options.key_time = static_cast<long>(options.key_time);
    plan_options.password = password;
    std::vector<cli::Plan> plans;
    for (const std::u16string &path : options.paths)
        plans.push_back(cli::plan_path(path, plan_options));
    cli::check_outputs(plan_options, plans);

    cli::RunReport report(g_command, !options.quiet && cli::error_is_terminal());
    int files = 0;
    int64_t bytes = 0;
    bool refused = false;
    for (const cli::Plan &plan : plans) {
        refused = refused || !plan.refusals.empty();
        if (plan.refusals.empty()) files += static_cast<int>(plan.jobs.size()), bytes += plan.bytes;
    }
    cli::RunSettings settings;
    settings.encrypting = encrypting, settings.force = options.force;
    settings.stop_on_error = options.stop_on_error, settings.log = g_cOutputLog != 0;
    settings.key_time = static_cast<long>(options.key_time), settings.password = password;
    g_cOutputLog = settings.log && !encrypting;  // the reader's log; the writer's is ours

    Prg_SetCancel(0);
    cli::cancel_on_interrupt();
    report.start(files, bytes);
    for (size_t i = 0; i < plans.size(); ++i) {
        const cli::Plan &plan = plans[i];
        for (const std::string &line : plan.skipped) report.failure(line);
        for (const std::string &line : plan.refusals) report.failure(line);
        if (!plan.refusals.empty())
            report.failure(cli::host_path(as_exported(options.paths[i])) + ": nothing done");
        if (options.stop_on_error && (refused || report.failures())) break;
        if (plan.refusals.empty() && !cli::run_plan(plan, settings, report)) break;
    }
    const bool cancelled = Prg_IsCancel() != 0;
    report.finish(cancelled);
    if (cancelled) return kCancelled;
    return report.failures() ? kFailed : kDone;
}

int encrypt(int argc, char **argv) { return run(argc, argv, true); }
int decrypt(int argc, char **argv) { return run(argc, argv, false); }

int view(int argc, char **argv) {
    g_command = "view";
    if (cli::wants_help(argc, argv)) return usage("view", true);
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--password-file") == 0 && i + 1 < argc)
            options.password_file = argv[++i];
        else if (argv[i][0] == '-' || !options.paths.empty())
            return usage("view", false);
        else
            options.paths.push_back(cli::library_path(argv[i]));
    }
    if (options.paths.empty()) return usage("view", false);
    cli::use_time_zone(g_command);
    std::u16string password;
    if (!cli::read_password(g_command, options.password_file, false, password)) return kFailed;
    cli::password_survives_ansi(g_command, password);
    const cli::ContainerCheck check = cli::check_container(options.paths[0], password);
    if (check.verdict != cli::ContainerCheck::kReadable) {
        std::fprintf(stderr, "quorvel view: %s: %s\n",
                     cli::host_path(as_exported(options.paths[0])).c_str(),
                     check.verdict == cli::ContainerCheck::kNoFile
                         ? ("no such container" + cli::last_error_reason()).c_str()
                         : cli::container_reason(check).c_str());
        return kFailed;
    }
    std::printf("format version: %d\nfirst name:     %s\n", check.version,
                cli::utf8(as_exported(check.first_name)).c_str());
    return kDone;
}

}  // namespace

QUORVEL_COMMAND("encrypt", "[options] PATH...  files and folders into containers (--help)", encrypt);
QUORVEL_COMMAND("decrypt", "[options] PATH...  containers, and folders of them, restored (--help)", decrypt);
QUORVEL_COMMAND("view", "CONTAINER  a container's format version and first stored name", view);
