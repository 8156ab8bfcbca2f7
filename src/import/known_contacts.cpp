#include "import/known_contacts.h"

#include "text/utf8_text.h"

#include <algorithm>

namespace quorvane {

namespace {

// The shortest phone number that may stand for a longer one it ends: a
// local number without its area or country code.
constexpr std::size_t ShortestPhoneSuffix = 7;

bool isSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == 0xA0 || c == 0x3000;
}

std::string foldedEmail(std::string_view email) {
    std::string folded;
    for (const char c : email)
        folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return folded;
}

std::string digitsOf(std::string_view phone) {
    std::string digits;
    for (const char c : phone)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

bool samePhone(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty())
        return false;
    if (a.size() > b.size())
        std::swap(a, b);
    return a == b || (a.size() >= ShortestPhoneSuffix && b.ends_with(a));
}

template <typename Same>
bool shareAny(const std::vector<std::string>& a, const std::vector<std::string>& b, Same same) {
    return std::ranges::any_of(a, [&](const std::string& x) {
        return std::ranges::any_of(b, [&](const std::string& y) { return same(x, y); });
    });
}

std::vector<std::string> foldedAll(const std::vector<std::string>& values,
                                   std::string (*fold)(std::string_view)) {
    std::vector<std::string> folded;
    for (const std::string& value : values)
        if (std::string one = fold(value); !one.empty())
            folded.push_back(std::move(one));
    return folded;
}

} // namespace

std::string KnownContacts::foldedName(std::string_view name) const {
    std::string spaced;
    bool pendingSpace = false;
    for (std::size_t at = 0; at < name.size();) {
        const char32_t c = NextCodePoint(name, at);
        if (isSpace(c)) {
            pendingSpace = !spaced.empty();
            continue;
        }
        if (pendingSpace)
            spaced += ' ';
        pendingSpace = false;
        AppendUtf8(spaced, c);
    }
    return folding_.folded(spaced);
}

void KnownContacts::add(const StoredContactRow& contact) {
    byName_[foldedName(contact.fullName)].push_back(
        {contact.entryId, foldedAll(contact.emails, foldedEmail),
         foldedAll(contact.phones, digitsOf), foldedName(contact.company)});
    ++count_;
}

std::optional<std::string> KnownContacts::match(const StoredContactRow& card) const {
    const auto namesakes = byName_.find(foldedName(card.fullName));
    if (namesakes == byName_.end())
        return std::nullopt;
    const std::vector<std::string> emails = foldedAll(card.emails, foldedEmail);
    const std::vector<std::string> phones = foldedAll(card.phones, digitsOf);
    const std::string company = foldedName(card.company);
    const bool noEmailNorPhone = emails.empty() && phones.empty();
    for (const Known& known : namesakes->second) {
        const bool sameCompanyAlone = noEmailNorPhone && known.emails.empty() &&
                                      known.phones.empty() && !company.empty() &&
                                      company == known.company;
        if (sameCompanyAlone || shareAny(emails, known.emails, std::equal_to<>()) ||
            shareAny(phones, known.phones, samePhone))
            return known.entryId;
    }
    return std::nullopt;
}

} // namespace quorvane
