#include "support/one_format_data.h"

#include "platform/win32/com_object.h"
#include "platform/win32/scoped_handles.h"

#include <shlobj.h>

#include <cstring>

namespace quorvane::test {
namespace {

// Null when the block cannot be made or locked.
win32::ScopedGlobal globalCopy(const void* bytes, std::size_t size) {
    win32::ScopedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
    const win32::LockedGlobal lock(memory.get());
    if (!lock)
        return {};
    std::memcpy(lock.bytes(), bytes, size);
    return memory;
}

class OneFormatData final : public win32::ComObject<IDataObject> {
public:
    OneFormatData(CLIPFORMAT format, const void* bytes, std::size_t size)
        : format_(format), memory_(globalCopy(bytes, size)) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        const win32::LockedGlobal held(memory_.get());
        win32::ScopedGlobal copy =
            held ? globalCopy(held.bytes(), held.size()) : win32::ScopedGlobal{};
        if (!copy)
            return E_OUTOFMEMORY;
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy.release(); // the receiver frees it (ReleaseStgMedium)
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
    CLIPFORMAT format_;
    win32::ScopedGlobal memory_;
};

} // namespace

Microsoft::WRL::ComPtr<IDataObject> oneFormatData(CLIPFORMAT format, const void* bytes,
                                                  std::size_t size) {
    return win32::makeComObject<OneFormatData>(format, bytes, size);
}

} // namespace quorvane::test
