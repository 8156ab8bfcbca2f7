#include "event_log.h"

#include "config.h"
#include "contact_properties.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <string>

namespace quorvane::standin {

using win32::toUtf8;

namespace {

void appendLine(const std::wstring& file, std::string_view line) {
    if (file.empty())
        return;
    // Shared for reading, writing and deleting: the test reads and removes
    // these files while the server holds no handle between lines anyway.
    const win32::ScopedFile out(CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return;
    std::string text(line);
    text += '\n';
    DWORD written = 0;
    WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

void logEvent(std::string_view line) {
    // Taken first: reading the switches costs registry calls.
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    const StandInConfig config = readConfig();
    if (!config.logTimes)
        return appendLine(config.logFile, line);
    QueryPerformanceFrequency(&frequency);
    const auto micros = now.QuadPart / frequency.QuadPart * 1000000 +
                        now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
    appendLine(config.logFile, std::string(line) + "\t@" + std::to_string(micros));
}

void logEvent(std::string_view event, std::wstring_view path) {
    std::string line(event);
    line += ' ';
    line += toUtf8(path);
    logEvent(line);
}

void recordSaved(std::wstring_view path, std::wstring_view contactName,
                 std::wstring_view folderPath) {
    appendLine(readConfig().savedFile,
               toUtf8(path) + '\t' + toUtf8(contactName) + '\t' + toUtf8(folderPath));
}

void recordContact(std::wstring_view path, std::wstring_view properties) {
    appendLine(readConfig().contactsFile, toUtf8(escapedForLine(path)) + '\t' + toUtf8(properties));
}

} // namespace quorvane::standin
