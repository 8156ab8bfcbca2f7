#pragma once
// Late-bound calls on an IDispatch object, the way a script reaches Outlook:
// members are found by name at every call (Outlook's DISPIDs are its own
// business), and every failure comes back as the server's own words.

#include "base/outcome.h"
#include "platform/win32/message_filter.h"

#include <windows.h>

#include <oaidl.h>
#include <wrl/client.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quorvane::win32 {

// Owns one VARIANT and clears it (releasing any object or string) when done.
class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    explicit Variant(std::int16_t number) noexcept;
    explicit Variant(std::int32_t number) noexcept;
    // A BSTR holding the UTF-16 form of `text`.
    explicit Variant(std::string_view text);
    // A VT_DATE holding an OLE automation date.
    static Variant date(double oleDate) noexcept;
    // An object argument; the variant holds a reference of its own.
    explicit Variant(IDispatch* object) noexcept;
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    const VARIANT& get() const { return value_; }
    VARTYPE type() const { return value_.vt; }
    // Empties the variant and hands it out to be filled by a call.
    VARIANT* receive();

private:
    VARIANT value_;
};

// A number of any integral kind as a 32-bit integer.
Outcome<std::int32_t> toInt32(const Variant& value);

// Empty (VT_EMPTY, VT_NULL or a null object): how Outlook answers "nothing",
// as PickFolder does on Cancel.
bool isNothing(const Variant& value);

// A date as an OLE automation date (days since 30 December 1899), the double
// inside a VT_DATE.
Outcome<double> toDate(const VARIANT& value);

// A value read as text in UTF-8; empty and null values are the empty text.
Outcome<std::string> toText(const VARIANT& value);

// The two-dimensional array of values a call answers with, as Outlook's
// Table.GetArray does: Visual Basic's layout v(row, column). It owns the array
// and keeps it locked while it lives, so cells are read in place rather than
// copied out one by one.
class VariantGrid {
public:
    // A failure when `value` holds no two-dimensional array of VARIANTs. An
    // empty variant is a grid without rows: how a table that has nothing
    // left may answer.
    static Outcome<VariantGrid> from(Variant value);
    VariantGrid(VariantGrid&& other) noexcept;
    VariantGrid& operator=(VariantGrid&&) = delete;
    VariantGrid(const VariantGrid&) = delete;
    VariantGrid& operator=(const VariantGrid&) = delete;
    ~VariantGrid();

    std::int32_t rows() const { return rows_; }
    std::int32_t columns() const { return columns_; }
    // Counted from 0 whatever the array's own lower bounds.
    const VARIANT& cell(std::int32_t row, std::int32_t column) const;

private:
    VariantGrid() = default;

    Variant owner_;
    SAFEARRAY* locked_ = nullptr;
    LONG firstRow_ = 0;
    LONG firstColumn_ = 0;
    std::int32_t rows_ = 0;
    std::int32_t columns_ = 0;
};

// A call whose answer is of no interest, only whether it succeeded.
inline Outcome<void> discardResult(const Outcome<Variant>& result) {
    if (!result)
        return result.failure();
    return Success();
}

// Failures carry the server's words; one whose code is MAPI's "not found"
// (MAPI_E_NOT_FOUND), raised or returned, has notFound set. The code decides,
// never the words: Outlook words it in the user's language.
class DispatchObject {
public:
    DispatchObject() = default;
    // busyRetryWindow bounds how long a call the server rejects as busy is
    // retried; objects obtained through this one inherit it.
    explicit DispatchObject(Microsoft::WRL::ComPtr<IDispatch> object,
                            std::chrono::milliseconds busyRetryWindow = BusyRetryWindow);

    IDispatch* get() const { return object_.Get(); }

    Outcome<Variant> getProperty(std::string_view name) const;
    Outcome<DispatchObject> getObject(std::string_view name) const;
    Outcome<std::int32_t> getInt32(std::string_view name) const;
    Outcome<bool> getBool(std::string_view name) const;
    // A text property in UTF-8; an empty or null value is the empty text.
    Outcome<std::string> getString(std::string_view name) const;

    Outcome<void> setProperty(std::string_view name, const Variant& value) const;

    // Arguments are Variant-constructible values in their written order; pass
    // std::int16_t for an Integer parameter.
    template <typename... Arguments>
    Outcome<Variant> call(std::string_view name, const Arguments&... arguments) const {
        const std::array<Variant, sizeof...(Arguments)> list{Variant(arguments)...};
        return invoke(name,
                      sizeof...(Arguments) == 0
                          ? DISPATCH_METHOD
                          : static_cast<WORD>(DISPATCH_METHOD | DISPATCH_PROPERTYGET),
                      list);
    }
    template <typename... Arguments>
    Outcome<DispatchObject> callObject(std::string_view name, const Arguments&... arguments) const {
        return toObject(call(name, arguments...));
    }
    // The object a call returns, wrapped like this one's objects.
    Outcome<DispatchObject> toObject(Outcome<Variant> result) const;

private:
    Outcome<Variant> invoke(std::string_view name, WORD flags,
                            std::span<const Variant> arguments) const;
    // Runs one attempt after another while the server answers that it is busy
    // and the retry window is open.
    template <typename Attempt> HRESULT retryWhileBusy(Attempt attempt) const;

    Microsoft::WRL::ComPtr<IDispatch> object_;
    std::chrono::milliseconds busyRetryWindow_ = BusyRetryWindow;
};

} // namespace quorvane::win32
