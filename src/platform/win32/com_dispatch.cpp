#include "platform/win32/com_dispatch.h"

#include "platform/win32/wide_text.h"

#include <algorithm>
#include <cassert>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::win32 {

using Microsoft::WRL::ComPtr;

namespace {

std::string hresultText(HRESULT result) {
    return systemMessage(static_cast<unsigned long>(result));
}

// What a call gets when the server's process has gone (crashed, or ended
// by someone): during the call, or through a proxy left behind.
bool isConnectionLost(HRESULT result) {
    return result == RPC_E_DISCONNECTED || result == RPC_E_SERVER_DIED ||
           result == RPC_E_SERVER_DIED_DNE || result == CO_E_OBJNOTCONNECTED ||
           result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE);
}

// MAPI_E_NOT_FOUND: what Outlook answers for an item or folder that is gone.
constexpr HRESULT MapiNotFound = static_cast<HRESULT>(0x8004010F);

Failure callFailure(HRESULT result) {
    // A No to Outlook's prompt about programs reading address information
    // comes back as "operation aborted".
    return Failure{hresultText(result), isConnectionLost(result), result == MapiNotFound,
                   result == E_ABORT};
}

// The EXCEPINFO a server fills when it raises an error; its strings belong to
// the caller.
class ExceptionInfo {
public:
    ExceptionInfo() = default;
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo() { clear(); }

    EXCEPINFO* receive() {
        clear();
        return &info_;
    }

    // The server's description; failing that, the text for its error code;
    // failing that, the text for what Invoke returned. The code it raised
    // tells what kind of failure this is.
    Failure describe(HRESULT invokeResult) {
        if (info_.pfnDeferredFillIn != nullptr) {
            const auto fillIn = info_.pfnDeferredFillIn;
            info_.pfnDeferredFillIn = nullptr;
            fillIn(&info_);
        }
        const HRESULT code = FAILED(info_.scode) ? info_.scode : invokeResult;
        Failure failure = callFailure(code);
        if (info_.bstrDescription != nullptr && SysStringLen(info_.bstrDescription) > 0)
            failure.description =
                toUtf8({info_.bstrDescription, SysStringLen(info_.bstrDescription)});
        return failure;
    }

private:
    void clear() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
        info_ = EXCEPINFO{};
    }

    EXCEPINFO info_{};
};

} // namespace

Variant::Variant(std::int16_t number) noexcept : Variant() {
    value_.vt = VT_I2;
    value_.iVal = number;
}

Variant::Variant(std::int32_t number) noexcept : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
}

Variant::Variant(std::string_view text) : Variant() {
    const std::wstring wide = toWide(text);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

Variant Variant::date(double oleDate) noexcept {
    Variant value;
    value.value_.vt = VT_DATE;
    value.value_.date = oleDate;
    return value;
}

Variant::Variant(IDispatch* object) noexcept : Variant() {
    value_.vt = VT_DISPATCH;
    value_.pdispVal = object;
    if (object != nullptr)
        object->AddRef();
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) {
    VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&value_);
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    return *this;
}

VARIANT* Variant::receive() {
    VariantClear(&value_);
    return &value_;
}

Outcome<std::int32_t> toInt32(const Variant& value) {
    Variant converted;
    // The source is only read; the SDK's declaration just lacks the const.
    const HRESULT result =
        VariantChangeType(converted.receive(), const_cast<VARIANT*>(&value.get()), 0, VT_I4);
    if (FAILED(result))
        return Failure{hresultText(result)};
    return static_cast<std::int32_t>(converted.get().lVal);
}

bool isNothing(const Variant& value) {
    switch (value.type()) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_DISPATCH:
        return value.get().pdispVal == nullptr;
    case VT_UNKNOWN:
        return value.get().punkVal == nullptr;
    default:
        return false;
    }
}

Outcome<double> toDate(const VARIANT& value) {
    if (value.vt == VT_DATE)
        return value.date;
    Variant converted;
    // The source is only read; the SDK's declaration just lacks the const.
    const HRESULT result =
        VariantChangeType(converted.receive(), const_cast<VARIANT*>(&value), 0, VT_DATE);
    if (FAILED(result))
        return Failure{hresultText(result)};
    return converted.get().date;
}

Outcome<std::string> toText(const VARIANT& value) {
    // Text cells are by far the most common: read them without a copy.
    if (value.vt == VT_BSTR)
        return toUtf8({value.bstrVal, SysStringLen(value.bstrVal)});
    if (value.vt == VT_EMPTY || value.vt == VT_NULL)
        return std::string();
    Variant text;
    const HRESULT result =
        VariantChangeType(text.receive(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
    if (FAILED(result))
        return Failure{hresultText(result)};
    return toUtf8({text.get().bstrVal, SysStringLen(text.get().bstrVal)});
}

Outcome<VariantGrid> VariantGrid::from(Variant value) {
    VariantGrid grid;
    if (value.type() == VT_EMPTY)
        return grid;
    if (value.type() != (VT_ARRAY | VT_VARIANT) || value.get().parray == nullptr ||
        SafeArrayGetDim(value.get().parray) != 2)
        return Failure{hresultText(DISP_E_TYPEMISMATCH)};
    SAFEARRAY* array = value.get().parray;
    LONG lastRow = 0, lastColumn = 0;
    // Dimensions count from 1, the leftmost first, as Visual Basic's UBound.
    if (FAILED(SafeArrayGetLBound(array, 1, &grid.firstRow_)) ||
        FAILED(SafeArrayGetUBound(array, 1, &lastRow)) ||
        FAILED(SafeArrayGetLBound(array, 2, &grid.firstColumn_)) ||
        FAILED(SafeArrayGetUBound(array, 2, &lastColumn)))
        return Failure{hresultText(DISP_E_BADINDEX)};
    const HRESULT locked = SafeArrayLock(array);
    if (FAILED(locked))
        return Failure{hresultText(locked)};
    grid.owner_ = std::move(value);
    grid.locked_ = array;
    grid.rows_ = static_cast<std::int32_t>(std::max<LONG>(0, lastRow - grid.firstRow_ + 1));
    grid.columns_ =
        static_cast<std::int32_t>(std::max<LONG>(0, lastColumn - grid.firstColumn_ + 1));
    return grid;
}

VariantGrid::VariantGrid(VariantGrid&& other) noexcept
    : owner_(std::move(other.owner_)), locked_(std::exchange(other.locked_, nullptr)),
      firstRow_(other.firstRow_), firstColumn_(other.firstColumn_), rows_(other.rows_),
      columns_(other.columns_) {}

// Unlocked before the owner clears the variant: a locked array cannot be
// destroyed.
VariantGrid::~VariantGrid() {
    if (locked_ != nullptr)
        SafeArrayUnlock(locked_);
}

const VARIANT& VariantGrid::cell(std::int32_t row, std::int32_t column) const {
    assert(row >= 0 && row < rows_ && column >= 0 && column < columns_ && "cell outside the grid");
    LONG indices[] = {firstRow_ + row, firstColumn_ + column};
    void* place = nullptr;
    SafeArrayPtrOfIndex(locked_, indices, &place);
    return *static_cast<const VARIANT*>(place);
}

DispatchObject::DispatchObject(ComPtr<IDispatch> object, std::chrono::milliseconds busyRetryWindow)
    : object_(std::move(object)), busyRetryWindow_(busyRetryWindow) {}

Outcome<Variant> DispatchObject::getProperty(std::string_view name) const {
    return invoke(name, DISPATCH_PROPERTYGET, {});
}

Outcome<DispatchObject> DispatchObject::getObject(std::string_view name) const {
    return toObject(getProperty(name));
}

Outcome<std::int32_t> DispatchObject::getInt32(std::string_view name) const {
    Outcome<Variant> value = getProperty(name);
    if (!value)
        return value.failure();
    return toInt32(*value);
}

Outcome<std::string> DispatchObject::getString(std::string_view name) const {
    Outcome<Variant> value = getProperty(name);
    if (!value)
        return value.failure();
    if (isNothing(*value))
        return std::string();
    Variant text;
    // The source is only read; the SDK's declaration just lacks the const.
    const HRESULT result =
        VariantChangeType(text.receive(), const_cast<VARIANT*>(&value->get()), 0, VT_BSTR);
    if (FAILED(result))
        return Failure{hresultText(result)};
    const BSTR bstr = text.get().bstrVal;
    return toUtf8({bstr, SysStringLen(bstr)});
}

Outcome<bool> DispatchObject::getBool(std::string_view name) const {
    Outcome<std::int32_t> value = getInt32(name);
    if (!value)
        return value.failure();
    return *value != 0;
}

template <typename Attempt> HRESULT DispatchObject::retryWhileBusy(Attempt attempt) const {
    // Wine can hand a busy server's refusal straight back instead of through
    // the message filter, so the same rule is applied here.
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        const HRESULT result = attempt();
        if (!isBusyRejection(result))
            return result;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        if (elapsed >= busyRetryWindow_)
            return result;
        waitKeepingWindowsPainted(std::min(BusyRetryPause, busyRetryWindow_ - elapsed));
    }
}

Outcome<Variant> DispatchObject::invoke(std::string_view name, WORD flags,
                                        std::span<const Variant> arguments) const {
    if (!object_)
        return Failure{hresultText(E_POINTER)};

    std::wstring wideName = toWide(name);
    LPOLESTR names[] = {wideName.data()};
    DISPID member = DISPID_UNKNOWN;
    HRESULT result = retryWhileBusy(
        [&] { return object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member); });
    if (FAILED(result))
        return callFailure(result);

    // Invoke takes positional arguments last-first. The copies are shallow:
    // the server only reads them and the Variants keep ownership.
    std::vector<VARIANTARG> reversed;
    reversed.reserve(arguments.size());
    for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument)
        reversed.push_back(argument->get());
    // A property put names its one argument as the value to put.
    DISPID putName = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS parameters{reversed.data(), put ? &putName : nullptr,
                          static_cast<UINT>(reversed.size()), put ? 1u : 0u};

    Variant value;
    ExceptionInfo exception;
    result = retryWhileBusy([&] {
        UINT badArgument = 0;
        return object_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                               put ? nullptr : value.receive(), exception.receive(), &badArgument);
    });
    if (result == DISP_E_EXCEPTION)
        return exception.describe(result);
    if (FAILED(result))
        return callFailure(result);
    return value;
}

Outcome<void> DispatchObject::setProperty(std::string_view name, const Variant& value) const {
    Outcome<Variant> done = invoke(name, DISPATCH_PROPERTYPUT, std::span(&value, 1));
    if (!done)
        return done.failure();
    return Success();
}

Outcome<DispatchObject> DispatchObject::toObject(Outcome<Variant> result) const {
    if (!result)
        return result.failure();
    const VARIANT& value = result->get();
    ComPtr<IDispatch> object;
    if (value.vt == VT_DISPATCH) {
        object = value.pdispVal;
    } else if (value.vt == VT_UNKNOWN) {
        if (value.punkVal != nullptr) {
            const HRESULT query = value.punkVal->QueryInterface(IID_PPV_ARGS(&object));
            if (FAILED(query))
                return Failure{hresultText(query)};
        }
    } else {
        return Failure{hresultText(DISP_E_TYPEMISMATCH)};
    }
    // An empty object reference (Nothing) is of no use to any caller here.
    if (!object)
        return Failure{hresultText(E_POINTER)};
    return DispatchObject(std::move(object), busyRetryWindow_);
}

} // namespace quorvane::win32
