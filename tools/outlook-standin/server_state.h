#pragma once
// Everything the running stand-in knows about itself. A COM server process is
// one shared place by nature (the class object, the message window and every
// automation object answer for the same "Outlook"); that state is kept here,
// in one object owned by wWinMain and handed to whoever needs it.

#include "contact_store.h"

#include <oaidl.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::standin {

// One item window ("inspector"). Automation objects keep it by shared_ptr and
// see `window` become null once the window is gone, however it went.
struct ItemWindow {
    HWND window = nullptr;
    std::wstring path;
    std::wstring contactName; // the file's first card, as Outlook read it
    // Drawn for this window's request in the random-fault mode; the fixed
    // FailSave and FailClose switches apply on top.
    bool failSave = false;
    bool failClose = false;
    // The contact the window shows, made at the first CurrentItem: every
    // later one hands out the same item, with whatever was written to it.
    std::shared_ptr<StoredContact> item;
};

// A /v request on its way to its window(s).
struct PendingOpen {
    std::wstring path;
    std::wstring contactName;
    bool twoWindows = false;
    bool failSave = false;
    bool failClose = false;
};

class ServerState {
public:
    // Automation objects and IClassFactory::LockServer keep the server alive.
    void objectCreated();
    // Returns how many automation objects remain alive.
    long objectReleased();
    void lockServer(bool lock);

    // Item windows in the order they opened: Inspectors.Item(1) is the oldest.
    const std::vector<std::shared_ptr<ItemWindow>>& itemWindows() const { return itemWindows_; }
    void itemWindowOpened(std::shared_ptr<ItemWindow> window);
    void itemWindowDestroyed(HWND window);

    // A /v request whose window is yet to open, keyed by its timer id.
    UINT_PTR addPendingOpen(PendingOpen request);
    PendingOpen takePendingOpen(UINT_PTR id);

    // A later spell never shortens one already running.
    void startBusy(DWORD ms);
    bool isBusy() const;

    // Any call or change of state counts as use and postpones the idle exit.
    void touch();
    bool idleFor(DWORD ms) const;

    // The one Application object while it lives (Outlook has only one), and
    // its registration in the running object table.
    IDispatch* application = nullptr;
    DWORD activeObjectCookie = 0;

    // Folder objects alive now, by the IDispatch a client hands back to Move:
    // a pointer from another process is only compared, never followed.
    void folderCreated(IDispatch* folder, std::wstring mailboxPath);
    void folderReleased(IDispatch* folder);
    std::optional<std::wstring> folderOf(IDispatch* object) const;

    // The mailbox's contacts, as the switches (read into `config`) have it.
    ContactStore& contacts(const StandInConfig& config) {
        contacts_.follow(config);
        return contacts_;
    }
    // An identity no stored item of any server run has had before.
    std::wstring newEntryId();

    // Ends the process as a crashing Outlook would, leaving every client's
    // references dangling. Set by wWinMain, which alone can withdraw the
    // class from COM first.
    std::function<void()> vanish;

    // Outlook's security prompt, once answered Allow, stays away for the rest
    // of the run (address_prompt.h).
    bool addressReadsAllowed = false;

private:
    long liveObjects_ = 0;
    long locks_ = 0;
    std::vector<std::shared_ptr<ItemWindow>> itemWindows_;
    std::map<UINT_PTR, PendingOpen> pendingOpens_;
    UINT_PTR nextOpenId_ = 100; // below 100: the server window's own timers
    ULONGLONG busyUntil_ = 0;
    ULONGLONG lastUse_ = GetTickCount64();
    std::map<IDispatch*, std::wstring> folders_;
    ContactStore contacts_;
    ULONGLONG entryIdBase_ = startTime();
    unsigned long entryIds_ = 0;

    static ULONGLONG startTime();
};

} // namespace quorvane::standin
