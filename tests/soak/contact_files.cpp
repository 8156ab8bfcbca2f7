#include "contact_files.h"

#include "support/test_files.h"

#include "platform/win32/wide_text.h"

#include <string>

namespace quorvane::soak {
namespace {

std::string vCard(const std::wstring& fullName) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + win32::toUtf8(fullName) + "\r\nEND:VCARD\r\n";
}

std::wstring numbered(std::size_t n) {
    std::wstring digits = std::to_wstring(n);
    return std::wstring(digits.size() < 5 ? 5 - digits.size() : 0, L'0') + digits;
}

constexpr std::size_t UnicodeEvery = 37;
constexpr std::size_t LongPathEvery = 499;
constexpr std::size_t SeveralContactsEvery = 10;
constexpr std::size_t ContactsInSeveral = 3;

} // namespace

std::wstring fileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

ContactFiles writeContactFiles(const std::wstring& folder, std::size_t count) {
    ContactFiles files;
    // One deep folder for the long paths: each path below it passes 260
    // characters by its own name's length.
    const std::wstring deep =
        folder + L"\\" + std::wstring(120, L'd') + L"\\" + std::wstring(100, L'e');
    test::makeFolders(deep);
    for (std::size_t n = 1; n <= count; ++n) {
        std::wstring path;
        std::wstring name;
        // The long ones come early (row 2) too, so a small run meets them.
        if (n % LongPathEvery == 2) {
            name = L"Long Path Contact " + numbered(n);
            path = deep + L"\\" + name + L" " + std::wstring(40, L'x') + L".vcf";
            ++files.longPaths;
        } else if (n % UnicodeEvery == 3) {
            name = L"Zo\u00eb \u00d1and\u00fa \u5317\u4eac " + numbered(n);
            path = folder + L"\\" + name + L".vcf";
            ++files.unicodeNames;
        } else {
            name = L"Contact " + numbered(n);
            path = folder + L"\\" + name + L".vcf";
        }
        if (n % SeveralContactsEvery == 5) {
            std::string export_;
            for (std::size_t k = 1; k <= ContactsInSeveral; ++k) {
                files.contacts.push_back(name + L" #" + std::to_wstring(k));
                export_ += vCard(files.contacts.back());
            }
            test::writeFile(path, export_);
            files.multiContactPaths.push_back(path);
        } else {
            files.contacts.push_back(name);
            test::writeFile(path, vCard(name));
        }
        files.paths.push_back(std::move(path));
    }
    return files;
}

} // namespace quorvane::soak
