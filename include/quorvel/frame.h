/* Quorvel: the library frame's exported globals. */
#ifndef QUORVEL_FRAME_H
#define QUORVEL_FRAME_H

#include <quorvel/base.h>

/* Clipboard formats registered at load, in this order (0 when a
 * registration failed): "HTML Format", "UniformResourceLocatorW",
 * "UniformResourceLocator", "FileGroupDescriptorW", "FileNameW",
 * "Shell IDList Array". */
QUORVEL_DATA uint32_t CF_HTML;
QUORVEL_DATA uint32_t CF_URL;
QUORVEL_DATA uint32_t CF_URLLINK;
QUORVEL_DATA uint32_t CF_URLTEXT;
QUORVEL_DATA uint32_t CF_FILE;
QUORVEL_DATA uint32_t CF_IDLIST;

/* Output folders of the encryption drivers (option values 1, 2 and 3).
 * Empty at load; the host fills each with a path ending in a backslash.
 * The library only reads them. */
QUORVEL_DATA unsigned short g_szDesktop[QUORVEL_MAX_TEXT];
QUORVEL_DATA unsigned short g_szMyDocument[QUORVEL_MAX_TEXT];
QUORVEL_DATA unsigned short g_szWrkDir[QUORVEL_MAX_TEXT];

#endif
