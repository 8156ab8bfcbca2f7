#pragma once
// A property's value as the VARIANT Outlook hands out, cleared when it goes:
// text as VT_BSTR, a date as VT_DATE, a flag as VT_BOOL.

#include "contact_properties.h"

#include <oleauto.h>

namespace quorvane::standin {

class PropertyVariant {
public:
    explicit PropertyVariant(const PropertyValue& value) {
        VariantInit(&variant_);
        if (const auto* date = std::get_if<OleDate>(&value)) {
            variant_.vt = VT_DATE;
            variant_.date = date->value;
        } else if (const auto* flag = std::get_if<bool>(&value)) {
            variant_.vt = VT_BOOL;
            variant_.boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            const auto& text = std::get<std::wstring>(value);
            variant_.vt = VT_BSTR;
            variant_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
    }
    PropertyVariant(const PropertyVariant&) = delete;
    PropertyVariant& operator=(const PropertyVariant&) = delete;
    ~PropertyVariant() { VariantClear(&variant_); }

    VARIANT* get() { return &variant_; }

private:
    VARIANT variant_;
};

} // namespace quorvane::standin
