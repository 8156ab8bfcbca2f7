#include "server_state.h"

#include <algorithm>
#include <cwchar>

namespace quorvane::standin {

void ServerState::objectCreated() {
    ++liveObjects_;
    touch();
}

long ServerState::objectReleased() {
    --liveObjects_;
    touch();
    return liveObjects_;
}

void ServerState::lockServer(bool lock) {
    locks_ += lock ? 1 : -1;
    touch();
}

void ServerState::itemWindowOpened(std::shared_ptr<ItemWindow> window) {
    itemWindows_.push_back(std::move(window));
    touch();
}

void ServerState::itemWindowDestroyed(HWND window) {
    auto found = std::find_if(itemWindows_.begin(), itemWindows_.end(),
                              [window](const auto& item) { return item->window == window; });
    if (found == itemWindows_.end())
        return;
    (*found)->window = nullptr;
    itemWindows_.erase(found);
    touch();
}

UINT_PTR ServerState::addPendingOpen(PendingOpen request) {
    const UINT_PTR id = nextOpenId_++;
    pendingOpens_.emplace(id, std::move(request));
    touch();
    return id;
}

PendingOpen ServerState::takePendingOpen(UINT_PTR id) {
    auto found = pendingOpens_.find(id);
    if (found == pendingOpens_.end())
        return {};
    PendingOpen request = std::move(found->second);
    pendingOpens_.erase(found);
    touch();
    return request;
}

void ServerState::startBusy(DWORD ms) {
    busyUntil_ = std::max(busyUntil_, GetTickCount64() + ms);
}

bool ServerState::isBusy() const {
    return GetTickCount64() < busyUntil_;
}

void ServerState::touch() {
    lastUse_ = GetTickCount64();
}

bool ServerState::idleFor(DWORD ms) const {
    const bool inUse =
        liveObjects_ > 0 || locks_ > 0 || !itemWindows_.empty() || !pendingOpens_.empty();
    return !inUse && GetTickCount64() - lastUse_ >= ms;
}

void ServerState::folderCreated(IDispatch* folder, std::wstring mailboxPath) {
    folders_[folder] = std::move(mailboxPath);
}

void ServerState::folderReleased(IDispatch* folder) {
    folders_.erase(folder);
}

std::optional<std::wstring> ServerState::folderOf(IDispatch* object) const {
    const auto found = folders_.find(object);
    if (found == folders_.end())
        return std::nullopt;
    return found->second;
}

// The server's start time in 100 ns steps and a count: a later server starts
// later, so its identities never repeat an earlier one's. Hex digits, as
// Outlook's own entry IDs are.
std::wstring ServerState::newEntryId() {
    wchar_t text[40];
    std::swprintf(text, std::size(text), L"00000000%016llX%08lX", entryIdBase_, ++entryIds_);
    return text;
}

ULONGLONG ServerState::startTime() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

} // namespace quorvane::standin
