// quorvel md5 TEXT / quorvel hmac KEY TEXT: the library's MD5 and HMAC-MD5
// of the command line's bytes, as lowercase hex.
#include "command.h"

#include <quorvel/crypto.h>

#include <cstdio>
#include <cstring>

namespace {

const unsigned char *bytes(const char *text) { return reinterpret_cast<const unsigned char *>(text); }

int md5(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("md5", stdout);
    if (argc != 2) return cli::show_usage("md5", stderr);
    unsigned char hex[33];
    Md5(bytes(argv[1]), hex);
    std::printf("%s\n", reinterpret_cast<const char *>(hex));
    return 0;
}

int hmac(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("hmac", stdout);
    if (argc != 3) return cli::show_usage("hmac", stderr);
    unsigned char digest[16], hex[33];
    Md5_HMAC(bytes(argv[2]), static_cast<int>(std::strlen(argv[2])), bytes(argv[1]),
             static_cast<int>(std::strlen(argv[1])), digest);
    Md5_Print(hex, digest);
    std::printf("%s\n", reinterpret_cast<const char *>(hex));
    return 0;
}

}  // namespace

QUORVEL_COMMAND("md5", "TEXT  MD5 of the text's bytes, as lowercase hex", md5);
QUORVEL_COMMAND("hmac", "KEY TEXT  HMAC-MD5 of the text under the key, as lowercase hex", hmac);
