#include "contact_store.h"

#include "card_mapping.h"
#include "contact_file.h"
#include "mailbox.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <sstream>

namespace quorvane::standin {
namespace {

using win32::toUtf8;
using win32::toWide;

// 30 December 1899, where OLE dates count from, in FILETIME's 100 ns steps.
constexpr ULONGLONG OleEpoch = 94353120000000000ull;
constexpr double StepsPerDay = 864000000000.0;
// One millisecond: what a stamp moves on by when the clock has not.
constexpr double LeastStep = 1.0 / 86400000.0;

// Marks the preloaded items' IDs; the rest are ServerState::newEntryId's.
constexpr wchar_t PreloadIdPrefix[] = L"000000005052454C";

bool equalIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A journal line from before every property was kept: "save", the item's
// ID, folder, time and card file, then its name, three e-mail addresses,
// business, home and mobile phones and, once it was kept, its company; no
// escapes, as tabs and line breaks were blanked.
ContactFields olderFields(const std::vector<std::wstring>& fields) {
    using P = ContactProperty;
    constexpr P kept[] = {P::FullName,
                          P::Email1Address,
                          P::Email2Address,
                          P::Email3Address,
                          P::BusinessTelephoneNumber,
                          P::HomeTelephoneNumber,
                          P::MobileTelephoneNumber,
                          P::CompanyName};
    ContactFields contact;
    for (std::size_t at = 0; at < std::size(kept) && 5 + at < fields.size(); ++at)
        contact.text(kept[at]) = fields[5 + at];
    return contact;
}

std::vector<std::wstring> splitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find(L'\t', from)) != std::wstring::npos; from = tab + 1)
        fields.push_back(line.substr(from, tab - from));
    fields.push_back(line.substr(from));
    return fields;
}

} // namespace

std::optional<PropertyValue> propertyOf(const StoredContact& contact, std::wstring_view name) {
    if (const auto property = contactPropertyNamed(name))
        return contact.fields[*property];
    const std::wstring wanted(name);
    const std::pair<const wchar_t*, std::wstring> texts[] = {
        {L"EntryID", contact.entryId},
        {L"Subject", contact.fields.text(ContactProperty::FullName)},
        {L"MessageClass", L"IPM.Contact"},
        // Known to Outlook; the stand-in splits no names.
        {L"FirstName", {}},
        {L"LastName", {}}};
    for (const auto& [known, value] : texts)
        if (equalIgnoringCase(wanted, known))
            return value;
    // A stored contact is never changed but by Save, so it was made when
    // first stored as far as anyone asks.
    if (equalIgnoringCase(wanted, L"LastModificationTime") ||
        equalIgnoringCase(wanted, L"CreationTime"))
        return OleDate{contact.lastModified};
    return std::nullopt;
}

double oleNow() {
    FILETIME utc{};
    FILETIME local{};
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    const ULONGLONG steps =
        (static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return static_cast<double>(steps - OleEpoch) / StepsPerDay;
}

void ContactStore::follow(const StandInConfig& config) {
    // Kept in memory only, a mailbox belongs to the record of one test.
    const std::wstring record = config.storeFile.empty() ? config.savedFile : std::wstring();
    keeping_ = config.keeps;
    declaredFolders_ = config.folders;
    if (loaded_ && config.preloadFile == preloadFile_ && config.storeFile == storeFile_ &&
        record == record_)
        return;
    preloadFile_ = config.preloadFile;
    storeFile_ = config.storeFile;
    record_ = record;
    load();
}

void ContactStore::load() {
    loaded_ = true;
    contacts_.clear();
    folders_.clear();
    // Preloaded cards come first, with the same IDs at every start, and the
    // journal after them: what a test deleted of them stays deleted.
    if (!preloadFile_.empty()) {
        const double loadedAt = stamp();
        unsigned long number = 0;
        for (const FirstContact& card : readEveryContactFile(preloadFile_)) {
            wchar_t id[40];
            std::swprintf(id, std::size(id), L"%ls%016lX", PreloadIdPrefix, ++number);
            contacts_.push_back(StoredContact{id, DefaultContactsFolder, preloadFile_,
                                              contactOfCard(card, keeping_), loadedAt});
        }
    }
    if (storeFile_.empty())
        return;
    std::wstringstream journal(toWide(fileBytesOf(storeFile_)));
    for (std::wstring line; std::getline(journal, line);) {
        const auto fields = splitTabs(line);
        if (fields.size() >= 2 && (fields[0] == L"folder" || fields[0] == L"drop")) {
            const std::wstring path = unescapedFromLine(fields[1]);
            const long itemType = fields.size() > 2 ? std::wcstol(fields[2].c_str(), nullptr, 10)
                                                    : defaultItemType(path);
            if (fields[0] == L"folder")
                folders_.make({path, itemType});
            else
                folders_.drop(path);
            continue;
        }
        if (fields.size() == 2 && fields[0] == L"remove") {
            if (auto* found = slot(fields[1]))
                found->reset();
            continue;
        }
        const bool older = fields[0] == L"save" && fields.size() >= 12;
        if ((fields[0] != L"store" || fields.size() < 5) && !older)
            continue;
        StoredContact contact{unescapedFromLine(fields[1]), unescapedFromLine(fields[2]),
                              unescapedFromLine(fields[4]),
                              older ? olderFields(fields)
                                    : fieldsOfPropertyLine({fields.begin() + 5, fields.end()}),
                              std::wcstod(fields[3].c_str(), nullptr)};
        lastStamp_ = std::max(lastStamp_, contact.lastModified);
        if (auto* found = slot(contact.entryId))
            **found = std::move(contact);
        else
            contacts_.push_back(std::move(contact));
    }
}

void ContactStore::journal(const std::wstring& line) const {
    if (storeFile_.empty())
        return;
    const win32::ScopedFile out(CreateFileW(storeFile_.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string text = toUtf8(line) + '\n';
    DWORD written = 0;
    if (out)
        WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::optional<StoredContact>* ContactStore::slot(const std::wstring& entryId) {
    const auto found = std::find_if(contacts_.begin(), contacts_.end(), [&](const auto& contact) {
        return contact && contact->entryId == entryId;
    });
    return found == contacts_.end() || !*found ? nullptr : &*found;
}

double ContactStore::stamp() {
    lastStamp_ = std::max(oleNow(), lastStamp_ + LeastStep);
    return lastStamp_;
}

const StoredContact& ContactStore::save(StoredContact contact) {
    contact.lastModified = stamp();
    wchar_t when[40];
    std::swprintf(when, std::size(when), L"%.17g", contact.lastModified);
    std::wstring line = L"store";
    for (const std::wstring& field :
         {contact.entryId, contact.mailboxPath, std::wstring(when), contact.sourcePath})
        line += L"\t" + escapedForLine(field);
    line += L"\t" + propertyLine(contact.fields);
    journal(line);
    auto* found = slot(contact.entryId);
    if (!found) {
        contacts_.push_back(std::move(contact));
        return *contacts_.back();
    }
    **found = std::move(contact);
    return **found;
}

std::optional<StoredContact> ContactStore::find(const std::wstring& entryId) const {
    for (const auto& contact : contacts_)
        if (contact && contact->entryId == entryId)
            return contact;
    return std::nullopt;
}

bool ContactStore::remove(const std::wstring& entryId) {
    auto* found = slot(entryId);
    if (!found)
        return false;
    const std::wstring deletedItems = deletedItemsOf((*found)->mailboxPath);
    if (equalIgnoringCase((*found)->mailboxPath, deletedItems)) {
        journal(L"remove\t" + entryId);
        found->reset();
        return true;
    }
    StoredContact moved = **found;
    moved.mailboxPath = deletedItems;
    save(std::move(moved));
    return true;
}

std::vector<MailboxFolder> ContactStore::folders() const {
    std::vector<std::wstring> holding;
    for (const auto& contact : contacts_)
        if (contact && std::none_of(holding.begin(), holding.end(), [&](const std::wstring& path) {
                return samePath(path, contact->mailboxPath);
            }))
            holding.push_back(contact->mailboxPath);
    return folders_.existing(declaredFolders_, holding);
}

std::optional<MailboxFolder> ContactStore::folder(const std::wstring& mailboxPath) const {
    for (MailboxFolder& known : folders())
        if (samePath(known.path, mailboxPath))
            return std::move(known);
    return std::nullopt;
}

void ContactStore::changeFolders(bool made, const MailboxFolder& folder) {
    if (made) {
        journal(L"folder\t" + escapedForLine(folder.path) + L"\t" +
                std::to_wstring(folder.itemType));
        folders_.make(folder);
    } else {
        journal(L"drop\t" + escapedForLine(folder.path));
        folders_.drop(folder.path);
    }
}

void ContactStore::makeFolder(MailboxFolder folder) {
    changeFolders(true, folder);
}

std::optional<std::wstring> ContactStore::deleteFolder(const std::wstring& mailboxPath) {
    const std::wstring deletedItems = deletedItemsOf(mailboxPath);
    const bool forGood = isAtOrBelow(mailboxPath, deletedItems);
    const std::wstring moved = childOf(deletedItems, folderName(mailboxPath));
    // The part below the deleted folder stays as it was.
    const auto movedPath = [&](const std::wstring& path) {
        return moved + path.substr(mailboxPath.size());
    };
    if (!forGood)
        for (const MailboxFolder& below : folders())
            if (isAtOrBelow(below.path, mailboxPath))
                changeFolders(true, {movedPath(below.path), below.itemType});
    for (auto& contact : contacts_) {
        if (!contact || !isAtOrBelow(contact->mailboxPath, mailboxPath))
            continue;
        if (forGood) {
            journal(L"remove\t" + contact->entryId);
            contact.reset();
            continue;
        }
        StoredContact kept = *contact;
        kept.mailboxPath = movedPath(kept.mailboxPath);
        save(std::move(kept));
    }
    changeFolders(false, {mailboxPath});
    if (forGood)
        return std::nullopt;
    return moved;
}

std::vector<StoredContact> ContactStore::inFolder(const std::wstring& mailboxPath) const {
    std::vector<StoredContact> held;
    for (const auto& contact : contacts_)
        if (contact && equalIgnoringCase(contact->mailboxPath, mailboxPath))
            held.push_back(*contact);
    return held;
}

} // namespace quorvane::standin
