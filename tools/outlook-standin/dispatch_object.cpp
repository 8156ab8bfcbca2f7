#include "dispatch_object.h"

#include "event_log.h"

#include <algorithm>
#include <string>

namespace quorvane::standin {

DispatchObject::DispatchObject(ServerState& state, const char* kind,
                               std::span<const DispatchMember> members)
    : state_(state), kind_(kind), members_(members) {
    state_.objectCreated();
}

// Runs after the derived object has gone (Application has revoked itself from
// the running object table), so the count and the line say it is gone.
DispatchObject::~DispatchObject() {
    const long live = state_.objectReleased();
    logEvent(std::string("release ") + kind_ + " live=" + std::to_string(live));
}

STDMETHODIMP DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids)
        return E_POINTER;
    // Only the member name is looked up: the one named argument any member
    // takes, a property put's value, is named by its DISPID.
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {
            result = DISP_E_UNKNOWNNAME;
            continue;
        }
        for (const DispatchMember& member : members_) {
            if (CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL)
                ids[0] = member.id;
        }
        if (ids[0] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

STDMETHODIMP DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    state_.touch();
    // Reached while busy only where the message filter's verdict was not
    // honoured (Wine); see message_filter.h.
    if (state_.isBusy())
        return RPC_E_SERVERCALL_RETRYLATER;
    // A getter or a method alike; callers may say either (or both).
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (!put && (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (put && (!params || params->cArgs != 1 || params->cNamedArgs != 1 ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
        return DISP_E_BADPARAMCOUNT;
    if (!put && params && params->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    const auto member = std::find_if(members_.begin(), members_.end(),
                                     [id](const DispatchMember& known) { return known.id == id; });
    if (member == members_.end() || (put && !member->writable))
        return DISP_E_MEMBERNOTFOUND;
    if (result)
        VariantInit(result);
    // A member may close the window that keeps this object's caller going.
    const Microsoft::WRL::ComPtr<DispatchObject> keepAlive(this);
    return win32::guardedComCall([&] {
        return invokeMember(id, DispatchCall{params, result, exception, argError, put});
    });
}

HRESULT raiseOutlookError(const DispatchCall& call, const wchar_t* description, HRESULT code) {
    if (call.exception) {
        EXCEPINFO info{};
        info.bstrSource = SysAllocString(L"Outlook");
        info.bstrDescription = SysAllocString(description);
        info.scode = code;
        *call.exception = info;
    }
    return DISP_E_EXCEPTION;
}

namespace {

// Fills in the caller's result as `type`, unless the caller asked for none.
template <typename Fill> HRESULT returnAs(const DispatchCall& call, VARTYPE type, Fill fill) {
    if (call.result) {
        call.result->vt = type;
        fill(*call.result);
    }
    return S_OK;
}

// A script passes its variables by reference; the value is what counts.
const VARIANT& heldValue(const VARIANT& given) {
    return given.vt == (VT_VARIANT | VT_BYREF) && given.pvarVal ? *given.pvarVal : given;
}

HRESULT mismatch(const DispatchCall& call, UINT position) {
    if (call.argError)
        *call.argError = call.argumentCount() - 1 - position;
    return DISP_E_TYPEMISMATCH;
}

} // namespace

HRESULT textArgument(const DispatchCall& call, UINT position, std::wstring& text) {
    if (call.argumentCount() <= position)
        return DISP_E_BADPARAMCOUNT;
    const VARIANT& held = heldValue(call.argument(position));
    const BSTR* value = held.vt == VT_BSTR                ? &held.bstrVal
                        : held.vt == (VT_BSTR | VT_BYREF) ? held.pbstrVal
                                                          : nullptr;
    if (!value)
        return mismatch(call, position);
    text.assign(*value ? *value : L"", *value ? SysStringLen(*value) : 0);
    return S_OK;
}

HRESULT convertedArgument(const DispatchCall& call, UINT position, VARTYPE type, VARIANT& value) {
    VariantInit(&value);
    if (call.argumentCount() <= position)
        return DISP_E_BADPARAMCOUNT;
    const VARIANT& given = heldValue(call.argument(position));
    // mingw-w64 declares the source non-const; it is only read.
    if (FAILED(VariantChangeType(&value, const_cast<VARIANT*>(&given), 0, type)))
        return mismatch(call, position);
    return S_OK;
}

HRESULT objectArgument(const DispatchCall& call, UINT position, IDispatch*& object) {
    if (call.argumentCount() <= position)
        return DISP_E_BADPARAMCOUNT;
    const VARIANT& held = heldValue(call.argument(position));
    if (held.vt == VT_DISPATCH)
        object = held.pdispVal;
    else if (held.vt == (VT_DISPATCH | VT_BYREF) && held.ppdispVal)
        object = *held.ppdispVal;
    else
        return mismatch(call, position);
    return S_OK;
}

HRESULT returnObject(const DispatchCall& call, Microsoft::WRL::ComPtr<IDispatch> object) {
    return returnAs(call, VT_DISPATCH, [&](VARIANT& result) { result.pdispVal = object.Detach(); });
}

HRESULT returnText(const DispatchCall& call, const std::wstring& text) {
    return returnAs(call, VT_BSTR, [&](VARIANT& result) {
        result.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    });
}

HRESULT returnLong(const DispatchCall& call, long value) {
    return returnAs(call, VT_I4, [&](VARIANT& result) { result.lVal = value; });
}

HRESULT returnDate(const DispatchCall& call, double date) {
    return returnAs(call, VT_DATE, [&](VARIANT& result) { result.date = date; });
}

HRESULT integerArgument(const DispatchCall& call, UINT position, IntegerArgument& argument) {
    if (call.argumentCount() <= position)
        return DISP_E_BADPARAMCOUNT;
    const VARIANT& held = heldValue(call.argument(position));
    argument.type = held.vt;
    if (held.vt == VT_I2) {
        argument.value = held.iVal;
        return S_OK;
    }
    if (held.vt == VT_I4) {
        argument.value = held.lVal;
        return S_OK;
    }
    return mismatch(call, position);
}

} // namespace quorvane::standin
