/* Quorvel: the OLE drop target that turns dropped files, URLs, HTML and
 * text into one UTF-16 text and a message to the host's window. */
#ifndef QUORVEL_DROPTARGET_H
#define QUORVEL_DROPTARGET_H

#include <quorvel/base.h>
#ifdef _WIN32
#include <oleidl.h>
#else
#include <quorvel/posix/window_proc.h>
#include <quorvel/posix/wintypes_desktop.h>
#endif

#ifdef __cplusplus

/* One object per window, made by CreateInstance and registered by the host
 * (RegisterDragDrop on Windows). Each drag over the window is reported to
 * m_hWnd with SendMessageW(m_hWnd, m_uMsg, code, (LPARAM)object), the
 * fields below telling what the code is about:
 *   0 DragEnter  m_cfFormat the format chosen for this drag (0: none known),
 *                m_pPoint the entry point;
 *   1 DragOver   m_pPoint the current point;
 *   2 DragLeave  m_pPoint null;
 *   3 Drop       m_cfFormat the format of the text, m_pszData the text,
 *                m_pPoint the drop point.
 * The point and the text live only while the message is handled; copy what
 * you need. The text is a URL (followed by "\n" and the HTML block when the
 * drag offers both), plain text, an HTML block, the file names of a file
 * group separated by "\n", or a list of paths each ended by a zero with one
 * more zero at the end (files, shell items). Formats tried first to last:
 * CF_URL, CF_URLLINK, CF_URLTEXT, CF_UNICODETEXT, CF_TEXT, CF_HDROP, CF_HTML,
 * CF_IDLIST; then, at the drop, every format the data offers in its order.
 * Drop always answers DROPEFFECT_NONE, so no source ever deletes what was
 * dragged. The object is deleted by the Release that takes its count to 0;
 * it is used only through the pointer CreateInstance gives (copies share
 * the text and the data object). */
class QUORVEL_API CExDropTarget final : public IDropTarget {
public:
    /* Every field zero, then the window, the host's value and the message
     * number set; the count stays 0 until the first AddRef. */
    static void CreateInstance(CExDropTarget **target, HWND window, void *param, UINT message);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object);
    ULONG STDMETHODCALLTYPE AddRef(void);
    ULONG STDMETHODCALLTYPE Release(void);
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL point, DWORD *effect);
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD *effect);
    HRESULT STDMETHODCALLTYPE DragLeave(void);
    HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL point, DWORD *effect);

    /* Field by field: the copy shares the text and the data object. */
    CExDropTarget(const CExDropTarget &other);
    CExDropTarget &operator=(const CExDropTarget &other);

    HWND m_hWnd;
    void *m_pParam;
    UINT m_uMsg;
    UINT m_cfFormat;
    unsigned short *m_pszData;
    POINTL *m_pPoint;
    IDataObject *m_pDataObject;
    LONG m_lRef;

private:
    CExDropTarget()
        : m_hWnd(0), m_pParam(0), m_uMsg(0), m_cfFormat(0), m_pszData(0), m_pPoint(0),
          m_pDataObject(0), m_lRef(0) {}
    int IsSupport(UINT format);
    unsigned short *GetData(UINT format, POINTL *point);
    int SendMessageW(UINT code, DWORD keys, POINTL *point);
};

#endif /* __cplusplus */
#endif
