#pragma once
// What the import run needs of the disk besides Outlook: reading a queued
// file, private folders for the contacts of files that hold several, and the
// record of every contact the run reached.

#include "base/outcome.h"
#include "platform/byte_source.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A folder that belongs to this run alone. Destroying it removes it together
// with every file and folder made in it; what cannot be removed then (a file
// Outlook still holds) is left for the clean-up at the next start.
class CardFolder {
public:
    virtual ~CardFolder() = default;

    virtual const std::string& path() const = 0;

    // Writes `bytes` to a new file `name` in this folder and returns its full
    // path. Never opens anything already there: a name that exists, as a file
    // or as a link, is a failure, so nothing is followed or overwritten.
    virtual Outcome<std::string> writeNewFile(std::string_view name, std::string_view bytes) = 0;

    // Removes a file that writeNewFile made here (its full path, as returned),
    // as soon as the run is done with it. One that cannot go now (Outlook
    // still holds it open) goes with the folder, or at the next start.
    virtual void removeFile(std::string_view path) = 0;

    // A new, empty folder `name` inside this one, with the same promise.
    virtual Outcome<std::unique_ptr<CardFolder>> createFolder(std::string_view name) = 0;
};

// The run's record, one line per contact, written as the run goes.
class RunRecordFile {
public:
    virtual ~RunRecordFile() = default;

    virtual const std::string& path() const = 0;
    // Appends `line` (UTF-8, without its line end) and hands it to the system
    // at once, so that a crash loses at most the line being written.
    virtual Outcome<void> appendLine(std::string_view line) = 0;
    // Whether this record was begun before and goes on now (taking a run
    // back that stopped part-way), so it has its header already.
    virtual bool continued() const { return false; }
};

// A run's record as it was written, for taking that run back.
struct RunRecordText {
    std::string path;
    std::vector<std::string> lines; // UTF-8, without the byte-order mark and line ends
    // The lines of the record of taking it back, so far: empty when it was
    // never taken back.
    std::vector<std::string> undoLines;
};

class RunStorage {
public:
    virtual ~RunStorage() = default;

    // A queued file, for reading from its start.
    virtual Outcome<std::unique_ptr<ByteSource>> openForReading(std::string_view path) = 0;

    // A new folder of this run's own under the user's temporary folder,
    // which the current user alone may read or change, whatever the
    // temporary folder lets others do; so may what is made in it.
    virtual Outcome<std::unique_ptr<CardFolder>> createCardFolder() = 0;

    // A new record file for this run under the user's local application
    // data, begun with a UTF-8 byte-order mark so that spreadsheet programs
    // read its characters right.
    virtual Outcome<std::unique_ptr<RunRecordFile>> createRunRecord() = 0;

    // The paths of the records createRunRecord made (undo records aside), in
    // no particular order; their names begin with the time they were made.
    virtual Outcome<std::vector<std::string>> listRunRecords() = 0;
    // The record at `path`, with the lines of the record of taking it back.
    virtual Outcome<RunRecordText> readRunRecord(std::string_view path) = 0;

    // The record of taking back the run whose record is at `runRecordPath`,
    // begun as createRunRecord begins one; when taking it back was begun
    // before, the same record, to be continued.
    virtual Outcome<std::unique_ptr<RunRecordFile>>
    createUndoRecord(std::string_view runRecordPath) = 0;

    // A new report of a check of Outlook, named by the time it was made,
    // holding `text` (UTF-8); its path.
    virtual Outcome<std::string> writeCheckReport(std::string_view text) = 0;
};

} // namespace quorvane
