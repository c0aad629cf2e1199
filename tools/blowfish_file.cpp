// quorvel bf-encrypt / bf-decrypt / bf-verify: the library's Blowfish file
// streams between two files, under the MD5 hex digest of a password's UTF-8
// bytes (the form of key the library's containers use), with progress on
// the terminal.
#include "command.h"
#include "console.h"
#include "host_path.h"
#include "password.h"

#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Files {
    void *input = nullptr;
    void *output = nullptr;
    ~Files() {
        if (input) Fl_Close(input);
        if (output) Fl_Close(output);
    }
};

int run(const char *name, int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage(name, stdout);
    const char kind = name[3];  // 'e'ncrypt, 'd'ecrypt or 'v'erify
    std::string password_file;
    bool force = false;
    std::vector<const char *> operands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--password-file") == 0 && i + 1 < argc) {
            password_file = argv[++i];
        } else if (std::strcmp(argv[i], "--force") == 0 && kind != 'v') {
            force = true;
        } else if (argv[i][0] == '-' && argv[i][1]) {
            return cli::show_usage(name, stderr);
        } else {
            operands.push_back(argv[i]);
        }
    }
    if (operands.size() != (kind == 'e' ? 2u : 3u)) return cli::show_usage(name, stderr);
    char *end = nullptr;
    const long long length = kind == 'e' ? 0 : std::strtoll(operands[2], &end, 10);
    if (kind != 'e' && (*end || length < 0)) return cli::show_usage(name, stderr);

    const std::u16string input = cli::library_path(operands[0]);
    const std::u16string output = cli::library_path(operands[1]);
    if (kind != 'v' && !force && Cfl_IsExist(as_exported(output))) {
        std::fprintf(stderr, "quorvel %s: %s exists (--force replaces it)\n", name, operands[1]);
        return 1;
    }
    std::u16string password;
    if (!cli::read_password(name, password_file, kind == 'e', password)) return 1;
    unsigned char key[33];
    Md5(reinterpret_cast<const unsigned char *>(cli::utf8(as_exported(password)).c_str()), key);

    Files files;
    files.input = Fl_Open(as_exported(input), FL_READ, 1);
    if (!files.input) return 1;
    files.output = Fl_Open(as_exported(output), kind == 'v' ? FL_READ : FL_CREATE, 1);
    if (!files.output) return 1;

    // The progress window shows on a terminal (on Windows, as the dialog).
    Prg_SetCancel(0);
    cli::cancel_on_interrupt();
    Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr);
    const std::u16string title(name, name + std::strlen(name));
    Prg_OpenProgress(as_exported(title));
    Prg_SetFileName(as_exported(input));
    Bwf_FuncCall(Prg_ProgressCall);
    int result;
    if (kind == 'e')
        result = Bwf_Encrypt(files.input, files.output, key, Fl_FileSize(files.input));
    else if (kind == 'd')
        result = Bwf_Decrypt(files.input, files.output, key, length);
    else
        result = Bwf_Verify(files.input, files.output, key, length);
    const bool cancelled = Prg_IsCancel() != 0;
    Prg_CloseProgress();
    if (cancelled) {
        std::fprintf(stderr, "quorvel %s: cancelled\n", name);
        return 130;
    }
    if (kind == 'v' && result == 0)
        std::fprintf(stderr, "quorvel %s: the files differ\n", name);
    else if (result != 1)
        std::fprintf(stderr, "quorvel %s: failed%s\n", name, cli::last_error_reason().c_str());
    return result == 1 ? 0 : 1;
}

int encrypt(int argc, char **argv) { return run("bf-encrypt", argc, argv); }
int decrypt(int argc, char **argv) { return run("bf-decrypt", argc, argv); }
int verify(int argc, char **argv) { return run("bf-verify", argc, argv); }

}  // namespace

QUORVEL_COMMAND("bf-encrypt",
                "[--password-file FILE] [--force] INPUT OUTPUT  Blowfish (ECB) of a file, zero-padded to 8",
                encrypt);
QUORVEL_COMMAND("bf-decrypt",
                "[--password-file FILE] [--force] INPUT OUTPUT LENGTH  the first LENGTH plain bytes back",
                decrypt);
QUORVEL_COMMAND("bf-verify",
                "[--password-file FILE] ENCIPHERED ORIGINAL LENGTH  exit 0 when they match", verify);
