#include "import/rest_carrier.h"

#include "import/carried_words.h"
#include "import/rest_values.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace quorvane {

namespace {

// The properties Outlook guards with its prompt about programs reading
// address information.
bool Guarded(std::string_view property) {
    return property.starts_with("Email") || property == "Body" || property == "IMAddress";
}

constexpr std::string_view Notes = "Body";

} // namespace

// One contact's properties as this carrying has read or written them, so
// that none is asked twice.
class RestCarrier::ContactAtWork {
public:
    ContactAtWork(OutlookContactProperties& contact, bool& refused)
        : contact_(contact), refused_(refused) {}

    // Nothing when it cannot be read: Outlook failed, or the prompt was
    // answered No (now or before).
    std::optional<std::string> text(const std::string& property) {
        if (const auto known = texts_.find(property); known != texts_.end())
            return known->second;
        std::optional<std::string> value;
        if (!(refused_ && Guarded(property))) {
            auto read = contact_.text(property);
            if (read)
                value = std::move(*read);
            else if (read.failure().refused)
                refused_ = true;
        }
        if (!value && refused_ && Guarded(property))
            shortForRefusal = true;
        texts_[property] = value;
        return value;
    }

    Outcome<void> write(const std::string& property, std::string value) {
        auto written = contact_.setText(property, value);
        if (written)
            texts_[property] = std::move(value);
        return written;
    }

    bool shortForRefusal = false;

private:
    OutlookContactProperties& contact_;
    bool& refused_;
    std::map<std::string, std::optional<std::string>> texts_;
};

RestCarrier::RestCarrier(const OutlookKeeps& keeps, RunStorage& storage, std::string listSeparator)
    : keeps_(keeps), storage_(storage), listSeparator_(std::move(listSeparator)) {}

RestCarrier::~RestCarrier() = default;

std::string RestCarrier::carry(const CardRest& rest, OutlookContactProperties& contact) {
    if (rest.values.empty())
        return {};
    ContactAtWork work(contact, refused_);
    CarriedWords words(rest);
    std::vector<const RestValue*> forNotes;

    // Whether any property of the value's kind holds it already; nothing
    // when one of them could not be read, so it is not known.
    const auto heldAlready = [&](const RestValue& value) -> std::optional<bool> {
        for (const std::string& property : value.sameKind) {
            const auto held = work.text(property);
            if (!held)
                return std::nullopt;
            if (HoldsValue(value, *held, listSeparator_))
                return true;
        }
        return false;
    };

    for (const RestValue& value : rest.values) {
        switch (value.form) {
        case RestForm::PictureLink:
            // Never fetched: the address is what the card gave.
            forNotes.push_back(&value);
            continue;
        case RestForm::Picture: {
            auto has = contact.hasPicture();
            if (has && *has)
                continue;
            if (!pictureFolder_) {
                auto folder = storage_.createCardFolder();
                if (!folder) {
                    words.notCarried(value, folder.failure().description);
                    continue;
                }
                pictureFolder_ = std::move(*folder);
            }
            auto file = pictureFolder_->writeNewFile(PictureFileName(value), value.value);
            if (!file) {
                words.notCarried(value, file.failure().description);
                continue;
            }
            auto added = contact.addPicture(*file);
            pictureFolder_->removeFile(*file);
            if (added)
                words.carried(value, {});
            else
                words.notCarried(value, added.failure().description);
            continue;
        }
        case RestForm::YearlessDate:
            forNotes.push_back(&value);
            continue;
        case RestForm::Date: {
            const auto day = OleDateOfDay(value.value);
            bool placed = false;
            for (const std::string& property : value.slots) {
                if (!day)
                    break;
                auto held = contact.date(property);
                if (!held)
                    continue;
                if (*held && static_cast<long>(**held) == static_cast<long>(*day)) {
                    placed = true; // Outlook kept it after all
                    break;
                }
                if (*held)
                    continue;
                if (auto written = contact.setDate(property, *day); written) {
                    words.carried(value, keeps_.slotWords(property));
                    placed = true;
                    break;
                }
            }
            if (!placed)
                forNotes.push_back(&value);
            continue;
        }
        default:
            break;
        }
        const auto held = heldAlready(value);
        if (!held) {
            if (work.shortForRefusal)
                words.notCarried(value, std::string(RefusedWords));
            else
                forNotes.push_back(&value);
            continue;
        }
        if (*held)
            continue;
        bool placed = false;
        for (const std::string& property : value.slots) {
            const auto slot = work.text(property);
            if (!slot || !slot->empty())
                continue;
            if (work.write(property, SlotText(value, listSeparator_))) {
                words.carried(value, keeps_.slotWords(property));
                placed = true;
                break;
            }
        }
        if (!placed)
            forNotes.push_back(&value);
    }

    if (!forNotes.empty()) {
        if (const auto notes = work.text(std::string(Notes)); !notes) {
            for (const RestValue* value : forNotes)
                words.notCarried(*value,
                                 std::string(work.shortForRefusal ? RefusedWords
                                                                  : "the notes could not be read"));
        } else {
            std::string added;
            std::vector<const RestValue*> noted;
            for (const RestValue* value : forNotes) {
                const std::string line = NotesLine(*value);
                if (notes->find(NotesValue(*value)) != std::string::npos)
                    continue; // the notes hold it already
                added.append("\r\n").append(line);
                noted.push_back(value);
            }
            if (!noted.empty()) {
                std::string body = *notes;
                if (!body.empty())
                    body.append("\r\n\r\n");
                body.append(AlsoOnTheCard).append(added);
                auto written = work.write(std::string(Notes), std::move(body));
                for (const RestValue* value : noted) {
                    // A picture by web address is never fetched: only its
                    // address is kept, and the record says so.
                    if (written && value->form == RestForm::PictureLink)
                        words.carried(*value, keeps_.slotWords(Notes) +
                                                  " (its web address; the picture is not fetched)");
                    else if (written)
                        words.carried(*value, keeps_.slotWords(Notes));
                    else
                        words.notCarried(*value, written.failure().description);
                }
            }
        }
    }
    if (work.shortForRefusal)
        ++contactsShortForRefusal_;
    return words.text();
}

std::string RestCarrier::closingWords() const {
    if (contactsShortForRefusal_ == 0)
        return {};
    return "Outlook would not let Quorvane read contacts' e-mail addresses and notes, so what "
           "Outlook did not keep of " +
           std::to_string(contactsShortForRefusal_) +
           (contactsShortForRefusal_ == 1 ? " card" : " cards") +
           " could not all be carried into the contacts; the record names it per contact.";
}

} // namespace quorvane
