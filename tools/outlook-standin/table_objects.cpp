#include "table_objects.h"

#include "address_prompt.h"
#include "dispatch_object.h"
#include "event_log.h"
#include "property_variant.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide_text.h"

#include <oleauto.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <span>

namespace quorvane::standin {
namespace {

using Microsoft::WRL::ComPtr;
using win32::makeComObject;
using win32::toUtf8;

// Outlook's default columns for a folder of contacts.
const std::vector<std::wstring> DefaultColumns = {
    L"EntryID",      L"Subject",   L"CreationTime", L"LastModificationTime",
    L"MessageClass", L"FirstName", L"LastName",     L"CompanyName"};

// What a table and its Columns share: changing the columns changes what the
// next rows hold.
struct TableState {
    std::vector<StoredContact> rows;
    std::vector<std::wstring> columns = DefaultColumns;
    std::size_t next = 0; // the row GetNextRow and GetArray hand out next
};

// Outlook asks the user before it hands out a guarded column (the security
// prompt), at every read of rows that hold one.
HRESULT passPromptFor(ServerState& state, const DispatchCall& call,
                      std::span<const std::wstring> columns) {
    for (const std::wstring& column : columns) {
        const auto property = contactPropertyNamed(column);
        if (property && isGuarded(*property))
            return passAddressPrompt(state, call, toUtf8(nameOf(*property)));
    }
    return S_OK;
}

// Columns hold only names propertyOf knows, so every cell has a value.
PropertyValue cell(const TableState& table, const StoredContact& row, std::size_t column) {
    return propertyOf(row, table.columns[column]).value_or(std::wstring());
}

// A SAFEARRAY of VARIANTs, `rows` by the table's columns; one-dimensional
// for a single row (Row.GetValues), else v(row, column) as Visual Basic
// indexes it, lower bounds 0. The indices SafeArrayPutElement takes go in
// the order the bounds were given.
HRESULT returnCells(const DispatchCall& call, const TableState& table, std::size_t first,
                    std::size_t count, bool oneRow) {
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(count), 0},
                                {static_cast<ULONG>(table.columns.size()), 0}};
    SAFEARRAY* cells = oneRow ? SafeArrayCreate(VT_VARIANT, 1, &bounds[1])
                              : SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!cells)
        return E_OUTOFMEMORY;
    for (std::size_t row = 0; row < count; ++row) {
        for (std::size_t column = 0; column < table.columns.size(); ++column) {
            PropertyVariant value(cell(table, table.rows[first + row], column));
            LONG at[2] = {static_cast<LONG>(row), static_cast<LONG>(column)};
            const HRESULT hr = SafeArrayPutElement(cells, oneRow ? &at[1] : at, value.get());
            if (FAILED(hr)) {
                SafeArrayDestroy(cells);
                return hr;
            }
        }
    }
    if (!call.result)
        return SafeArrayDestroy(cells);
    call.result->vt = VT_ARRAY | VT_VARIANT;
    call.result->parray = cells;
    return S_OK;
}

class Columns final : public DispatchObject {
public:
    Columns(ServerState& state, std::shared_ptr<TableState> table)
        : DispatchObject(state, "Columns", Members), table_(std::move(table)) {}

private:
    enum : DISPID { CountId = 1, RemoveAllId, AddId };
    static constexpr DispatchMember Members[] = {
        {L"Count", CountId}, {L"RemoveAll", RemoveAllId}, {L"Add", AddId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        if (id == CountId)
            return returnLong(call, static_cast<long>(table_->columns.size()));
        if (id == RemoveAllId) {
            logEvent("Columns.RemoveAll");
            table_->columns.clear();
            return S_OK;
        }
        std::wstring name;
        if (const HRESULT hr = textArgument(call, 0, name); FAILED(hr))
            return hr;
        logEvent("Columns.Add(" + toUtf8(name) + ")");
        if (!propertyOf(StoredContact{}, name))
            return raiseOutlookError(call, (L"The property \"" + name + L"\" is unknown.").c_str(),
                                     E_INVALIDARG);
        // Outlook answers with the Column; no caller here asks anything of it.
        table_->columns.push_back(name);
        return S_OK;
    }

    const std::shared_ptr<TableState> table_;
};

class Row final : public DispatchObject {
public:
    Row(ServerState& state, std::shared_ptr<TableState> table, std::size_t index)
        : DispatchObject(state, "Row", Members), table_(std::move(table)), index_(index) {}

private:
    enum : DISPID { GetValuesId = 1, ItemId };
    static constexpr DispatchMember Members[] = {{L"GetValues", GetValuesId}, {L"Item", ItemId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        if (id == GetValuesId) {
            if (const HRESULT hr = passPromptFor(state_, call, table_->columns); FAILED(hr))
                return hr;
            return returnCells(call, *table_, index_, 1, true);
        }
        // Item takes a 1-based column number or a column's name.
        const auto& columns = table_->columns;
        std::size_t column = columns.size();
        IntegerArgument number;
        std::wstring name;
        if (SUCCEEDED(integerArgument(call, 0, number))) {
            column = number.value >= 1 ? static_cast<std::size_t>(number.value - 1) : column;
        } else if (const HRESULT hr = textArgument(call, 0, name); FAILED(hr)) {
            return hr;
        } else {
            const auto found = std::find_if(columns.begin(), columns.end(), [&](const auto& c) {
                return CompareStringOrdinal(c.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
            });
            column = static_cast<std::size_t>(found - columns.begin());
        }
        if (column >= columns.size())
            return raiseOutlookError(call, L"Array index out of bounds.", DISP_E_BADINDEX);
        if (const HRESULT hr = passPromptFor(state_, call, {&columns[column], 1}); FAILED(hr))
            return hr;
        PropertyVariant value(cell(*table_, table_->rows[index_], column));
        return call.result ? VariantCopy(call.result, value.get()) : S_OK;
    }

    const std::shared_ptr<TableState> table_;
    const std::size_t index_;
};

class Table final : public DispatchObject {
public:
    Table(ServerState& state, std::vector<StoredContact> rows)
        : DispatchObject(state, "Table", Members), table_(std::make_shared<TableState>()) {
        table_->rows = std::move(rows);
    }

private:
    enum : DISPID {
        ColumnsId = 1,
        EndOfTableId,
        GetRowCountId,
        GetNextRowId,
        GetArrayId,
        MoveToStartId
    };
    static constexpr DispatchMember Members[] = {
        {L"Columns", ColumnsId},         {L"EndOfTable", EndOfTableId},
        {L"GetRowCount", GetRowCountId}, {L"GetNextRow", GetNextRowId},
        {L"GetArray", GetArrayId},       {L"MoveToStart", MoveToStartId}};

    HRESULT invokeMember(DISPID id, const DispatchCall& call) override {
        TableState& table = *table_;
        const std::size_t left = table.rows.size() - table.next;
        switch (id) {
        case ColumnsId:
            return returnObject(call, makeComObject<Columns>(state_, table_));
        case EndOfTableId:
            if (call.result) {
                call.result->vt = VT_BOOL;
                call.result->boolVal = left == 0 ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        case GetRowCountId:
            return returnLong(call, static_cast<long>(table.rows.size()));
        case GetNextRowId:
            logEvent("Table.GetNextRow");
            // Past the end Outlook answers Nothing.
            if (left == 0)
                return S_OK;
            return returnObject(call, makeComObject<Row>(state_, table_, table.next++));
        case GetArrayId:
            return getArray(call, left);
        default:
            table.next = 0;
            return S_OK;
        }
    }

    HRESULT getArray(const DispatchCall& call, std::size_t left) {
        IntegerArgument most;
        if (const HRESULT hr = integerArgument(call, 0, most); FAILED(hr))
            return hr;
        if (most.value <= 0)
            return raiseOutlookError(call, L"The value is out of range.", E_INVALIDARG);
        const std::size_t count = std::min(left, static_cast<std::size_t>(most.value));
        logEvent("Table.GetArray(" + std::to_string(most.value) + ") = " + std::to_string(count));
        // No rows left: nothing at all rather than an empty array.
        if (count == 0)
            return S_OK;
        if (const HRESULT hr = passPromptFor(state_, call, table_->columns); FAILED(hr))
            return hr;
        const HRESULT hr = returnCells(call, *table_, table_->next, count, false);
        if (SUCCEEDED(hr))
            table_->next += count;
        return hr;
    }

    const std::shared_ptr<TableState> table_;
};

std::wstring folded(const std::wstring& text) {
    std::wstring result;
    for (const wchar_t c : text)
        if (!std::iswspace(c))
            result += static_cast<wchar_t>(std::towlower(c));
    return result;
}

} // namespace

std::optional<std::vector<StoredContact>> filtered(std::vector<StoredContact> held,
                                                   const std::wstring& filter) {
    const std::wstring condition = folded(filter);
    if (condition.empty())
        return held;
    const std::wstring field = L"[messageclass]=";
    if (condition.size() < field.size() + 2 || condition.compare(0, field.size(), field) != 0)
        return std::nullopt;
    const wchar_t quote = condition[field.size()];
    if ((quote != L'\'' && quote != L'"') || condition.back() != quote)
        return std::nullopt;
    const std::wstring messageClass =
        condition.substr(field.size() + 1, condition.size() - field.size() - 2);
    if (messageClass != L"ipm.contact")
        held.clear();
    return held;
}

ComPtr<IDispatch> makeTable(ServerState& state, std::vector<StoredContact> rows) {
    return makeComObject<Table>(state, std::move(rows));
}

} // namespace quorvane::standin
