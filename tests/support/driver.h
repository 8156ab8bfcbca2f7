#pragma once
// Drives a running quorvane.exe from outside, as a person (or a script) would:
// start it, hand it files, press its commands, read and answer its boxes.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::e2e {

struct Box {
    std::wstring title;
    std::wstring text;
};

std::wstring environment(const wchar_t* name);
std::wstring tempFolder(const std::wstring& name); // a fresh, empty folder
void writeFile(const std::wstring& path, const std::string& content);
std::vector<std::wstring> readLines(const std::wstring& path);

// The stand-in's switches (HKCU\Software\QuorvaneTest\OutlookStandIn).
void resetStandIn(const std::wstring& logFile, const std::wstring& savedFile);
void setStandIn(const wchar_t* name, DWORD value);
// Waits until no stand-in server from an earlier test is left, closing its
// item windows the way a person would, so no late window of one test is taken
// for a window of the next.
void settleStandIn();
// Runs the stand-in with one argument (/regserver, /unregserver) and waits.
void runStandIn(const wchar_t* argument);

class Quorvane {
public:
    Quorvane();
    ~Quorvane();
    Quorvane(const Quorvane&) = delete;
    Quorvane& operator=(const Quorvane&) = delete;

    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }

    void appendRows(const std::vector<std::wstring>& paths);
    void command(int id);
    int rowCount() const;
    std::wstring progressText() const;
    double progressValue() const;

    // Answers every box the program shows until one whose text matches
    // `last` has been answered; returns all of them in order. Gives up after
    // the timeout, returning what it saw.
    std::vector<Box> answerBoxesUntil(const std::wstring& last, std::chrono::milliseconds timeout);
    // Waits for the process to end; false on timeout.
    bool waitForExit(std::chrono::milliseconds timeout);
    void close();

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// Polls the condition (pumping this thread's messages) until it holds or the
// timeout passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

} // namespace quorvane::e2e
