/* Quorvel: shortcut (.lnk) and Internet-shortcut (.url) files, and the
 * open, save and folder dialogs.
 *
 * Paths and texts are zero-terminated UTF-16; sizes are in UTF-16 units.
 * The dialogs answer in g_szCflResult (<quorvel/paths.h>), valid until the
 * next call that uses it, and return null when the user cancels or the
 * dialog cannot be shown. None of these may be called from two threads at
 * once. */
#ifndef QUORVEL_LINKS_H
#define QUORVEL_LINKS_H

#include <quorvel/base.h>

/* The open and save dialogs. `filter` is a list of zero-terminated strings
 * ended by an empty one (null: text files, then all files). With
 * `multiSelect` the result is the folder, then each file name, each
 * zero-terminated, ended by an empty string. `unused` is not read. */
QUORVEL_API unsigned short *Cfl_SelectedFile(HWND owner, const unsigned short *filter,
                                             const unsigned short *defaultExtension,
                                             const unsigned short *title,
                                             const unsigned short *initialFolder,
                                             int multiSelect, LONG unused);
QUORVEL_API unsigned short *Cfl_SavedFile(HWND owner, const unsigned short *filter,
                                          const unsigned short *defaultExtension,
                                          const unsigned short *title,
                                          const unsigned short *initialFolder, int multiSelect,
                                          LONG unused);
/* The folder browser: the chosen folder with a trailing backslash. A null
 * prompt shows the default one, a null initial folder opens at the user's
 * documents; `callback` is a browse callback, 0 for the library's own. */
QUORVEL_API unsigned short *Cfl_SelectedFolder(HWND owner, const unsigned short *prompt,
                                               const unsigned short *initialFolder,
                                               LONG callback);

/* Writes a shortcut to `target`; the target starts in a normal window when
 * `normalWindow` is non-zero, else minimised. 1 when the file was saved. */
QUORVEL_API int Cfl_CreateLinkFile(const unsigned short *target, const unsigned short *linkFile,
                                   const unsigned short *arguments,
                                   const unsigned short *workingFolder,
                                   const unsigned short *iconFile, unsigned short hotkey,
                                   unsigned char normalWindow);
/* Reads a shortcut: 1 when it was loaded and resolved, whatever fits into
 * the buffers after that. `arguments`, `workingFolder` and `showCommand`
 * may be null. */
QUORVEL_API int Cfl_ReadLinkFile(const unsigned short *linkFile, unsigned short *target,
                                 int targetSize, unsigned short *arguments, int argumentsSize,
                                 unsigned short *workingFolder, int workingFolderSize,
                                 int *showCommand);
/* Writes an Internet shortcut to `url`; 1 when the file was saved. */
QUORVEL_API int Cfl_CreateUrlFile(const unsigned short *url, const unsigned short *urlFile);
/* Reads an Internet shortcut: 1 when the file was loaded. `url` receives
 * the stored URL (it must hold it); a file without one leaves it as it was. */
QUORVEL_API int Cfl_ReadUrlFile(const unsigned short *urlFile, unsigned short *url);

#endif
