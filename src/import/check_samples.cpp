#include "import/check_samples.h"

namespace quorvane {

namespace {

// A PNG and a JPEG of a few bytes: enough for Outlook to know the picture.
constexpr std::string_view PngBase64 = "iVBORw0KGgoAAAANSUhEUgAAAAAAAAAAAAAAAAAAAAAA";
constexpr std::string_view JpegBase64 = "/9j/4AAQSkZJRgAAAAAAAAAAAAAAAAAAAAAAAAAAAA==";

} // namespace

std::string SampleCard(std::string_view name, const std::vector<std::string>& lines,
                       std::string_view version) {
    std::string card = "BEGIN:VCARD\r\nVERSION:" + std::string(version) +
                       "\r\nFN:" + std::string(name) + "\r\nN:" + std::string(name) + ";;;;\r\n";
    for (const std::string& line : lines)
        card += line + "\r\n";
    return card + "END:VCARD\r\n";
}

const std::vector<CheckProbe>& CheckProbes() {
    static const std::vector<CheckProbe> probes = {
        {"A phone without a type", "TEL:+1 555 0150", "TEL", {}, "555 0150"},
        {"A work phone", "TEL;TYPE=WORK:+1 555 0151", "TEL", {"WORK"}, "555 0151"},
        {"A mobile phone", "TEL;TYPE=CELL:+1 555 0152", "TEL", {"CELL"}, "555 0152"},
        {"A fax of neither home nor work", "TEL;TYPE=FAX:+1 555 0153", "TEL", {"FAX"}, "555 0153"},
        {"A PCS phone", "TEL;TYPE=PCS:+1 555 0154", "TEL", {"PCS"}, "555 0154"},
        {"An e-mail address",
         "EMAIL;TYPE=INTERNET:probe@example.com",
         "EMAIL",
         {"INTERNET"},
         "probe@example.com"},
        {"A web page without a type",
         "URL:https://probe.example.com",
         "URL",
         {},
         "probe.example.com"},
        {"A home address",
         "ADR;TYPE=HOME:;;1 Probe Street;Probeville;;12345;",
         "ADR",
         {"HOME"},
         "Probeville"},
        {"A nickname", "NICKNAME:Probie", "NICKNAME", {}, "Probie"},
        {"Categories", "CATEGORIES:Probing", "CATEGORIES", {}, "Probing"},
        {"An IM address (IMPP)",
         "IMPP:xmpp:probe@chat.example.com",
         "IMPP",
         {},
         "probe@chat.example.com"},
        {"A birthday", "BDAY:1980-04-15", "BDAY", {}, "1980-04-15", ProbeForm::Date},
        {"An anniversary (vCard 4.0)",
         "ANNIVERSARY:2010-06-01",
         "ANNIVERSARY",
         {},
         "2010-06-01",
         ProbeForm::Date},
        {"A photo as base64 JPEG",
         "PHOTO;ENCODING=b;TYPE=JPEG:" + std::string(JpegBase64),
         "PHOTO",
         {"BASE64", "JPEG"},
         "",
         ProbeForm::Picture},
        {"A photo as a vCard 4.0 data: address",
         "PHOTO:data:image/png;base64," + std::string(PngBase64),
         "PHOTO",
         {},
         "",
         ProbeForm::Picture},
    };
    return probes;
}

std::string TwoCardSample() {
    return SampleCard(FirstOfTwo, {"EMAIL:first@example.com"}) +
           SampleCard("Quorvane Check Second", {"EMAIL:second@example.com"});
}

std::string Utf8WithoutCharsetSample() {
    return SampleCard(Utf8SampleName, {"ORG:Z\xC3\xB6"
                                       "e \xC3\x85ngstr\xC3\xB6m \xE6\x9D\x8E"});
}

std::string RichSample() {
    return SampleCard(
        RichSampleName,
        {"EMAIL;TYPE=INTERNET:rich1@example.com", "EMAIL;TYPE=INTERNET:rich2@example.com",
         "EMAIL;TYPE=INTERNET:rich3@example.com", "EMAIL;TYPE=INTERNET:rich4@example.com",
         "EMAIL;TYPE=INTERNET:rich5@example.com", "TEL;TYPE=CELL:+1 555 0160",
         "TEL;TYPE=CELL:+1 555 0161", "TEL;TYPE=WORK:+1 555 0162", "TEL:+1 555 0163",
         "item1.TEL:+1 555 0164", "item1.X-ABLabel:Work Fax",
         "URL;TYPE=HOME:https://home.example.com", "URL;TYPE=WORK:https://work.example.com",
         "URL:https://third.example.com", "BDAY:--0415",
         "PHOTO:data:image/png;base64," + std::string(PngBase64)},
        "4.0");
}

const std::vector<std::string>& RichSampleValues() {
    static const std::vector<std::string> values = {"rich1@example.com",
                                                    "rich2@example.com",
                                                    "rich3@example.com",
                                                    "rich4@example.com",
                                                    "rich5@example.com",
                                                    "555 0160",
                                                    "555 0161",
                                                    "555 0162",
                                                    "555 0163",
                                                    "555 0164",
                                                    "https://home.example.com",
                                                    "https://work.example.com",
                                                    "https://third.example.com",
                                                    "15 April"};
    return values;
}

} // namespace quorvane
