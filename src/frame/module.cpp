// Load and unload. Static initialisation runs first, in the order of the
// objects below: the clipboard formats, COM for the loading thread and the
// missing-argument value of the database calls. The entry point proper then
// records the module handle. At unload the entry point runs first, then the
// exit actions in reverse order: the missing-argument value is cleared, then
// COM is uninitialised. The entry point is the last static object of this
// file, so both builds bracket it the same way.
#include "frame/module.h"

#include <quorvel/frame.h>

#include <quorvel/dao.h>

uint32_t CF_HTML = 0;
uint32_t CF_URL = 0;
uint32_t CF_URLLINK = 0;
uint32_t CF_URLTEXT = 0;
uint32_t CF_FILE = 0;
uint32_t CF_IDLIST = 0;

unsigned short g_szDesktop[QUORVEL_MAX_TEXT] = {};
unsigned short g_szMyDocument[QUORVEL_MAX_TEXT] = {};
unsigned short g_szWrkDir[QUORVEL_MAX_TEXT] = {};

namespace {

HINSTANCE g_module = nullptr;
HRESULT g_com_result = 0;

UINT register_format(const char16_t *name) {
    return RegisterClipboardFormatW(as_wide(name));
}

struct ClipboardFormats {
    ClipboardFormats() {
        CF_HTML = register_format(u"HTML Format");
        CF_URL = register_format(u"UniformResourceLocatorW");
        CF_URLLINK = register_format(u"UniformResourceLocator");
        CF_URLTEXT = register_format(u"FileGroupDescriptorW");
        CF_FILE = register_format(u"FileNameW");
        CF_IDLIST = register_format(u"Shell IDList Array");
    }
};

struct ComForLoadingThread {
    ComForLoadingThread() { g_com_result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    // Uninitialised whatever the result was.
    ~ComForLoadingThread() { CoUninitialize(); }
};

// Passed for omitted optional arguments of the database calls.
struct MissingArgument {
    VARIANT value;
    MissingArgument() {
        VariantInit(&value);
        value.vt = VT_ERROR;
        value.scode = DISP_E_PARAMNOTFOUND;
    }
    ~MissingArgument() { VariantClear(&value); }
};

ClipboardFormats g_clipboard_formats;
ComForLoadingThread g_com_for_loading_thread;
MissingArgument g_missing_argument;

struct EntryPoint {
    EntryPoint() { g_module = frame::this_module(); }
    ~EntryPoint() { g_module = frame::this_module(); }
};
EntryPoint g_entry_point;

}  // namespace

namespace frame {

HINSTANCE module_handle() { return g_module; }
HRESULT com_init_result() { return g_com_result; }
const VARIANT &missing_argument() { return g_missing_argument.value; }

}  // namespace frame
