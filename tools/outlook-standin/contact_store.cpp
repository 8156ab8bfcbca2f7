#include "contact_store.h"

#include "mailbox.h"

#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
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

std::wstring upper(std::string_view text) {
    std::wstring result;
    for (const char c : text)
        result += static_cast<wchar_t>(std::towupper(static_cast<unsigned char>(c)));
    return result;
}

// The kinds a TEL names: vCard 3.0 and 4.0 say TYPE=CELL,VOICE (quoted or
// not, perhaps in several TYPE parameters); 2.1 also writes a bare CELL.
std::vector<std::wstring> typesOf(const CardProperty& property) {
    std::vector<std::wstring> types;
    for (const std::string& parameter : property.parameters) {
        const std::wstring text = upper(parameter);
        const std::size_t equals = text.find(L'=');
        std::wstring list = text;
        if (equals != std::wstring::npos) {
            if (text.substr(0, equals) != L"TYPE")
                continue;
            list = text.substr(equals + 1);
        }
        std::wstringstream items(list);
        for (std::wstring item; std::getline(items, item, L',');) {
            item.erase(std::remove(item.begin(), item.end(), L'"'), item.end());
            types.push_back(item);
        }
    }
    return types;
}

// A journal line's fields are tab-separated, one item a line.
std::wstring flat(std::wstring text) {
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c == L'\t' || c == L'\r' || c == L'\n'; },
        L' ');
    return text;
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

ContactFields fieldsOf(const FirstContact& contact) {
    ContactFields fields;
    fields.fullName = contact.name;
    std::size_t emails = 0;
    for (const CardProperty& property : contact.properties) {
        if (property.name == "EMAIL" && emails < std::size(fields.emails)) {
            fields.emails[emails++] = property.value;
            continue;
        }
        if (property.name == "ORG" && fields.company.empty()) {
            fields.company = property.value.substr(0, property.value.find(L';'));
            continue;
        }
        if (property.name != "TEL")
            continue;
        const auto types = typesOf(property);
        const auto names = [&types](const wchar_t* type) {
            return std::find(types.begin(), types.end(), type) != types.end();
        };
        std::wstring& phone = names(L"CELL")   ? fields.mobilePhone
                              : names(L"HOME") ? fields.homePhone
                                               : fields.businessPhone;
        if (phone.empty())
            phone = property.value;
    }
    return fields;
}

ContactFields fieldsOfFile(const std::wstring& path, const std::wstring& name) {
    const auto contact = readFirstContactFile(path);
    ContactFields fields = contact ? fieldsOf(*contact) : ContactFields{};
    fields.fullName = name;
    return fields;
}

std::optional<PropertyValue> propertyOf(const StoredContact& contact, std::wstring_view name) {
    const ContactFields& f = contact.fields;
    const std::pair<const wchar_t*, const std::wstring*> texts[] = {
        {L"EntryID", &contact.entryId},
        {L"FullName", &f.fullName},
        {L"Subject", &f.fullName},
        {L"Email1Address", &f.emails[0]},
        {L"Email2Address", &f.emails[1]},
        {L"Email3Address", &f.emails[2]},
        {L"BusinessTelephoneNumber", &f.businessPhone},
        {L"HomeTelephoneNumber", &f.homePhone},
        {L"MobileTelephoneNumber", &f.mobilePhone},
        {L"CompanyName", &f.company},
        // Known to Outlook; the stand-in files no card's numbers there.
        {L"FirstName", nullptr},
        {L"LastName", nullptr},
        {L"AssistantTelephoneNumber", nullptr},
        {L"Business2TelephoneNumber", nullptr},
        {L"BusinessFaxNumber", nullptr},
        {L"CallbackTelephoneNumber", nullptr},
        {L"CarTelephoneNumber", nullptr},
        {L"CompanyMainTelephoneNumber", nullptr},
        {L"Home2TelephoneNumber", nullptr},
        {L"HomeFaxNumber", nullptr},
        {L"ISDNNumber", nullptr},
        {L"OtherFaxNumber", nullptr},
        {L"OtherTelephoneNumber", nullptr},
        {L"PagerNumber", nullptr},
        {L"PrimaryTelephoneNumber", nullptr},
        {L"RadioTelephoneNumber", nullptr},
        {L"TelexNumber", nullptr},
        {L"TTYTDDTelephoneNumber", nullptr}};
    const std::wstring wanted(name);
    for (const auto& [known, value] : texts)
        if (equalIgnoringCase(wanted, known))
            return PropertyValue{value ? *value : std::wstring(), std::nullopt};
    if (equalIgnoringCase(wanted, L"MessageClass"))
        return PropertyValue{L"IPM.Contact", std::nullopt};
    // A stored contact is never changed but by Save, so it was made when
    // first stored as far as anyone asks.
    if (equalIgnoringCase(wanted, L"LastModificationTime") ||
        equalIgnoringCase(wanted, L"CreationTime"))
        return PropertyValue{{}, contact.lastModified};
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
    // Preloaded cards come first, with the same IDs at every start, and the
    // journal after them: what a test deleted of them stays deleted.
    if (!preloadFile_.empty()) {
        const double loadedAt = stamp();
        unsigned long number = 0;
        for (const FirstContact& card : readEveryContactFile(preloadFile_)) {
            wchar_t id[40];
            std::swprintf(id, std::size(id), L"%ls%016lX", PreloadIdPrefix, ++number);
            contacts_.push_back(
                StoredContact{id, DefaultContactsFolder, preloadFile_, fieldsOf(card), loadedAt});
        }
    }
    if (storeFile_.empty())
        return;
    std::wstringstream journal(toWide(fileBytesOf(storeFile_)));
    for (std::wstring line; std::getline(journal, line);) {
        const auto fields = splitTabs(line);
        if (fields.size() == 2 && fields[0] == L"remove") {
            if (auto* found = slot(fields[1]))
                found->reset();
            continue;
        }
        // A journal written before CompanyName was kept has one field less.
        if ((fields.size() != 12 && fields.size() != 13) || fields[0] != L"save")
            continue;
        StoredContact contact{
            fields[1], fields[2], fields[4], {}, std::wcstod(fields[3].c_str(), nullptr)};
        contact.fields = {fields[5],  {fields[6], fields[7], fields[8]},
                          fields[9],  fields[10],
                          fields[11], fields.size() > 12 ? fields[12] : std::wstring()};
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
    const ContactFields& f = contact.fields;
    wchar_t when[40];
    std::swprintf(when, std::size(when), L"%.17g", contact.lastModified);
    std::wstring line = L"save";
    for (const std::wstring& field :
         {contact.entryId, contact.mailboxPath, std::wstring(when), contact.sourcePath, f.fullName,
          f.emails[0], f.emails[1], f.emails[2], f.businessPhone, f.homePhone, f.mobilePhone,
          f.company})
        line += L"\t" + flat(field);
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

std::vector<StoredContact> ContactStore::inFolder(const std::wstring& mailboxPath) const {
    std::vector<StoredContact> held;
    for (const auto& contact : contacts_)
        if (contact && equalIgnoringCase(contact->mailboxPath, mailboxPath))
            held.push_back(*contact);
    return held;
}

} // namespace quorvane::standin
