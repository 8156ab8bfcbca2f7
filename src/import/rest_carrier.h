#pragma once
// Carrying what Outlook did not keep of a card into the contact it made,
// before the contact is stored: each value into an empty property of its
// kind, or else into the notes after the card's own, under one line "Also on
// the card:". A value the contact already holds in any property of its kind
// is never written again, so an Outlook that keeps more than the table says
// gets nothing twice, and one that keeps less loses nothing of the rest.
//
// A card Outlook keeps whole costs no call at all. Otherwise each property
// is read at most once per contact, each value written once, and the notes
// read and written once.

#include "cards/card_rest.h"
#include "cards/outlook_keeps.h"
#include "platform/outlook_session.h"
#include "platform/run_storage.h"

#include <cstddef>
#include <memory>
#include <string>

namespace quorvane {

// The line the notes' share of the rest begins with.
inline constexpr std::string_view AlsoOnTheCard = "Also on the card:";

class RestCarrier {
public:
    // Pictures go to Outlook from files in a private folder of the run,
    // made when the first is needed; categories are joined with
    // `listSeparator`, as Windows joins a list.
    RestCarrier(const OutlookKeeps& keeps, RunStorage& storage, std::string listSeparator);
    ~RestCarrier();
    RestCarrier(const RestCarrier&) = delete;
    RestCarrier& operator=(const RestCarrier&) = delete;

    // Carries `rest` into `contact`. Returns what the record says of it
    // ("carried: EMAIL 4-5 to notes, TEL 3 to Business 2, PHOTO; not carried:
    // X-SOCIALPROFILE (...)"), empty when there was nothing to carry.
    std::string carry(const CardRest& rest, OutlookContactProperties& contact);

    // Outlook's prompt about programs reading address information was
    // answered No (here, or by the duplicate check before the run): from now
    // on nothing is read that would raise it again.
    void noteRefused() { refused_ = true; }
    bool refused() const { return refused_; }

    // What the closing box says when the refusal kept values from being
    // carried; empty otherwise.
    std::string closingWords() const;

private:
    class ContactAtWork;

    const OutlookKeeps& keeps_;
    RunStorage& storage_;
    std::string listSeparator_;
    std::unique_ptr<CardFolder> pictureFolder_;
    bool refused_ = false;
    std::size_t contactsShortForRefusal_ = 0;
};

} // namespace quorvane
