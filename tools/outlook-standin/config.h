#pragma once
// How a test asks the stand-in to misbehave. The values live in the registry,
// not the environment: on Windows a server that COM starts does not inherit
// its client's environment. They are read afresh at every operation so a test
// can change them while one server process serves many cases.

#include "standin_names.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvane::standin {

// How much of a card the Outlook being stood in for keeps (Keeps, REG_SZ).
// Versions differ; a test runs the importer against each to show that it
// writes nothing twice and loses nothing whichever it meets.
enum class CardKeeping {
    AsDocumented, // no Keeps: as Outlook's documentation of vCard import says
    More,         // "more": NICKNAME, CATEGORIES and every TEL, URL and ADR too
    Less,         // "less": no TEL without a kind at all
};

// Outlook's security prompt before another program reads addresses
// (AddressPrompt, REG_SZ). Without the switch there is none, as where the
// antivirus state is good.
enum class AddressPrompt {
    Never,
    Allow,  // "allow": shown at the first guarded read of a server run, answered Allow
    Refuse, // "refuse": shown at every guarded read, answered No: the read fails
};

struct StandInConfig {
    DWORD openDelayMs = 0;           // OpenDelayMs: time from a /v request to its window
    bool neverOpen = false;          // NeverOpen: /v requests are logged and then ignored
    DWORD windowsPerOpen = 1;        // WindowsPerOpen: item windows opened per request
    bool failSave = false;           // FailSave
    bool failClose = false;          // FailClose
    DWORD busyMs = 0;                // BusyMs: calls are rejected this long after each request
                                     // (a /v request or an OpenSharedItem)
    bool failOpenSharedItem = false; // FailOpenSharedItem
    bool failMove = false;           // FailMove
    // VanishAtSave: the process ends at the Nth Save from when the switch was
    // set, once that contact is stored and before Save answers, as an Outlook
    // that crashes would. Each Save counts the switch down and the last one
    // clears it, so the Outlook started next stays up.
    DWORD vanishAtSave = 0;
    DWORD idleExitMs = 5000; // IdleExitMs: how long an unused server lingers
    std::wstring logFile;    // LogFile: event log, empty for none
    std::wstring savedFile;  // SavedFile: one line per saved item, empty for none
    // FaultSeed and FaultPercent: random faults per /v request or
    // OpenSharedItem (random_faults.h).
    std::optional<DWORD> faultSeed;
    DWORD faultPercent = 0;
    std::wstring preloadFile;  // PreloadFile: a card file whose every card Contacts holds at start
    std::wstring storeFile;    // StoreFile: keeps the mailbox's items from one server to the next
    bool failGetTable = false; // FailGetTable
    bool failGetItemFromId = false; // FailGetItemFromID (not "not found": the call fails)
    bool failDelete = false;        // FailDelete
    // LogTimes: each log line ends with a tab, "@" and the microseconds of
    // the performance counter when the call arrived, for the benchmark to
    // time the client's work between its calls.
    bool logTimes = false;
    CardKeeping keeps = CardKeeping::AsDocumented;
    AddressPrompt addressPrompt = AddressPrompt::Never;
    // ContactsFile: one line per saved contact with every property it holds
    // (event_log.h has its form), empty for none.
    std::wstring contactsFile;
    // Folders: folders the mailbox has besides Outlook's own, by their paths
    // below it separated by semicolons ("Contacts\Friends;Archive\Contacts\Work").
    std::vector<std::wstring> folders;
    std::wstring version = L"16.0.0.0"; // Version: what Application.Version says
    // Utf8WithoutCharset: a value that names no CHARSET is read as UTF-8, as
    // Outlook is not documented to, rather than in Windows-1252.
    bool utf8WithoutCharset = false;
    // SavesEveryCard: Save of an item read from a file stores every other
    // card of the file too, as an Outlook that read them all would.
    bool savesEveryCard = false;
};

StandInConfig readConfig();

// PickFolder (REG_SZ) is what Outlook's folder chooser answers: folders below
// the mailbox separated by semicolons ("Inbox;Contacts\Friends"), one per
// time the chooser is shown, the last one again and again; "Cancel" (or an
// empty entry) is the Cancel button. Without the switch the chooser answers
// "Contacts", the folder it opens on.
std::optional<std::wstring> takeChooserAnswer();

// Counts VanishAtSave down for one Save; true when this Save is the one.
bool countDownVanishAtSave(const StandInConfig& config);

} // namespace quorvane::standin
