#include "driver.h"

#include "platform/win32/automation_messages.h"

#include <commctrl.h>
#include <shellapi.h>

#include <fstream>
#include <stdexcept>

namespace quorvane::e2e {

namespace {

constexpr wchar_t StandInKey[] = L"Software\\QuorvaneTest\\OutlookStandIn";

std::wstring windowText(HWND window) {
    wchar_t text[4096];
    const int length = GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring className(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(length));
}

HWND findChild(HWND parent, const wchar_t* windowClass) {
    return FindWindowExW(parent, nullptr, windowClass, nullptr);
}

struct BoxSearch {
    DWORD processId;
    HWND found;
};

// A message box is a dialog of the program's own process.
HWND findMessageBox(DWORD processId) {
    BoxSearch search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<BoxSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window) ||
                className(window) != L"#32770")
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        pump();
        Sleep(20);
    }
    return true;
}

std::wstring environment(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD length = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    if (length == 0 || length >= std::size(value))
        throw std::runtime_error("missing environment variable");
    return std::wstring(value, length);
}

std::wstring tempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"quorvane-e2e\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += name;
    // Start empty: earlier runs may have left files.
    std::wstring pattern = folder + L"\\*";
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void writeFile(const std::wstring& path, const std::string& content) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::wstring> readLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    std::ifstream in(path.c_str(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                             nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                            size);
        lines.push_back(wide);
    }
    return lines;
}

void resetStandIn(const std::wstring& logFile, const std::wstring& savedFile) {
    RegDeleteTreeW(HKEY_CURRENT_USER, StandInKey);
    DeleteFileW(logFile.c_str());
    DeleteFileW(savedFile.c_str());
    const auto setString = [](const wchar_t* name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, StandInKey, name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    setString(L"LogFile", logFile);
    setString(L"SavedFile", savedFile);
    // A short linger keeps one test's server from serving the next.
    setStandIn(L"IdleExitMs", 1000);
}

void settleStandIn() {
    waitUntil(
        [] {
            HWND item = nullptr;
            while ((item = FindWindowExW(nullptr, item, L"QuorvaneStandInContact", nullptr)))
                PostMessageW(item, WM_CLOSE, 0, 0);
            return FindWindowW(L"QuorvaneStandInServer", nullptr) == nullptr;
        },
        std::chrono::seconds(15));
}

void setStandIn(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, StandInKey, name, REG_DWORD, &value, sizeof value);
}

void runStandIn(const wchar_t* argument) {
    std::wstring commandLine = L"\"" + environment(L"QUORVANE_STANDIN_EXE") + L"\" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        throw std::runtime_error("cannot start the stand-in");
    WaitForSingleObject(info.hProcess, 30000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

Quorvane::Quorvane() {
    const std::wstring exe = environment(L"QUORVANE_EXE");
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    execute.lpFile = exe.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&execute) || !execute.hProcess)
        throw std::runtime_error("cannot start quorvane.exe");
    process_ = execute.hProcess;
    processId_ = GetProcessId(process_);
    waitUntil(
        [&] {
            HWND candidate = nullptr;
            while ((candidate = FindWindowExW(nullptr, candidate, win32::MainWindowClassName,
                                              nullptr))) {
                DWORD owner = 0;
                GetWindowThreadProcessId(candidate, &owner);
                if (owner == processId_ && IsWindowVisible(candidate)) {
                    window_ = candidate;
                    return true;
                }
            }
            return false;
        },
        std::chrono::seconds(30));
    if (!window_) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process_, &exitCode);
        throw std::runtime_error("quorvane.exe showed no window (process state " +
                                 std::to_string(exitCode) + ")");
    }
}

Quorvane::~Quorvane() {
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        close();
        if (!waitForExit(std::chrono::seconds(10)))
            TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
}

void Quorvane::appendRows(const std::vector<std::wstring>& paths) {
    std::wstring block;
    for (const std::wstring& path : paths)
        block.append(path).push_back(L'\0');
    COPYDATASTRUCT data{win32::CopyDataAppendRows,
                        static_cast<DWORD>(block.size() * sizeof(wchar_t)), block.data()};
    SendMessageW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

void Quorvane::command(int id) { PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

int Quorvane::rowCount() const {
    HWND list = findChild(window_, L"SysListView32");
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring Quorvane::progressText() const {
    return windowText(findChild(window_, win32::ProgressBarClassName));
}

double Quorvane::progressValue() const {
    return static_cast<double>(SendMessageW(findChild(window_, win32::ProgressBarClassName),
                                            win32::ProgressGetValue, 0, 0)) /
           100.0;
}

std::vector<Box> Quorvane::answerBoxesUntil(const std::wstring& last,
                                            std::chrono::milliseconds timeout) {
    std::vector<Box> boxes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        HWND box = findMessageBox(processId_);
        if (!box) {
            if (WaitForSingleObject(process_, 20) == WAIT_OBJECT_0)
                break;
            continue;
        }
        // The box's text is its static control, ID 0xFFFF.
        Box seen{windowText(box), windowText(GetDlgItem(box, 0xFFFF))};
        boxes.push_back(seen);
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        waitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); },
                  std::chrono::seconds(5));
        if (seen.text == last)
            break;
    }
    return boxes;
}

bool Quorvane::waitForExit(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Quorvane::close() { PostMessageW(window_, WM_CLOSE, 0, 0); }

} // namespace quorvane::e2e
