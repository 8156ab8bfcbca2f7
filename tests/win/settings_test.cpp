// Settings written to the registry and read back the way any other program
// would read them, under a key of the test's own that is removed afterwards.

#include "platform/win32/registry_settings.h"
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace quorvane::win32 {
namespace {

class RegistrySettingsTest : public testing::Test {
protected:
    const std::wstring base =
        L"Software\\QuorvaneTests\\settings-" + std::to_wstring(GetCurrentProcessId());
    RegistrySettingsStore store{HKEY_CURRENT_USER, toUtf8(base)};

    ~RegistrySettingsTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str()); }

    // The value's type and text, or the error code when it cannot be read.
    std::pair<DWORD, std::wstring> read(const std::wstring& subkey, const std::wstring& name) {
        const std::wstring path = base + L"\\" + subkey;
        DWORD type = 0;
        DWORD bytes = 0;
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY,
                                      &type, nullptr, &bytes);
        if (status != ERROR_SUCCESS)
            return {status, L""};
        std::wstring text(bytes / sizeof(wchar_t), L'\0');
        status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY, &type,
                              text.data(), &bytes);
        if (status != ERROR_SUCCESS)
            return {status, L""};
        text.resize(wcsnlen(text.c_str(), text.size()));
        return {type, text};
    }
};

TEST_F(RegistrySettingsTest, WritesTextValuesUnderApplicationAndSection) {
    ASSERT_TRUE(store.saveSetting("Quorvane", "Import", "LastFolder", "C:\\Contacts\\Zoë – 東京"));
    EXPECT_EQ(read(L"Quorvane\\Import", L"LastFolder"),
              std::make_pair(DWORD{REG_SZ}, std::wstring(L"C:\\Contacts\\Zoë – 東京")));

    // A second write replaces the first, and an empty text is still a value.
    ASSERT_TRUE(store.saveSetting("Quorvane", "Import", "LastFolder", ""));
    EXPECT_EQ(read(L"Quorvane\\Import", L"LastFolder"),
              std::make_pair(DWORD{REG_SZ}, std::wstring()));

    ASSERT_TRUE(store.saveSetting("Quorvane", "Window", "Width", "800"));
    EXPECT_EQ(read(L"Quorvane\\Window", L"Width"),
              std::make_pair(DWORD{REG_SZ}, std::wstring(L"800")));
}

TEST_F(RegistrySettingsTest, FailureCarriesTheSystemsText) {
    RegistrySettingsStore unusable(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)),
                                   toUtf8(base));
    const auto saved = unusable.saveSetting("Quorvane", "Import", "LastFolder", "C:\\");
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.failure().description, systemMessage(ERROR_INVALID_HANDLE));
}

} // namespace
} // namespace quorvane::win32
