#include "import/outlook_check_target.h"

#include "cards/card_rest.h"
#include "import/check_samples.h"
#include "import/known_contacts.h"
#include "import/learned_keeps.h"
#include "import/rest_carrier.h"
#include "import/rest_values.h"
#include "text/ascii_text.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr StepNumber ReachOutlook{402};
constexpr StepNumber MakeFolder{404};

// Where the check's folder is noted until it is gone, so that one a crash
// left behind is removed by the next check.
constexpr std::string_view LeftoverSection = "Quorvane\\OutlookCheck\\Leftover";
constexpr std::string_view LeftoverEntryId = "Folder entry ID";
constexpr std::string_view LeftoverStoreId = "Folder store ID";

// Every text property where the table says a card's value may be found,
// and the notes: where the check looks for a value. Dates and the picture
// are asked for as such. WebPage is left out: Outlook keeps it the same as
// the business web page, and a value there would count twice.
std::vector<std::string> ReadBackProperties(const OutlookKeeps& table) {
    std::vector<std::string> properties;
    for (const std::string& property : table.contactProperties())
        if (property != "Birthday" && property != "Anniversary" && property != "Picture" &&
            property != "WebPage")
            properties.push_back(property);
    if (std::find(properties.begin(), properties.end(), "Body") == properties.end())
        properties.push_back("Body");
    return properties;
}

// How often `value` is in `text`, letter case aside.
std::size_t Occurrences(std::string_view text, std::string_view value) {
    const std::string haystack = UpperAscii(text);
    const std::string needle = UpperAscii(value);
    std::size_t count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1))
        ++count;
    return count;
}

} // namespace

std::string CheckQuestion() {
    return "Check Outlook makes a contacts folder of its own below your Contacts folder, "
           "imports sample contacts into it, reads them back and then deletes the folder. Your "
           "own contacts are not touched.\r\n\r\nIt takes about a minute. Check Outlook now?";
}

struct OutlookCheckTarget::Stored {
    std::unique_ptr<OutlookContactItem> item;
    std::string entryId;
};

OutlookCheckTarget::OutlookCheckTarget(OutlookSessions& outlook, CheckServices services,
                                       const OutlookKeeps& table)
    : outlook_(outlook), services_(services), table_(table), learned_(table),
      readBack_(ReadBackProperties(table)) {}

OutlookCheckTarget::~OutlookCheckTarget() {
    release();
}

std::optional<std::size_t> OutlookCheckTarget::prepare(RunContext& run) {
    if (!run.screen().ask(CheckQuestion()))
        return std::nullopt;
    startedAt_ = services_.system.localTimeStamp();
    session_ = run.reachOutlook(outlook_, ReachOutlook);
    if (!session_)
        return std::nullopt;
    if (auto version = session_->outlookVersion())
        version_ = std::move(*version);
    removeLeftovers();
    auto contacts = session_->defaultContactsFolder();
    if (!contacts) {
        run.report(MakeFolder, contacts.failure());
        return std::nullopt;
    }
    auto made = contacts.value()->addContactsFolder("Quorvane check " + startedAt_);
    if (!made) {
        run.report(MakeFolder, made.failure());
        return std::nullopt;
    }
    folder_ = std::move(*made);
    if (auto entryId = folder_->entryId(); entryId)
        (void)services_.settings.saveSetting(LearnedApplication, LeftoverSection, LeftoverEntryId,
                                             *entryId);
    if (auto storeId = folder_->storeId(); storeId) {
        richStoreId_ = *storeId;
        (void)services_.settings.saveSetting(LearnedApplication, LeftoverSection, LeftoverStoreId,
                                             *storeId);
    }
    auto path = folder_->folderPath();
    folderPath_ = path ? *path : std::string();
    auto kind = folder_->storeKind();
    storeKind_ = kind ? *kind : "not known (" + kind.failure().description + ")";
    auto cards = services_.storage.createCardFolder();
    if (!cards) {
        run.report(MakeFolder, cards.failure());
        return std::nullopt;
    }
    cards_ = std::move(*cards);
    plan();
    return steps_.size();
}

// A folder an earlier check could not remove (Quorvane or Windows ended
// midway) goes first.
void OutlookCheckTarget::removeLeftovers() {
    const auto noted = services_.settings.readSection(LearnedApplication, LeftoverSection);
    const auto entryId = noted.find(std::string(LeftoverEntryId));
    const auto storeId = noted.find(std::string(LeftoverStoreId));
    if (entryId == noted.end() || storeId == noted.end() || entryId->second.empty())
        return;
    auto leftover = session_->folderFromId(entryId->second, storeId->second);
    if (leftover && !leftover.value()->remove())
        leftBehind_.push_back("the folder of an earlier check");
}

void OutlookCheckTarget::plan() {
    steps_.push_back(
        {"Checking: Outlook reads only a file's first contact", [this] { checkFirstCardOnly(); }});
    steps_.push_back({"Checking: text without a character set", [this] { checkCodePage(); }});
    for (const CheckProbe& probe : CheckProbes())
        steps_.push_back({"Checking: " + probe.assumption, [this, &probe] { checkProbe(probe); }});
    steps_.push_back({"Checking: what Quorvane carries", [this] { checkCarrying(); }});
    steps_.push_back({"Checking: the duplicate check", [this] { checkTableAndDuplicates(); }});
    steps_.push_back(
        {"Checking: finding and deleting a contact", [this] { checkFoundAgainAndDeleted(); }});
}

std::string OutlookCheckTarget::stepText(std::size_t step) const {
    return steps_.at(step).text;
}

void OutlookCheckTarget::runStep(std::size_t step, RunContext&) {
    steps_.at(step).run();
}

void OutlookCheckTarget::find(std::string assumption, bool passed, std::string words) {
    findings_.push_back({std::move(assumption), passed, std::move(words)});
}

// Outlook reads the card from a file of the check's own and stores it in
// the check's folder, as an import without windows into a chosen folder
// does; with `carry`, what Outlook drops is carried first.
std::optional<OutlookCheckTarget::Stored>
OutlookCheckTarget::import(std::string_view card, bool carry, const std::string& what) {
    const auto failed = [&](const Failure& failure) -> std::optional<Stored> {
        find(what, false, "Outlook could not store the sample: " + failure.description);
        return std::nullopt;
    };
    auto file = cards_->writeNewFile(std::to_string(findings_.size() + 1) + " sample.vcf", card);
    if (!file)
        return failed(file.failure());
    auto opened = session_->openSharedItem(*file);
    if (!opened)
        return failed(opened.failure());
    auto moved = opened.value()->move(*folder_);
    if (!moved)
        return failed(moved.failure());
    if (carry) {
        const CardRest rest = ReadCardRest(card, TextEncoding::Utf8, learned_, services_.codePages);
        RestCarrier carrier(learned_, services_.storage, services_.regional.listSeparator());
        (void)carrier.carry(rest, **moved);
    }
    if (auto saved = moved.value()->save(); !saved)
        return failed(saved.failure());
    cards_->removeFile(*file);
    auto entryId = moved.value()->entryId();
    return Stored{std::move(*moved), entryId ? *entryId : std::string()};
}

void OutlookCheckTarget::checkFirstCardOnly() {
    const std::string what = "Outlook reads only a file's first contact";
    auto before = folder_->itemCount();
    auto stored = import(TwoCardSample(), false, what);
    if (!stored)
        return;
    auto after = folder_->itemCount();
    auto name = stored->item->text("FullName");
    const bool one = before && after && *after - *before == 1;
    const bool first = name && *name == FirstOfTwo;
    find(what, one && first,
         one && first ? "it stored the first of two, as expected."
                      : "expected the first of two alone; Outlook stored " +
                            (after && before ? std::to_string(*after - *before) : "?") +
                            " contact(s), named \"" + (name ? *name : "?") + "\".");
}

void OutlookCheckTarget::checkCodePage() {
    const std::string what = "A name without CHARSET is read in the Windows code page";
    auto stored = import(Utf8WithoutCharsetSample(), false, what);
    if (!stored)
        return;
    auto name = stored->item->text("FullName");
    auto ansi = services_.codePages.toUtf8(Utf8SampleName, SystemAnsiCodePage);
    const std::string expected = ansi ? *ansi : std::string(Utf8SampleName);
    if (name && *name == expected) {
        find(what, true, "\"" + expected + "\", so Quorvane adds CHARSET=UTF-8, as expected.");
        return;
    }
    find(what, false,
         "expected \"" + expected + "\"; Outlook read \"" + (name ? *name : "?") +
             "\". Adding CHARSET=UTF-8 does no harm there.");
}

void OutlookCheckTarget::checkProbe(const CheckProbe& probe) {
    std::vector<std::string> types;
    for (const std::string& type : probe.types)
        types.push_back(table_.typeName(type));
    const KeepRow* row = table_.rowFor(probe.property, types, "");
    auto stored = import(SampleCard("Quorvane Check " + probe.assumption, {probe.line}), false,
                         probe.assumption);
    if (!stored || row == nullptr)
        return;
    // Where Outlook put the value, if anywhere.
    std::string where;
    if (probe.form == ProbeForm::Picture) {
        auto has = stored->item->hasPicture();
        where = has && *has ? "the picture" : "";
    } else if (probe.form == ProbeForm::Date) {
        const auto day = OleDateOfDay(probe.look);
        for (const std::string& property : {std::string("Birthday"), std::string("Anniversary")}) {
            auto held = stored->item->date(property);
            if (held && *held && day && std::floor(**held) == *day)
                where = table_.slotWords(property);
        }
    } else {
        for (const std::string& property : readBack_) {
            auto held = stored->item->text(property);
            if (held && Occurrences(*held, probe.look) > 0 && where.empty())
                where = property == "Body" ? "the notes" : table_.slotWords(property);
        }
    }
    const bool kept = !where.empty();
    const std::string key = OutlookKeeps::RowKey(*row);
    const std::string expectedSlot = row->outlookSlots.empty()
                                         ? std::string("its place")
                                         : table_.slotWords(row->outlookSlots.front());
    switch (row->verdict) {
    case KeepVerdict::Kept:
        learnedRows_.push_back({key, kept ? KeepVerdict::Kept : KeepVerdict::Maybe});
        if (kept)
            find(probe.assumption, true, "in " + where + ", as expected.");
        else
            find(probe.assumption, false,
                 "expected in " + expectedSlot +
                     "; Outlook kept nothing. Quorvane now carries it itself.");
        break;
    case KeepVerdict::Dropped:
        learnedRows_.push_back({key, kept ? KeepVerdict::Kept : KeepVerdict::Dropped});
        if (kept)
            find(probe.assumption, false,
                 "expected to be dropped; Outlook kept it in " + where +
                     ". Quorvane stops carrying it.");
        else
            find(probe.assumption, true, "dropped, as expected; Quorvane carries it.");
        break;
    case KeepVerdict::Maybe:
    case KeepVerdict::Bookkeeping:
        // No source said; what this Outlook does is learned, not failed.
        learnedRows_.push_back({key, kept ? KeepVerdict::Kept : KeepVerdict::Maybe});
        find(probe.assumption, true,
             kept ? "Outlook keeps it, in " + where + "; Quorvane no longer carries it."
                  : "Outlook drops it; Quorvane carries it.");
        break;
    }
    if (row->verdict != KeepVerdict::Bookkeeping)
        learned_.learn(key, learnedRows_.back().second);
}

void OutlookCheckTarget::checkCarrying() {
    const std::string what = "Every value of a card arrives once, kept or carried";
    auto stored = import(RichSample(), true, what);
    if (!stored)
        return;
    richEntryId_ = stored->entryId;
    std::vector<std::string> texts;
    for (const std::string& property : readBack_)
        if (auto held = stored->item->text(property))
            texts.push_back(*held);
    std::string wrong;
    for (const std::string& value : RichSampleValues()) {
        std::size_t count = 0;
        for (const std::string& text : texts)
            count += Occurrences(text, value);
        if (count != 1)
            wrong.append(wrong.empty() ? "" : ", ")
                .append(value + " " + std::to_string(count) + " times");
    }
    auto picture = stored->item->hasPicture();
    if (!picture || !*picture)
        wrong.append(wrong.empty() ? "" : ", ").append("the photo missing");
    find(what, wrong.empty(),
         wrong.empty() ? "every e-mail, phone, web page, date and the photo once."
                       : "expected each once; found " + wrong + ".");
}

void OutlookCheckTarget::checkTableAndDuplicates() {
    const std::string what = "The folder's table lists what the duplicate check compares";
    auto rows = folder_->readContacts();
    if (!rows) {
        find(what, false, "Outlook would not list the folder: " + rows.failure().description);
        find("A contact imported again is found already there", false,
             "the folder's table could not be read, so every contact would be stored again; "
             "Quorvane asks before it imports without the check.");
        return;
    }
    const auto rich = std::find_if(rows->begin(), rows->end(), [](const StoredContactRow& row) {
        return row.fullName == RichSampleName;
    });
    const bool listed = rich != rows->end() &&
                        std::find(rich->emails.begin(), rich->emails.end(), "rich1@example.com") !=
                            rich->emails.end() &&
                        !rich->phones.empty();
    find(what, listed,
         listed ? "names, e-mail addresses and phones, as expected."
                : "expected the sample with its e-mail address and phones; the table did not "
                  "list them.");
    KnownContacts known(services_.folding);
    for (const StoredContactRow& row : *rows)
        known.add(row);
    const StoredContactRow again{{}, std::string(RichSampleName), {"rich1@example.com"}, {}, {}};
    const bool found = known.match(again).has_value();
    find("A contact imported again is found already there", found,
         found ? "it was found, as expected." : "expected it found; it was not.");
}

void OutlookCheckTarget::checkFoundAgainAndDeleted() {
    const std::string found = "A stored contact is found again by its IDs";
    const std::string deleted = "Deleting a contact moves it to Deleted Items";
    if (richEntryId_.empty()) {
        find(found, false, "the sample's entry ID could not be read.");
        return;
    }
    auto item = session_->itemFromId(richEntryId_, richStoreId_);
    if (!item) {
        find(found, false, "expected found; Outlook said: " + item.failure().description);
        return;
    }
    auto parent = item.value()->folder();
    auto parentPath =
        parent ? parent.value()->folderPath() : Outcome<std::string>(parent.failure());
    const bool inFolder = parentPath && *parentPath == folderPath_;
    find(found, inFolder,
         inFolder ? "in the check's folder, as expected."
                  : "expected in " + folderPath_ + "; found in " +
                        (parentPath ? *parentPath : "no folder") + ".");
    if (auto removed = item.value()->remove(); !removed) {
        find(deleted, false, "Outlook would not delete it: " + removed.failure().description);
        return;
    }
    auto again = session_->itemFromId(richEntryId_, richStoreId_);
    auto nowIn =
        again ? again.value()->folder() : Outcome<std::unique_ptr<OutlookFolder>>(again.failure());
    auto nowPath = nowIn ? nowIn.value()->folderPath() : Outcome<std::string>(nowIn.failure());
    const bool movedAway = nowPath && *nowPath != folderPath_;
    find(deleted, movedAway,
         movedAway ? "it is in " + *nowPath + ", as expected."
                   : "expected in Deleted Items; " + (again ? std::string("it stayed where it was.")
                                                            : "Outlook removed it for good."));
}

void OutlookCheckTarget::release() {
    if (released_)
        return;
    released_ = true;
    cards_.reset();
    if (folder_) {
        if (auto removed = folder_->remove(); !removed)
            leftBehind_.push_back("the folder " + folderPath_ + " (" +
                                  removed.failure().description + ")");
        else
            (void)services_.settings.saveSetting(LearnedApplication, LeftoverSection,
                                                 LeftoverEntryId, "");
    }
    folder_.reset();
    if (!findings_.empty()) {
        if (!learnedRows_.empty() && !version_.empty())
            (void)SaveLearned(services_.settings, version_, learnedRows_);
        auto written = services_.storage.writeCheckReport(report());
        if (written)
            reportPath_ = *written;
    }
    session_.reset();
}

std::string OutlookCheckTarget::report() const {
    const auto passed = std::count_if(findings_.begin(), findings_.end(),
                                      [](const CheckFinding& f) { return f.passed; });
    std::string text = "Quorvane's check of Outlook, " + startedAt_ + "\r\n\r\n";
    const std::string bitness = services_.system.outlookBitness();
    text += "Outlook " + (version_.empty() ? std::string("(version not known)") : version_) +
            (bitness.empty() ? "" : ", " + bitness) + "\r\n";
    text += services_.system.windowsVersion() + "\r\n";
    text += "The check's contacts went to " + storeKind_ + ".\r\n\r\n";
    text += "Outlook check: " + std::to_string(passed) + " of " + std::to_string(findings_.size()) +
            " passed.\r\n\r\n";
    for (const CheckFinding& finding : findings_)
        text += std::string(finding.passed ? "passed  " : "FAILED  ") + finding.assumption + ": " +
                finding.words + "\r\n";
    for (const std::string& left : leftBehind_)
        text += "\r\nNot removed: " + left + ". Delete it in Outlook.";
    return text;
}

std::string OutlookCheckTarget::closingSummary() {
    const auto passed = std::count_if(findings_.begin(), findings_.end(),
                                      [](const CheckFinding& f) { return f.passed; });
    std::string text = "Outlook check: " + std::to_string(passed) + " of " +
                       std::to_string(findings_.size()) + " passed.";
    for (const CheckFinding& finding : findings_)
        if (!finding.passed)
            text += "\r\n\r\n" + finding.assumption + ": " + finding.words;
    for (const std::string& left : leftBehind_)
        text += "\r\n\r\nNot removed: " + left + ". Delete it in Outlook.";
    if (reportPath_)
        text += "\r\n\r\nThe report: " + *reportPath_;
    return text;
}

} // namespace quorvane
