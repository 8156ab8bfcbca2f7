// What reading a queued file costs the run before Outlook sees anything, in
// figures for a person to read (not a test: the machines are shared):
//   - the time from a file's turn to its first contact at hand, for a large
//     export of many cards (written by quorvane_split_bench --write);
//   - the longest stretch the window goes unasked while a file of gigabytes
//     without a card is read;
//   - peak memory and temporary disk while a file that is one card without
//     END:VCARD, and the large export, are walked contact by contact.
//
//   quorvane_file_read_bench EXPORT_FILE [JUNK_GB [CARD_GB]]

#include "import/file_contacts.h"
// Linux has no Windows code pages; the unit tests' table stands in for them.
#include "fake_code_pages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unordered_map>

using namespace quorvane;
using Clock = std::chrono::steady_clock;

namespace {

long peakMemoryKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path) : file_(::open(path.c_str(), O_RDONLY)) {
        if (file_ >= 0)
            size_ = static_cast<std::uint64_t>(::lseek(file_, 0, SEEK_END)), ::lseek(file_, 0, 0);
    }
    ~FileSource() override {
        if (file_ >= 0)
            ::close(file_);
    }
    Outcome<std::size_t> read(std::span<char> buffer) override {
        const ssize_t read = ::read(file_, buffer.data(), buffer.size());
        if (read < 0)
            return Failure{std::strerror(errno)};
        return static_cast<std::size_t>(read);
    }
    std::uint64_t size() const override { return size_; }

private:
    int file_;
    std::uint64_t size_ = 0;
};

// `total` bytes made on the fly: a BEGIN line first when `oneCard`, then
// lines of photo-like text, so that no file of gigabytes is ever written.
class MadeSource final : public ByteSource {
public:
    MadeSource(std::uint64_t total, bool oneCard) : total_(total) {
        line_ = std::string(75, 'Q') + "\r\n";
        if (oneCard)
            head_ = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Big\r\nPHOTO;ENCODING=b:\r\n";
    }
    Outcome<std::size_t> read(std::span<char> buffer) override {
        std::size_t written = 0;
        while (written < buffer.size() && handed_ < total_) {
            const std::string& from = handed_ < head_.size() ? head_ : line_;
            const std::size_t at =
                handed_ < head_.size() ? handed_ : (handed_ - head_.size()) % line_.size();
            const std::size_t n = std::min<std::uint64_t>(
                {from.size() - at, buffer.size() - written, total_ - handed_});
            std::memcpy(buffer.data() + written, from.data() + at, n);
            written += n;
            handed_ += n;
        }
        return written;
    }
    std::uint64_t size() const override { return total_; }

private:
    std::uint64_t total_;
    std::uint64_t handed_ = 0;
    std::string head_;
    std::string line_;
};

// Card files go to a real folder, so their cost is in the figures; the disk
// they hold at any one time is counted.
class BenchStorage final : public RunStorage {
public:
    std::string madeSourceKind; // "junk" or "card": a made source instead of the file
    std::uint64_t madeBytes = 0;
    std::uint64_t held = 0;
    std::uint64_t peakHeld = 0;

    Outcome<std::unique_ptr<ByteSource>> openForReading(std::string_view path) override {
        if (!madeSourceKind.empty())
            return std::unique_ptr<ByteSource>(
                std::make_unique<MadeSource>(madeBytes, madeSourceKind == "card"));
        return std::unique_ptr<ByteSource>(std::make_unique<FileSource>(std::string(path)));
    }
    Outcome<std::unique_ptr<CardFolder>> createCardFolder() override {
        char folder[] = "/tmp/quorvane-bench-XXXXXX";
        if (!::mkdtemp(folder))
            return Failure{std::strerror(errno)};
        return std::unique_ptr<CardFolder>(std::make_unique<Folder>(*this, folder));
    }
    Outcome<std::unique_ptr<RunRecordFile>> createRunRecord() override {
        return Failure{"no record in the benchmark"};
    }
    Outcome<std::vector<std::string>> listRunRecords() override {
        return std::vector<std::string>();
    }
    Outcome<RunRecordText> readRunRecord(std::string_view) override {
        return Failure{"no record in the benchmark"};
    }
    Outcome<std::unique_ptr<RunRecordFile>> createUndoRecord(std::string_view) override {
        return Failure{"no record in the benchmark"};
    }
    Outcome<std::string> writeCheckReport(std::string_view) override {
        return Failure{"no report in the benchmark"};
    }

private:
    class Folder final : public CardFolder {
    public:
        Folder(BenchStorage& storage, std::string path) : storage_(storage), path_(path) {}
        ~Folder() override { std::system(("rm -rf '" + path_ + "'").c_str()); }
        const std::string& path() const override { return path_; }
        Outcome<std::string> writeNewFile(std::string_view name, std::string_view bytes) override {
            const std::string path = path_ + "/" + std::string(name);
            std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
            storage_.held += bytes.size();
            storage_.peakHeld = std::max(storage_.peakHeld, storage_.held);
            sizes_[path] = bytes.size();
            return path;
        }
        void removeFile(std::string_view path) override {
            ::unlink(std::string(path).c_str());
            if (const auto found = sizes_.find(std::string(path)); found != sizes_.end()) {
                storage_.held -= found->second;
                sizes_.erase(found);
            }
        }
        Outcome<std::unique_ptr<CardFolder>> createFolder(std::string_view name) override {
            const std::string path = path_ + "/" + std::string(name);
            ::mkdir(path.c_str(), 0700);
            return std::unique_ptr<CardFolder>(std::make_unique<Folder>(storage_, path));
        }

    private:
        BenchStorage& storage_;
        std::string path_;
        std::unordered_map<std::string, std::uint64_t> sizes_;
    };
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Walks every contact of the file; prints the longest wait between two
// questions to the window and the peaks.
void walk(const char* what, BenchStorage& storage, const std::string& path) {
    testing::FakeCodePages codePages;
    const OutlookKeeps keeps = BuiltInOutlookKeeps();
    FileContacts contacts(storage, codePages, keeps);
    const long memoryBefore = peakMemoryKib();
    auto last = Clock::now();
    Clock::duration longest{};
    const KeepGoing keepGoing = [&] {
        const auto now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
        return true;
    };
    const auto start = Clock::now();
    contacts.open(path, keepGoing);
    const auto first = Clock::now() - start;
    std::size_t count = contacts.current() && !contacts.current()->failure ? 1 : 0;
    while (contacts.next(keepGoing))
        ++count;
    longest = std::max(longest, Clock::now() - last);
    std::printf("%-34s first contact %8.1f ms  all %8.0f ms  %7zu contacts  longest unasked "
                "%6.1f ms  peak memory +%6.1f MB  peak card files %7.1f KB\n",
                what, ms(first), ms(Clock::now() - start), count, ms(longest),
                (peakMemoryKib() - memoryBefore) / 1024.0, storage.peakHeld / 1e3);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s EXPORT_FILE [JUNK_GB [CARD_GB]]\n", argv[0]);
        return 2;
    }
    const double junkGb = argc > 2 ? std::atof(argv[2]) : 4;
    const double cardGb = argc > 3 ? std::atof(argv[3]) : 1;
    // The peak is the process's own, so the smallest comes first.
    {
        BenchStorage storage;
        walk("export of many cards", storage, argv[1]);
    }
    {
        BenchStorage storage;
        storage.madeSourceKind = "card";
        storage.madeBytes = static_cast<std::uint64_t>(cardGb * 1e9);
        walk("one card without END", storage, "made");
    }
    {
        BenchStorage storage;
        storage.madeSourceKind = "junk";
        storage.madeBytes = static_cast<std::uint64_t>(junkGb * 1e9);
        walk("file without a card", storage, "made");
    }
    return 0;
}
