// quorvel encrypt / decrypt / view: the library's main job on the command
// line. Options map onto the encryption option globals; the password comes
// from a file, the environment or a prompt, never from an argument.
#include "command.h"
#include "console.h"
#include "host_path.h"
#include "password.h"

#include <quorvel/encrypt.h>
#include <quorvel/fileops.h>
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

const char kOptions[] =
    "  --out-folder DIR      write into DIR instead of beside each source (when\n"
    "                        decrypting, every restored container's tree goes there)\n"
    "  --name original|time|md5\n"
    "                        container names: NAME.cpt (default), the key time and a\n"
    "                        counter, or the MD5 of the name\n"
    "  --subfolders          descend into sub-folders\n"
    "  --hide-folder-names   hide (restore) folder names as .cpf names\n"
    "  --verify              read each container back after writing it\n"
    "  --log                 write a log (_Enc.log, _Dec.log) beside the output\n"
    "  --include-hidden      include hidden files and folders\n"
    "  --include-system      include system files and folders\n"
    "  --only-folders        work on folders only, skip single files\n"
    "  --stop-on-error       stop at the first file that fails\n"
    "  --password-file FILE  the password is FILE's first line (UTF-8)\n";
const char kFooter[] =
    "The password is otherwise taken from QUORVEL_PASSWORD, else asked for on the\n"
    "terminal. Exit status: 0 done, 1 a failure or a wrong password, 2 usage,\n"
    "130 cancelled (Ctrl-C).\n";

void print(std::FILE *stream, const std::u16string &text) {
    std::fputs(cli::utf8(cli::u16(text)).c_str(), stream);
}

// Failures seen through the result callback (a skipped failure still
// makes the exit status 1).
int g_failures = 0;
const char *g_command = "";

void on_result(unsigned char result, const unsigned short *path, const unsigned short *other,
               int) {
    if (result) return;
    ++g_failures;
    if (Prg_IsCancel()) return;
    std::fprintf(stderr, "quorvel %s: %s%s%s\n", g_command, other ? "failed: " : "wrong password: ",
                 cli::host_path(path).c_str(), other ? cli::last_error_reason().c_str() : "");
}

struct Options {
    std::vector<std::u16string> paths;
    std::string password_file;
    long long key_time = static_cast<long long>(std::time(nullptr));
};

int usage(const char *command, bool help) {
    std::FILE *out = help ? stdout : stderr;
    if (std::strcmp(command, "view") == 0) {
        std::fprintf(out,
                     "usage: quorvel view [--password-file FILE] CONTAINER\n"
                     "Shows a container's format version and its first stored name.\n");
    } else {
        std::fprintf(out, "usage: quorvel %s [options] PATH...\n%s\n%s", command,
                     command[0] == 'e'
                         ? "Encrypts each file into a container and each folder's files "
                           "into containers."
                         : "Restores each container, and the containers in each folder.",
                     kOptions);
        if (command[0] == 'e')
            std::fprintf(out, "  --key-time SECONDS    the key time (default: now)\n");
        std::fputs(kFooter, out);
    }
    return help ? kDone : kUsage;
}

bool set_flag(const std::string &option) {
    const struct {
        const char *name;
        unsigned char *global;
        unsigned char value;
    } flags[] = {
        {"--subfolders", &g_cSubFolder, 1},      {"--hide-folder-names", &g_cEncFolder, 1},
        {"--verify", &g_cVerify, 1},             {"--log", &g_cOutputLog, 1},
        {"--include-hidden", &g_cHideFile, 1},   {"--include-system", &g_cSystemFolder, 1},
        {"--only-folders", &g_cOnlyFolder, 1},   {"--stop-on-error", &g_cSkipError, 0},
    };
    for (const auto &flag : flags)
        if (option == flag.name) {
            *flag.global = flag.value;
            return true;
        }
    return false;
}

// Parses the arguments into the globals; false on a usage error.
bool parse(int argc, char **argv, bool encrypting, Options &options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        if (set_flag(option)) continue;
        if (option == "--out-folder" && has_value) {
            std::u16string folder = cli::library_path(argv[++i]);
            if (folder.back() != u'\\') folder += u'\\';
            if (folder.size() >= QUORVEL_MAX_TEXT) return false;
            std::memcpy(g_szWrkDir, folder.c_str(), (folder.size() + 1) * sizeof(char16_t));
            g_cOutFolder = 3;
        } else if (option == "--name" && has_value) {
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
    if (!parse(argc, argv, encrypting, options)) return usage(g_command, false);
    for (const std::u16string &path : options.paths)
        if (!Cfl_IsExist(cli::u16(path))) {
            std::fprintf(stderr, "quorvel %s: no such file or folder: %s\n", g_command,
                         cli::host_path(cli::u16(path)).c_str());
            return kFailed;
        }
    std::u16string password;
    if (!cli::read_password(g_command, options.password_file, encrypting, password)) return kFailed;
    if (g_cOutFolder == 3 && !Cfl_CreateFolder(g_szWrkDir)) return kFailed;

    Enc_FuncCallResult(on_result);
    Prg_SetCancel(0);
    cli::cancel_on_interrupt();
    Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr);
    Prg_OpenProgress(cli::u16(encrypting ? u"Quorvel 暗号化" : u"Quorvel 複合化"));
    int result = 1;
    for (const std::u16string &path : options.paths) {
        unsigned short buffer[QUORVEL_MAX_TEXT] = {};
        if (path.size() + 1 >= QUORVEL_MAX_TEXT) continue;
        std::memcpy(buffer, path.c_str(), path.size() * sizeof(char16_t));
        result = encrypting ? Enc_Encrypt(nullptr, buffer, cli::u16(password),
                                          static_cast<LONG>(options.key_time), 0)
                            : Enc_Decrypt(nullptr, buffer, cli::u16(password), 0);
        if (result != 1) break;
    }
    const bool cancelled = Prg_IsCancel() != 0;
    Prg_CloseProgress();
    if (cancelled) {
        std::fprintf(stderr, "quorvel %s: cancelled\n", g_command);
        return kCancelled;
    }
    return result == 1 && g_failures == 0 ? kDone : kFailed;
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
    std::u16string password;
    if (!cli::read_password(g_command, options.password_file, false, password)) return kFailed;
    char16_t name[QUORVEL_MAX_TEXT] = u"";
    const int version = Enc_DecryptView(cli::u16(password), cli::u16(options.paths[0]),
                                        reinterpret_cast<unsigned short *>(name));
    if (version <= 0) {
        std::fprintf(stderr, "quorvel view: %s\n",
                     version < 0 ? "no such container" : "wrong password or unreadable container");
        return kFailed;
    }
    std::printf("format version: %d\nfirst name:     ", version);
    print(stdout, name[0] ? name : u"(none readable)");
    std::printf("\n");
    return kDone;
}

}  // namespace

QUORVEL_COMMAND("encrypt", "[options] PATH...  files and folders into containers (--help)", encrypt);
QUORVEL_COMMAND("decrypt", "[options] PATH...  containers, and folders of them, restored (--help)", decrypt);
QUORVEL_COMMAND("view", "CONTAINER  a container's format version and first stored name", view);
