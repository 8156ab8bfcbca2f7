#pragma once
// The record of a run as both import runs keep it: one line per contact,
// written when the run is done with that contact. The first report about a
// contact is the one its line carries; a contact Outlook stored is "saved"
// even when a later step about it failed.

#include "import/contact_record.h"
#include "import/file_contacts.h"
#include "platform/outcome.h"
#include "platform/run_storage.h"
#include "platform/run_window.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class ContactRecorder {
public:
    ContactRecorder(RunStorage& storage, RunWindow& window);

    // Opens the record file. A run without its record still imports: the
    // user is told once, in plain words, and the contacts go to Outlook all
    // the same.
    void begin();

    // A contact (or a file that yields none) is under way from now on.
    void startContact();
    bool contactOpen() const { return contactOpen_; }

    // Keeps the first report about the contact at hand; later ones and
    // reports outside a contact are left out.
    void noteReport(int step, const Failure& failure);
    // Outlook stored the contact at hand, in `folder` when the run knows it.
    void noteSaved(std::string_view folder = {});
    void noteEntryId(std::string_view entryId);
    bool saved() const { return saved_; }

    // Writes the line of the contact at hand (null for a file without any)
    // and closes it.
    void finishContact(std::string_view file, const FileContact* contact);

    // The run was ended: the contact at hand (as saved, when Outlook has it)
    // and every later contact of its file as not tried.
    void finishUnfinished(std::string_view file, const std::vector<FileContact>& contacts,
                          std::size_t contactAt);

private:
    void write(std::string_view file, const FileContact* contact, ContactResult result);

    RunStorage& storage_;
    RunWindow& window_;
    std::unique_ptr<RunRecordFile> record_;

    bool contactOpen_ = false;
    bool saved_ = false;
    int reportedStep_ = 0;
    std::string reportedDescription_;
    std::string entryId_;
    std::string folder_;
};

} // namespace quorvane
