#pragma once
// A small late-bound IDispatch. Outlook's clients here find members by name
// (GetIDsOfNames, then Invoke), never through a type library, so each object
// lists its members and answers Invoke by DISPID. Names match without regard
// to case, as they do in Outlook. A property that may be written takes its
// new value as a late-bound client sends it: DISPATCH_PROPERTYPUT, one
// argument, named DISPID_PROPERTYPUT.

#include "server_state.h"

#include "platform/win32/com_object.h"

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <span>
#include <string>

namespace quorvane::standin {

struct DispatchMember {
    const wchar_t* name;
    DISPID id;
    bool writable = false; // a property put reaches invokeMember only for these
};

// The parts of one Invoke that a member needs.
struct DispatchCall {
    DISPPARAMS* params;
    VARIANT* result;
    EXCEPINFO* exception;
    UINT* argError;
    bool put = false; // a property put: the new value is argument(0)

    UINT argumentCount() const { return params ? params->cArgs : 0; }
    // Positional arguments arrive last-first in rgvarg.
    const VARIANT& argument(UINT position) const {
        return params->rgvarg[params->cArgs - 1 - position];
    }
};

// Each object counts among the server's live objects from construction to
// its last Release, and logs "release <kind> live=<n>" as it goes.
class DispatchObject : public win32::ComObject<IDispatch> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

protected:
    // kind names the object in the log.
    DispatchObject(ServerState& state, const char* kind, std::span<const DispatchMember> members);
    ~DispatchObject() override;

    virtual HRESULT invokeMember(DISPID id, const DispatchCall& call) = 0;

    ServerState& state_;

private:
    const char* kind_;
    std::span<const DispatchMember> members_;
};

// Fails the call the way Outlook does: DISP_E_EXCEPTION, with the text in
// EXCEPINFO and "Outlook" as its source.
HRESULT raiseOutlookError(const DispatchCall& call, const wchar_t* description, HRESULT code);

// MAPI_E_NOT_FOUND, the code Outlook's error carries for an item or folder
// that is not there.
inline constexpr HRESULT MapiNotFound = static_cast<HRESULT>(0x8004010F);

// Hands the object to the caller as VT_DISPATCH.
HRESULT returnObject(const DispatchCall& call, Microsoft::WRL::ComPtr<IDispatch> object);

// An integer argument, with the VARIANT type it arrived as: the log records
// the type, since Outlook's own parameters are 16-bit Integers and a caller
// that sends anything else works here only because the stand-in is lenient.
struct IntegerArgument {
    long value = 0;
    VARTYPE type = VT_EMPTY;
};

// Reads a 16- or 32-bit integer argument, as Outlook's collections accept both.
HRESULT integerArgument(const DispatchCall& call, UINT position, IntegerArgument& argument);

// Reads a text argument (a BSTR, by value or by reference).
HRESULT textArgument(const DispatchCall& call, UINT position, std::wstring& text);

// Reads an argument converted to `type` (VT_BSTR, VT_DATE) as Visual Basic
// converts a value assigned to a property of that type; the caller clears
// `value`.
HRESULT convertedArgument(const DispatchCall& call, UINT position, VARTYPE type, VARIANT& value);

// Reads an object argument; `object` stays owned by the caller's VARIANT.
HRESULT objectArgument(const DispatchCall& call, UINT position, IDispatch*& object);

// Hands text to the caller as a BSTR.
HRESULT returnText(const DispatchCall& call, const std::wstring& text);
HRESULT returnLong(const DispatchCall& call, long value);
// An OLE automation date as VT_DATE.
HRESULT returnDate(const DispatchCall& call, double date);

} // namespace quorvane::standin
