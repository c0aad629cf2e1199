/* A host in C, so that nothing of the C++ runtime is loaded before the
 * library: dlopen brings in libquorvel.so, the platform library and the C++
 * runtime together, and dlclose must take the first two out again. The C++
 * runtime itself stays (its unique symbols pin it), so a name either library
 * exported beyond its public ones would let the runtime bind to it and pin
 * that library too. Each row runs in a child of its own, as a fresh host. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

static const char *const kFiles[] = {"/libquorvel.so.", "/libquorvel-platform.so."};

static int mapped(const char *file) {
    char line[4096];
    int found = 0;
    FILE *maps = fopen("/proc/self/maps", "r");
    while (maps && fgets(line, sizeof line, maps))
        if (strstr(line, file)) found = 1;
    if (maps) fclose(maps);
    return found;
}

/* The child's exit status: 0, or what went wrong. */
static int load_and_unload(int flags) {
    void *library = dlopen(QUORVEL_LIBRARY, flags);
    if (!library) return printf("  dlopen: %s\n", dlerror()), 1;
    for (int i = 0; i < 2; ++i)
        if (!mapped(kFiles[i])) return printf("  %s not mapped after dlopen\n", kFiles[i]), 1;
    if (dlclose(library) != 0) return printf("  dlclose: %s\n", dlerror()), 1;
    int status = 0;
    for (int i = 0; i < 2; ++i)
        if (mapped(kFiles[i])) status = printf("  %s still mapped after dlclose\n", kFiles[i]) > 0;
    return status;
}

int main(void) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return 77; /* a sanitizer's runtime keeps modules of its own loaded */
#endif
    const struct {
        const char *name;
        int flags;
    } rows[] = {{"now, local", RTLD_NOW | RTLD_LOCAL},
                {"lazy, local", RTLD_LAZY | RTLD_LOCAL},
                {"now, global", RTLD_NOW | RTLD_GLOBAL}};
    int failed = 0;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int status = load_and_unload(rows[i].flags);
            fflush(stdout);
            _exit(status);
        }
        int status = -1;
        waitpid(child, &status, 0);
        const int ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        printf("%s: %s\n", ok ? "passed" : "FAILED", rows[i].name);
        failed |= !ok;
    }
    return failed;
}
