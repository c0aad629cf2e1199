// quorvel bf-encrypt / bf-decrypt / bf-verify: the library's Blowfish file
// streams between two files, under the MD5 hex digest of a password (the
// form of key the library's containers use), with progress on the terminal.
#include "command.h"
#include "host_path.h"

#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/progress.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Files {
    void *input = nullptr;
    void *output = nullptr;
    ~Files() {
        if (input) Fl_Close(input);
        if (output) Fl_Close(output);
    }
};

int run(const char *name, int argc, char **argv, bool needs_length) {
    if (argc != (needs_length ? 5 : 4)) {
        std::fprintf(stderr, "usage: quorvel %s PASSWORD INPUT OUTPUT%s\n", name,
                     needs_length ? " LENGTH" : "");
        return 2;
    }
    unsigned char key[33];
    Md5(reinterpret_cast<const unsigned char *>(argv[1]), key);

    const bool verify = name[3] == 'v';
    Files files;
    files.input = Fl_Open(cli::u16(cli::library_path(argv[2])), FL_READ, 1);
    files.output = Fl_Open(cli::u16(cli::library_path(argv[3])), verify ? FL_READ : FL_CREATE, 1);
    if (!files.input || !files.output) return 1;

    const int64_t size = Fl_FileSize(files.input);
    const int64_t length = needs_length ? std::strtoll(argv[4], nullptr, 10) : size;
    // The progress window shows on a terminal (on Windows, as the dialog).
    Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr);
    const std::u16string title(name, name + std::strlen(name));
    Prg_OpenProgress(cli::u16(title));
    Prg_SetFileName(cli::u16(cli::library_path(argv[2])));
    Bwf_FuncCall(Prg_ProgressCall);
    int result;
    if (name[3] == 'e')
        result = Bwf_Encrypt(files.input, files.output, key, size);
    else if (name[3] == 'd')
        result = Bwf_Decrypt(files.input, files.output, key, length);
    else
        result = Bwf_Verify(files.input, files.output, key, length);
    Prg_CloseProgress();
    if (result != 1) std::fprintf(stderr, "quorvel %s: %s\n", name,
                                  verify && result == 0 ? "the files differ" : "failed");
    return result == 1 ? 0 : 1;
}

int encrypt(int argc, char **argv) { return run("bf-encrypt", argc, argv, false); }
int decrypt(int argc, char **argv) { return run("bf-decrypt", argc, argv, true); }
int verify(int argc, char **argv) { return run("bf-verify", argc, argv, true); }

}  // namespace

QUORVEL_COMMAND("bf-encrypt", "PASSWORD INPUT OUTPUT  Blowfish (ECB) of a file, zero-padded to 8", encrypt);
QUORVEL_COMMAND("bf-decrypt", "PASSWORD INPUT OUTPUT LENGTH  the first LENGTH plain bytes back", decrypt);
QUORVEL_COMMAND("bf-verify", "PASSWORD ENCIPHERED ORIGINAL LENGTH  exit 0 when they match", verify);
