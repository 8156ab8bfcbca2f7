// A stand-in for a file manager in the drop tests: a small window that starts
// an OLE drag when its mouse button goes down, as Explorer does, and records
// what the drop target answered.
//   quorvane_drag_source RESULT_FILE files PATH...   (the paths share one folder)
//   quorvane_drag_source RESULT_FILE text TEXT
// The window's class is QuorvaneTestDragSource; its title turns from "Drag
// source" to "Dragging" once the drag has begun. The result file gets, once the
// drag has ended, the lines "result DROP|CANCEL|0x...", "effect N" and
// "target N...": every distinct effect the target gave while the pointer was
// over another process's list view, in the order first seen.

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t SourceClass[] = L"QuorvaneTestDragSource";

// The drag ends when the button comes up, and is cancelled with Escape.
class DropSource final : public IDropSource {
public:
    std::vector<DWORD> targetEffects;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id != IID_IUnknown && id != IID_IDropSource) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDropSource*>(this);
        return S_OK;
    }
    // Lives on the stack for the whole drag.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        // The drag loop asks the target about the last position it took from
        // the queue, which can lag behind the cursor: the first feedback after
        // the pointer crosses onto the list may still be the answer of the
        // window before. Only feedback given while the pointer stayed on the
        // list counts.
        const bool overList = overForeignList();
        if (overList && wasOverList_ &&
            std::find(targetEffects.begin(), targetEffects.end(), effect) == targetEffects.end())
            targetEffects.push_back(effect);
        wasOverList_ = overList;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    bool wasOverList_ = false;

    // On the way the pointer crosses the desktop and the target's frame,
    // which refuse any drop; only the list's answer is of interest.
    static bool overForeignList() {
        POINT cursor;
        GetCursorPos(&cursor);
        HWND under = WindowFromPoint(cursor);
        wchar_t name[64] = L"";
        GetClassNameW(under, name, 64);
        DWORD owner = 0;
        GetWindowThreadProcessId(under, &owner);
        return owner != GetCurrentProcessId() && std::wstring(name) == L"SysListView32";
    }
};

// A data object with one HGLOBAL format, for what the shell does not make.
class OneFormatData final : public IDataObject {
public:
    OneFormatData(CLIPFORMAT format, const void* bytes, SIZE_T size) : format_(format) {
        memory_ = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(memory_), bytes, size);
        GlobalUnlock(memory_);
    }
    ~OneFormatData() { GlobalFree(memory_); }
    OneFormatData(const OneFormatData&) = delete;
    OneFormatData& operator=(const OneFormatData&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id != IID_IUnknown && id != IID_IDataObject) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        const SIZE_T size = GlobalSize(memory_);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(copy), GlobalLock(memory_), size);
        GlobalUnlock(copy);
        GlobalUnlock(memory_);
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format || format->cfFormat != format_ || !(format->tymed & TYMED_HGLOBAL))
            return DV_E_FORMATETC;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        FORMATETC offered{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &offered, formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    ULONG references_ = 1;
    CLIPFORMAT format_;
    HGLOBAL memory_;
};

struct ItemIdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ScopedItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListFree>;

// The data object Explorer would hand over for these items of one folder.
ComPtr<IDataObject> shellDataObject(HWND owner, const std::vector<std::wstring>& paths) {
    std::vector<ScopedItemIdList> lists;
    std::vector<PCUITEMID_CHILD> children;
    ComPtr<IShellFolder> parent;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)))
            return nullptr;
        lists.emplace_back(list);
        PCUITEMID_CHILD child = nullptr;
        parent.Reset();
        if (FAILED(SHBindToParent(list, IID_PPV_ARGS(&parent), &child)))
            return nullptr;
        children.push_back(child);
    }
    ComPtr<IDataObject> data;
    if (!parent || FAILED(parent->GetUIObjectOf(owner, static_cast<UINT>(children.size()),
                                                children.data(), IID_IDataObject, nullptr,
                                                reinterpret_cast<void**>(data.GetAddressOf()))))
        return nullptr;
    return data;
}

ComPtr<IDataObject> textDataObject(const std::wstring& text) {
    ComPtr<IDataObject> data;
    data.Attach(new OneFormatData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    return data;
}

struct Drag {
    std::wstring resultFile;
    bool files = false;
    std::vector<std::wstring> items;
};

std::string resultName(HRESULT result) {
    if (result == DRAGDROP_S_DROP)
        return "DROP";
    if (result == DRAGDROP_S_CANCEL)
        return "CANCEL";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

void runDrag(HWND window, const Drag& drag) {
    ComPtr<IDataObject> data = drag.files ? shellDataObject(window, drag.items)
                                          : textDataObject(drag.items.empty() ? L"" : drag.items[0]);
    std::ofstream out(drag.resultFile.c_str(), std::ios::binary | std::ios::trunc);
    if (!data) {
        out << "result NODATA\n";
        return;
    }
    DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    // Explorer offers all three; the target must never answer with a move.
    const HRESULT result = DoDragDrop(data.Get(), &source,
                                      DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    out << "result " << resultName(result) << "\neffect " << effect << "\ntarget";
    for (DWORD seen : source.targetEffects)
        out << ' ' << seen;
    out << "\n";
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* drag = reinterpret_cast<const Drag*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_LBUTTONDOWN && drag) {
        // Tells the driver that the press arrived and the drag is under way.
        SetWindowTextW(window, L"Dragging");
        runDrag(window, *drag);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: quorvane_drag_source RESULT_FILE files|text ITEM...\n");
        return 2;
    }
    Drag drag{argv[1], std::wstring(argv[2]) == L"files", {argv + 3, argv + argc}};
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = SourceClass;
    RegisterClassExW(&windowClass);
    // Top left, clear of the main window, which starts centred.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, SourceClass, L"Drag source", WS_POPUP | WS_VISIBLE,
                                  10, 10, 120, 120, nullptr, nullptr, windowClass.hInstance, &drag);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    OleUninitialize();
    return 0;
}
