#pragma once
// Sample vCard files in the shapes real exports have (Android, iPhone,
// Outlook, Gmail, UTF-16 from Windows tools), each cut into the cards a reader
// must find and what lies between them, so tests know every card's exact
// bytes and name without reading the file themselves.

#include "cards/card_reader.h"
#include "cards/text_encoding.h"
#include "text/byte_order_mark.h"
#include "text/utf16_text.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::testing {

// One stretch of a sample file: a card, or what lies between cards.
struct SamplePart {
    std::string bytes;
    std::optional<std::string> displayName; // set for a card
    bool terminated = true;
};

inline SamplePart CardPart(std::string bytes, std::string displayName, bool terminated = true) {
    return {std::move(bytes), std::move(displayName), terminated};
}
inline SamplePart Between(std::string bytes) {
    return {std::move(bytes), std::nullopt, true};
}

struct SampleFile {
    std::string name; // letters and digits, for test names
    TextEncoding encoding = TextEncoding::SingleByte;
    std::string byteOrderMark;
    std::vector<SamplePart> parts;

    std::string bytes() const {
        std::string file = byteOrderMark;
        for (const SamplePart& part : parts)
            file += part.bytes;
        return file;
    }
    std::vector<SamplePart> cards() const {
        std::vector<SamplePart> cards;
        for (const SamplePart& part : parts) {
            if (part.displayName)
                cards.push_back(part);
        }
        return cards;
    }
};

// Names the sample when a parameterised test fails, rather than its bytes.
inline void PrintTo(const SampleFile& sample, std::ostream* out) {
    *out << sample.name;
}

// `sample` as UTF-16 in `order`, with or without its byte-order mark.
inline SampleFile Utf16Sample(const SampleFile& sample, std::string name, ByteOrder order,
                              bool withMark) {
    SampleFile wide{std::move(name),
                    order == ByteOrder::LittleEndian ? TextEncoding::Utf16Le
                                                     : TextEncoding::Utf16Be,
                    "",
                    {}};
    if (withMark)
        wide.byteOrderMark = Utf16BytesFromUtf8(Utf8ByteOrderMark, order);
    for (const SamplePart& part : sample.parts)
        wide.parts.push_back(
            {Utf16BytesFromUtf8(part.bytes, order), part.displayName, part.terminated});
    return wide;
}

inline SampleFile AndroidQuotedPrintable() {
    // Android's 2.1 export encodes every non-ASCII name and breaks lines
    // wherever it likes, here inside the three bytes of 三 and of í.
    return {"AndroidQuotedPrintable",
            TextEncoding::SingleByte,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=B8=89;;;\r\n"
                      "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=\r\n"
                      "=B8=89\r\n"
                      "TEL;CELL:+861380000000\r\n"
                      "END:VCARD\r\n",
                      "张三"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Garc=C3=ADa;Jos=C3=A9;;;\r\n"
                      "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Jos=C3=A9 Garc=C3=\r\n"
                      "=ADa\r\n"
                      "NOTE;ENCODING=QUOTED-PRINTABLE:END:VCARD is just text here=0D=0A=\r\n"
                      "BEGIN:VCARD too\r\n"
                      "EMAIL;HOME:jose@example.com\r\n"
                      "END:VCARD\r\n",
                      "José García")}};
}

inline SampleFile IphoneLineFeeds() {
    return {
        "IphoneLineFeeds",
        TextEncoding::SingleByte,
        "",
        {CardPart("BEGIN:VCARD\n"
                  "VERSION:3.0\n"
                  "PRODID:-//Apple Inc.//iPhone OS 17.4//EN\n"
                  "N:Appleseed;Johnny;;;\n"
                  "FN:Johnny Appleseed\n"
                  "item1.EMAIL;type=INTERNET;type=pref:johnny@example.com\n"
                  "item1.X-ABLabel:_$!<Other>!$_\n"
                  "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/"
                  "4QBYRXhpZgAATU0AKgAAAAgAAgESAAMAAAABAAEAAIdp\n"
                  " AAQAAAABAAAAJgAAAAAAA6ABAAMAAAABAAEAAKACAAQAAAABAAAAoKADAAQAAAABAAAAoAAAAAD/\n"
                  " BEGINAAVCARDAAAAAAAENDAAVCARD9kAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"
                  " ENDAAAAAAAAAAAAAAAAAAAAAAAAAAA==\n"
                  "END:VCARD\n",
                  "Johnny Appleseed"),
         CardPart("BEGIN:VCARD\n"
                  "VERSION:3.0\n"
                  "N:O'Brien\\, Jr.;Mary Kate;;;\n"
                  "item2.FN:\n"
                  "X-ABShowAs:PERSON\n"
                  "END:VCARD\n",
                  "Mary Kate O'Brien, Jr.")}};
}

inline SampleFile OutlookWindows1252() {
    // Outlook writes 2.1 in the ANSI code page and says nothing about it.
    return {"OutlookWindows1252",
            TextEncoding::SingleByte,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "N;LANGUAGE=de-de:M\xFCller;J\xFCrgen\r\n"
                      "FN:J\xFCrgen M\xFCller\r\n"
                      "ORG:Caf\xE9 \x80 GmbH\r\n"
                      "LABEL;WORK;PREF;ENCODING=QUOTED-PRINTABLE:Stra=DFe 1=0D=0A=\r\n"
                      "Berlin 10115\r\n"
                      "END:VCARD\r\n",
                      "Jürgen Müller"),
             Between("\r\n"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "N:;\x93"
                      "Bob\x94\r\n"
                      "FN:\r\n"
                      "END:VCARD\r\n",
                      "“Bob”")}};
}

inline SampleFile GmailByteOrderMark() {
    return {"GmailByteOrderMark",
            TextEncoding::Utf8,
            "\xEF\xBB\xBF",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "FN:Renée Façade\r\n"
                      "N:Façade;Renée;;;\r\n"
                      "END:VCARD\r\n",
                      "Renée Façade")}};
}

// Written as UTF-8 here; the tests read it as UTF-16 (Utf16Sample).
inline SampleFile WindowsUnicodeTwoCards() {
    return {"WindowsUnicode",
            TextEncoding::Utf8,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "FN:Zoë Saldaña 🌻\r\n"
                      "N:Saldaña;Zoë;;;\r\n"
                      "END:VCARD\r\n",
                      "Zoë Saldaña 🌻"),
             // Quoted-printable bytes still go by their CHARSET in a UTF-16 file.
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "FN;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:=C8=E2=E0=ED "
                      "=CF=E5=F2=F0=EE=E2\r\n"
                      "END:VCARD\r\n",
                      "Иван Петров")}};
}

inline SampleFile LowerCaseAndCarriageReturns() {
    // Old Macintosh line ends, markers in any case, blanks around the colon.
    return {"LowerCaseAndCarriageReturns",
            TextEncoding::SingleByte,
            "",
            {CardPart("begin:vcard\r"
                      "version:3.0\r"
                      "fn:lower case\r"
                      "end:vcard\r",
                      "lower case"),
             CardPart("Begin : VCard  \r"
                      "FN : Spaced Colon \r"
                      "End\t:\tvCard\r",
                      "Spaced Colon")}};
}

inline SampleFile AgentNested() {
    return {"AgentNested",
            TextEncoding::SingleByte,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "N:Boss;Barbara\r\n"
                      "AGENT:\r\n"
                      "BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "FN:Sam Secretary\r\n"
                      "TEL:+1 555 0100\r\n"
                      "END:VCARD\r\n"
                      "FN:Barbara Boss\r\n"
                      "END:VCARD\r\n",
                      "Barbara Boss"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "N:Carter;Chris\r\n"
                      "item1.AGENT;VALUE=VCARD:BEGIN:VCARD\r\n"
                      "FN:Inline Agent\r\n"
                      "END:VCARD\r\n"
                      "END:VCARD\r\n",
                      "Chris Carter"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:2.1\r\n"
                      "AGENT:\r\n"
                      "BEGIN:VCARD\r\n"
                      "FN:Only The Agent Has A Name\r\n"
                      "END:VCARD\r\n"
                      "END:VCARD\r\n",
                      "contact 3")}};
}

inline SampleFile TruncatedLastCard() {
    return {"TruncatedLastCard",
            TextEncoding::SingleByte,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "FN:Complete Card\r\n"
                      "END:VCARD\r\n",
                      "Complete Card"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "FN:Cut Off\r\n"
                      "TEL:+1 555",
                      "Cut Off", false)}};
}

inline SampleFile CardCutByNextBegin() {
    // A card whose END line was lost when two exports were pasted together:
    // the next card must not vanish inside it.
    return {"CardCutByNextBegin",
            TextEncoding::SingleByte,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "FN:Missing End\r\n",
                      "Missing End", false),
             CardPart("BEGIN:VCARD\r\n"
                      "FN:After It\r\n"
                      "END:VCARD\r\n",
                      "After It")}};
}

inline SampleFile JunkBetweenCards() {
    return {"JunkBetweenCards",
            TextEncoding::SingleByte,
            "",
            {Between("Exported by Contacts 1.2\r\n\r\n"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "FN:First Person\r\n"
                      "END:VCARD\r\n",
                      "First Person"),
             Between("\r\n\n\rEND:VCARD\r\n-- page 2 --\r\nVCARD\r\n" + std::string(5000, 'x') +
                     "BEGIN:VCARD\r\n"),
             CardPart("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "FN:Second Person\r\n"
                      "END:VCARD\r\n",
                      "Second Person"),
             Between("Total: 2 contacts\r\n")}};
}

inline SampleFile Version4() {
    return {"Version4",
            TextEncoding::SingleByte,
            "",
            {CardPart("BEGIN:VCARD\r\n"
                      "VERSION:4.0\r\n"
                      "FN;PID=1.1:Dr. Ada Lovelace\\, Countess\r\n"
                      "N;SORT-AS=\"Lovelace,Ada\":Lovelace;Ada;King;Dr.;\r\n"
                      "KIND:individual\r\n"
                      "END:VCARD", // the file ends without a line end

                      "Dr. Ada Lovelace, Countess")}};
}

inline SampleFile LargePhoto() {
    // A card several times the reader's block size.
    std::string photo = "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQSkZJRgABAQ\r\n";
    for (int line = 0; line < 3000; ++line)
        photo += "  " + std::string(72, "ABCDEFGH"[line % 8]) + "\r\n";
    return {
        "LargePhoto",
        TextEncoding::SingleByte,
        "",
        {CardPart("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Large;Laura\r\n" + photo + "\r\nEND:VCARD\r\n",
                  "Laura Large"),
         CardPart("BEGIN:VCARD\r\nFN:Small Sam\r\nEND:VCARD\r\n", "Small Sam")}};
}

inline SampleFile NoCard() {
    return {
        "NoCard", TextEncoding::SingleByte, "", {Between("just some text\r\nno cards here\r\n")}};
}

inline SampleFile EmptyFile() {
    return {"EmptyFile", TextEncoding::SingleByte, "", {}};
}

inline std::vector<SampleFile> SampleFiles() {
    return {
        AndroidQuotedPrintable(),
        IphoneLineFeeds(),
        OutlookWindows1252(),
        GmailByteOrderMark(),
        Utf16Sample(WindowsUnicodeTwoCards(), "Utf16LittleEndianMarked", ByteOrder::LittleEndian,
                    true),
        Utf16Sample(WindowsUnicodeTwoCards(), "Utf16BigEndianMarked", ByteOrder::BigEndian, true),
        Utf16Sample(WindowsUnicodeTwoCards(), "Utf16LittleEndianUnmarked", ByteOrder::LittleEndian,
                    false),
        Utf16Sample(AgentNested(), "Utf16BigEndianAgent", ByteOrder::BigEndian, false),
        Utf16Sample(JunkBetweenCards(), "Utf16LongJunk", ByteOrder::LittleEndian, true),
        LowerCaseAndCarriageReturns(),
        AgentNested(),
        TruncatedLastCard(),
        CardCutByNextBegin(),
        JunkBetweenCards(),
        Version4(),
        LargePhoto(),
        NoCard(),
        EmptyFile()};
}

} // namespace quorvane::testing
