// How much splitting a large contacts file into cards costs next to reading
// it: a 200 MB file of 100,000 cards in the shapes phones, Outlook and mail
// programs write, split with display names, against a plain read of the same
// file with the same block size. Each measurement runs in a fresh process of
// its own, so that its peak memory is its own and not the generator's, and
// the rounds alternate which side goes first so that neither gets the quieter
// machine. Not a test: the figures are printed for a person to read.
//
//   quorvane_split_bench [FILE [CARDS [ROUNDS]]]
//
// FILE (default /tmp/quorvane-split-bench.vcf) is written, measured and
// deleted again. To look at the split under a profiler:
//   quorvane_split_bench --write FILE CARDS; perf record quorvane_split_bench --split FILE

#include "cards/card_reader.h"
// Linux has no Windows code pages; the unit tests' table stands in for them.
#include "fake_code_pages.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvane;

namespace {

constexpr std::size_t BlockSize = 64 * 1024; // the card reader's own
constexpr std::size_t TargetFileBytes = 200u * 1000 * 1000;

class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const char* path) : file_(::open(path, O_RDONLY)) {}
    ~FileByteSource() override {
        if (file_ >= 0)
            ::close(file_);
    }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool opened() const { return file_ >= 0; }

    Outcome<std::size_t> read(std::span<char> buffer) override {
        const ssize_t read = ::read(file_, buffer.data(), buffer.size());
        if (read < 0)
            return Failure{std::strerror(errno)};
        return static_cast<std::size_t>(read);
    }

private:
    int file_;
};

// The process's peak resident memory so far, in KiB.
long peakMemoryKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// About `bytes` of base64 photo data folded the way phones fold it.
std::string photoLines(std::size_t bytes, std::string_view lineEnd, std::mt19937& random) {
    static const char Base64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string photo;
    while (photo.size() + 4 < bytes) {
        const std::size_t length = std::min<std::size_t>(75, bytes - photo.size() - 3);
        photo += ' ';
        for (std::size_t c = 0; c < length; ++c)
            photo += Base64[random() % 64];
        photo += lineEnd;
    }
    return photo;
}

// One card in one of four shapes, with a photo in two of them sized so that
// the file comes to about TargetFileBytes.
std::string card(std::size_t number, std::size_t photoBytes, std::mt19937& random) {
    const std::string n = std::to_string(number);
    switch (number % 4) {
    case 0: // Android 2.1, quoted-printable UTF-8 broken inside a character
        return "BEGIN:VCARD\r\nVERSION:2.1\r\n"
               "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0" +
               n +
               ";=E4=B8=89;;;\r\n"
               "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=\r\n=B8=89 " +
               n +
               "\r\n"
               "TEL;CELL:+86 138 0000 " +
               n + "\r\nEMAIL;HOME:person" + n +
               "@example.com\r\n"
               "END:VCARD\r\n";
    case 1: // iPhone 3.0 with a folded photo, LF line ends
        return "BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Apple Inc.//iPhone OS 17.4//EN\n"
               "N:Appleseed" +
               n + ";Johnny;;;\nFN:Johnny Appleseed " + n +
               "\n"
               "item1.EMAIL;type=INTERNET;type=pref:johnny" +
               n +
               "@example.com\n"
               "item1.X-ABLabel:_$!<Other>!$_\nTEL;type=CELL;type=VOICE;type=pref:+1 555 " +
               n +
               "\n"
               "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD\n" +
               photoLines(photoBytes, "\n", random) + "END:VCARD\n";
    case 2: // Outlook 2.1 in Windows-1252, no CHARSET, no FN worth the name
        return "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=de-de:M\xFCller " + n +
               ";J\xFCrgen\r\n"
               "FN:\r\nORG:Caf\xE9 GmbH\r\nTEL;WORK;VOICE:+49 30 " +
               n +
               "\r\n"
               "ADR;WORK;PREF:;;Stra\xDF"
               "e 1;Berlin;;10115;Deutschland\r\n"
               "EMAIL;PREF;INTERNET:juergen" +
               n +
               "@example.de\r\nREV:20240101T120000Z\r\n"
               "END:VCARD\r\n\r\n";
    default: // 4.0 with a photo and escapes
        return "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ada Lovelace\\, Countess " + n +
               "\r\n"
               "N;SORT-AS=\"Lovelace,Ada\":Lovelace;Ada;King;Dr.;\r\nKIND:individual\r\n"
               "PHOTO:data:image/jpeg;base64,/9j/4AAQSkZJRgABAQAAAQABAAD\r\n" +
               photoLines(photoBytes, "\r\n", random) + "END:VCARD\r\n";
    }
}

bool generate(const char* path, std::size_t cards) {
    std::mt19937 random(7);
    // Photos make up what the cards' other lines leave of TargetFileBytes.
    std::size_t withoutPhotos = 0;
    for (std::size_t number = cards / 2; number < cards / 2 + 4; ++number)
        withoutPhotos += card(number, 0, random).size() * cards / 4;
    const std::size_t photoCards = cards / 2;
    const std::size_t photoBytes =
        TargetFileBytes > withoutPhotos ? TargetFileBytes - withoutPhotos : 0;
    const std::size_t photoBytesPerCard = photoCards ? photoBytes / photoCards : 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << "Exported by a contacts program\r\n\r\n";
    std::string block;
    for (std::size_t number = 1; number <= cards; ++number) {
        block += card(number, photoBytesPerCard, random);
        if (block.size() > (1 << 20) || number == cards) {
            file.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    return static_cast<bool>(file);
}

struct Measurement {
    double seconds = 0;
    long peakKib = 0;      // the process's peak resident memory
    long baselineKib = 0;  // the same before the measured work began
    std::size_t cards = 0; // cards found (splitting only)
    std::size_t bytes = 0; // bytes read, or bytes of all cards
};

using Clock = std::chrono::steady_clock;

int measurePlain(const char* path) {
    FileByteSource source(path);
    if (!source.opened())
        return 1;
    std::vector<char> buffer(BlockSize);
    Measurement measured;
    measured.baselineKib = peakMemoryKib();
    const auto start = Clock::now();
    for (;;) {
        auto read = source.read(buffer);
        if (!read || read.value() == 0)
            break;
        measured.bytes += read.value();
    }
    measured.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    measured.peakKib = peakMemoryKib();
    std::printf("%.6f %ld %ld 0 %zu\n", measured.seconds, measured.peakKib, measured.baselineKib,
                measured.bytes);
    return 0;
}

int measureSplit(const char* path) {
    FileByteSource source(path);
    if (!source.opened())
        return 1;
    testing::FakeCodePages codePages;
    Measurement measured;
    measured.baselineKib = peakMemoryKib();
    const auto start = Clock::now();
    CardReader reader(source, codePages);
    Card card;
    for (;;) {
        auto next = reader.next(card);
        if (!next) {
            std::fprintf(stderr, "split failed: %s\n", next.failure().description.c_str());
            return 1;
        }
        if (!next.value())
            break;
        ++measured.cards;
        measured.bytes += card.bytes.size();
    }
    measured.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    measured.peakKib = peakMemoryKib();
    std::printf("%.6f %ld %ld %zu %zu\n", measured.seconds, measured.peakKib, measured.baselineKib,
                measured.cards, measured.bytes);
    return 0;
}

// Runs this program again to measure `mode` in a process of its own.
bool measureInChild(const std::string& self, const char* mode, const char* path,
                    Measurement& measured) {
    const std::string command = "'" + self + "' " + mode + " '" + path + "'";
    FILE* child = ::popen(command.c_str(), "r");
    if (!child)
        return false;
    const int fields =
        std::fscanf(child, "%lf %ld %ld %zu %zu", &measured.seconds, &measured.peakKib,
                    &measured.baselineKib, &measured.cards, &measured.bytes);
    return ::pclose(child) == 0 && fields == 5;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string selfPath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--plain") == 0)
        return measurePlain(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--split") == 0)
        return measureSplit(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0)
        return generate(argv[2], std::strtoul(argv[3], nullptr, 10)) ? 0 : 1;

    const char* path = argc > 1 ? argv[1] : "/tmp/quorvane-split-bench.vcf";
    const std::size_t cards = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100000;
    const int rounds = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);
    const std::string self = selfPath();

    std::printf("Writing %zu cards to %s ...\n", cards, path);
    if (!generate(path, cards)) {
        std::fprintf(stderr, "could not write %s\n", path);
        std::remove(path);
        return 1;
    }

    Measurement warmUp;
    bool measuredAll = measureInChild(self, "--plain", path, warmUp); // fills the file cache
    std::printf("File: %.1f MB\n\n", static_cast<double>(warmUp.bytes) / 1e6);
    std::vector<double> plainSeconds;
    std::vector<double> splitSeconds;
    long splitPeakKib = 0;
    long splitGrowthKib = 0;
    long plainPeakKib = 0;
    std::size_t cardsFound = 0;
    std::printf("round  first   plain read   split + names   ratio\n");
    for (int round = 1; round <= rounds && measuredAll; ++round) {
        Measurement plain;
        Measurement split;
        const bool plainFirst = round % 2 == 1;
        if (plainFirst)
            measuredAll = measureInChild(self, "--plain", path, plain) &&
                          measureInChild(self, "--split", path, split);
        else
            measuredAll = measureInChild(self, "--split", path, split) &&
                          measureInChild(self, "--plain", path, plain);
        if (!measuredAll)
            break;
        plainSeconds.push_back(plain.seconds);
        splitSeconds.push_back(split.seconds);
        plainPeakKib = std::max(plainPeakKib, plain.peakKib);
        splitPeakKib = std::max(splitPeakKib, split.peakKib);
        splitGrowthKib = std::max(splitGrowthKib, split.peakKib - split.baselineKib);
        cardsFound = split.cards;
        std::printf("%5d  %-6s  %8.1f ms     %8.1f ms    %5.2fx\n", round,
                    plainFirst ? "plain" : "split", plain.seconds * 1e3, split.seconds * 1e3,
                    split.seconds / plain.seconds);
    }
    std::remove(path);
    if (!measuredAll) {
        std::fprintf(stderr, "a measurement failed\n");
        return 1;
    }

    const double plain = median(plainSeconds);
    const double split = median(splitSeconds);
    std::printf("\nCards found: %zu of %zu\n", cardsFound, cards);
    std::printf("Median plain read: %.1f ms (%.0f MB/s)\n", plain * 1e3,
                static_cast<double>(warmUp.bytes) / 1e6 / plain);
    std::printf("Median split with display names: %.1f ms (%.0f MB/s)\n", split * 1e3,
                static_cast<double>(warmUp.bytes) / 1e6 / split);
    std::printf("Split / plain read: %.2fx (target at most 2x)\n", split / plain);
    std::printf("Peak memory while splitting: %.1f MB, %.1f MB above the process's start "
                "(plain read: %.1f MB; target under 64 MB)\n",
                splitPeakKib / 1024.0, splitGrowthKib / 1024.0, plainPeakKib / 1024.0);
    return cardsFound == cards ? 0 : 1;
}
