// What Outlook will not keep of cards as real exporters write them, each
// value of the rest written out by hand as the notes and the run would use
// it; and the table of what Outlook keeps, read or refused.

#include "cards/card_rest.h"
#include "cards/outlook_keeps.h"

#include "fake_code_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;
using namespace std::string_literals;

namespace {

TEST(OutlookKeepsTest, TheBuiltInTableReads) {
    auto keeps = OutlookKeeps::FromText(BuiltInOutlookKeepsText());
    ASSERT_TRUE(keeps) << keeps.failure().description;
    EXPECT_EQ(keeps->slotWords("Business2TelephoneNumber"), "Business 2");
    EXPECT_EQ(keeps->slotWords("Body"), "notes");
}

struct BadTable {
    std::string name;
    std::string text;
    std::string failure; // the start of what the failure says
};

void PrintTo(const BadTable& table, std::ostream* out) {
    *out << table.name;
}

class BadTableTest : public ::testing::TestWithParam<BadTable> {};

TEST_P(BadTableTest, NamesTheLineItCannotRead) {
    const auto keeps = OutlookKeeps::FromText(GetParam().text);
    ASSERT_FALSE(keeps);
    EXPECT_TRUE(keeps.failure().description.starts_with(GetParam().failure))
        << keeps.failure().description;
}

const std::string Slots = "[slots]\nHomeTelephoneNumber Home\n# a comment\n\n";

INSTANTIATE_TEST_SUITE_P(
    Tables, BadTableTest,
    ::testing::Values(
        BadTable{"RowBeforeAnyPart", "TEL | home | kept\n", "outlook_keeps.table, line 1"},
        BadTable{"UnknownVerdict", Slots + "[properties]\nTEL | home | sometimes\n",
                 "outlook_keeps.table, line 6: what Outlook does is"},
        BadTable{"UnknownSlot", Slots + "[properties]\nTEL | home | kept | Phone | text | Home\n",
                 "outlook_keeps.table, line 6: \"Home\" is not among the slots"},
        BadTable{"DroppedValueFillsASlot",
                 Slots + "[properties]\nTEL | | dropped | Phone | text | HomeTelephoneNumber\n",
                 "outlook_keeps.table, line 6: Outlook fills no slot"},
        BadTable{"RowAskedTwice",
                 Slots + "[properties]\nTEL | home work | kept\nTEL | work home | maybe\n",
                 "outlook_keeps.table, line 7: asks what the row on line 6 asks"}),
    [](const auto& info) { return info.param.name; });

struct ExportedCard {
    std::string name;
    std::string bytes;
    // Each value of the rest: "PROPERTY ordinal | kind | label | value | first
    // slot", a picture's value as its type and bytes in decimal.
    std::vector<std::string> rest;
};

void PrintTo(const ExportedCard& card, std::ostream* out) {
    *out << card.name;
}

std::string described(const RestValue& value) {
    std::string text = value.value;
    if (value.form == RestForm::Picture) {
        text = value.pictureType;
        for (const unsigned char byte : value.value)
            text += " " + std::to_string(byte);
    }
    return value.property + " " + std::to_string(value.ordinal) + " | " + value.kind + " | " +
           value.label + " | " + text + " | " + (value.slots.empty() ? "" : value.slots.front());
}

class CardRestTest : public ::testing::TestWithParam<ExportedCard> {};

TEST_P(CardRestTest, IsWhatOutlookLeavesOut) {
    FakeCodePages codePages;
    const CardRest rest =
        ReadCardRest(GetParam().bytes, TextEncoding::Utf8, BuiltInOutlookKeeps(), codePages);
    std::vector<std::string> found;
    for (const RestValue& value : rest.values)
        found.push_back(described(value));
    EXPECT_EQ(found, GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(
    Exporters, CardRestTest,
    ::testing::Values(
        ExportedCard{
            "IPhone",
            "BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Apple Inc.//iPhone OS 17.4//EN\n"
            "N:Appleseed;John;;;\nFN:John Appleseed\nORG:Apple;\n"
            "EMAIL;type=INTERNET;type=HOME;type=pref:john@me.com\n"
            "EMAIL;type=INTERNET;type=WORK:john@apple.com\n"
            "item1.EMAIL;type=INTERNET:john@school.edu\nitem1.X-ABLabel:School\n"
            "EMAIL;type=INTERNET;type=HOME:johnny@example.com\n"
            "TEL;type=CELL;type=VOICE;type=pref:+1 408 555 0100\n"
            "TEL;type=HOME;type=VOICE:+1 408 555 0101\n"
            "TEL;type=HOME;type=VOICE:+1 408 555 0102\n"
            "TEL;type=HOME;type=VOICE:+1 408 555 0103\n"
            "item2.TEL:+1 408 555 0199\nitem2.X-ABLabel:Grandma's\n"
            "item3.ADR;type=HOME;type=pref:;;1 Infinite Loop;Cupertino;CA;95014;USA\n"
            "item3.X-ABADR:us\n"
            "item4.URL;type=pref:https://www.apple.com\n"
            "item4.X-ABLabel:_$!<HomePage>!$_\n"
            "item5.X-ABDATE;type=pref:2010-06-01\n"
            "item5.X-ABLabel:_$!<Anniversary>!$_\n"
            "item6.X-ABRELATEDNAMES;type=pref:Jane Appleseed\n"
            "item6.X-ABLabel:_$!<Spouse>!$_\n"
            "item7.X-ABRELATEDNAMES:Bob Appleseed\nitem7.X-ABLabel:_$!<Brother>!$_\n"
            "X-SOCIALPROFILE;type=twitter:https://twitter.com/johnny\n"
            "BDAY;value=date:1980-04-15\nNOTE:Met at WWDC\\, 2019\\nby the sea\n"
            "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\n SkZJRg==\nEND:VCARD\n",
            {"EMAIL 4 | E-mail | Home | johnny@example.com | Email1Address",
             "TEL 4 | Phone | Home | +1 408 555 0103 | HomeTelephoneNumber",
             "TEL 5 | Phone | Grandma's | +1 408 555 0199 | OtherTelephoneNumber",
             "X-ABDATE 1 | Anniversary |  | 2010-06-01 | Anniversary",
             "X-ABRELATEDNAMES 1 | Spouse |  | Jane Appleseed | Spouse",
             "X-ABRELATEDNAMES 2 | Related name | Brother | Bob Appleseed | ",
             "X-SOCIALPROFILE 1 | Social profile | Twitter | https://twitter.com/johnny | "}},
        ExportedCard{
            "Android",
            "BEGIN:VCARD\r\nVERSION:2.1\r\n"
            "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
            "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Jogi;1;;;;;;;;;;;;;\r\n"
            "TEL;CELL:+49 170 1234567\r\nTEL;HOME:+49 30 1234567\r\n"
            "TEL;X-Werkstatt:+49 30 7654321\r\nEMAIL;HOME:juergen@example.de\r\n"
            "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 1;Berlin;;10115;"
            "Deutschland\r\n"
            "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Gr=C3=BC=C3=9Fe\r\n"
            "X-ANDROID-CUSTOM;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:vnd.android.cursor.item/"
            "relation;Anna M=C3=\r\n=BCller;14;;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2010-06-01;1;;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/"
            "contact_event;--04-15;0;Namenstag;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/relation;Karl;2;;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.com.example/profile;abc;def\r\nBDAY:1980-04-15\r\nEND:VCARD\r\n",
            {"X-ANDROID-CUSTOM 1 | Nickname |  | Jogi | NickName",
             "TEL 3 | Phone | Werkstatt | +49 30 7654321 | OtherTelephoneNumber",
             "X-ANDROID-CUSTOM 2 | Spouse |  | Anna M\xC3\xBCller | Spouse",
             "X-ANDROID-CUSTOM 3 | Anniversary |  | 2010-06-01 | Anniversary",
             "X-ANDROID-CUSTOM 4 | Date | Namenstag | --04-15 | ",
             "X-ANDROID-CUSTOM 5 | Related name | Brother | Karl | ",
             "X-ANDROID-CUSTOM 6 | Android field |  | vnd.com.example/profile;abc;def | "}},
        ExportedCard{
            "Google",
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jane Doe\r\nN:Doe;Jane;;;\r\nNICKNAME:JD\r\n"
            "EMAIL;TYPE=INTERNET;TYPE=HOME:jane@example.com\r\n"
            "TEL;TYPE=CELL:+1 555 0100\r\nTEL;TYPE=WORK:+1 555 0101\r\n"
            "TEL;TYPE=WORK:+1 555 0102\r\nTEL;TYPE=WORK:+1 555 0103\r\n"
            "TEL;TYPE=WORK;TYPE=FAX:+1 555 0104\r\n"
            "ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\r\n"
            "ADR;TYPE=WORK:;Suite 5;2 Side St;Springfield;IL;62702;USA\r\n"
            "ADR;TYPE=HOME:;;3 Lake Rd;Lakeside;MI;49116;USA\r\n"
            "ORG:Acme Inc.\r\nTITLE:Engineer\r\nBDAY:1980-04-15\r\n"
            "item1.URL:http\\://blog.example.com\r\nitem1.X-ABLabel:BLOG\r\n"
            "item2.URL:https\\://example.com/jane\r\nitem2.X-ABLabel:PROFILE\r\n"
            "item3.URL:https\\://example.org\r\nitem3.X-ABLabel:Portfolio\r\n"
            "NOTE:Likes tea\\; and coffee\\nCall after 5\r\n"
            "CATEGORIES:myContacts,Friends\r\n"
            "PHOTO:https://lh3.googleusercontent.com/a/photo.jpg\r\nEND:VCARD\r\n",
            {"NICKNAME 1 | Nickname |  | JD | NickName",
             "TEL 4 | Phone | Work | +1 555 0103 | BusinessTelephoneNumber",
             "ADR 3 | Address | Home | 3 Lake Rd\r\nLakeside MI 49116\r\nUSA | HomeAddress",
             "URL 3 | Web page | Portfolio | https://example.org | PersonalHomePage",
             "CATEGORIES 1 | Categories |  | myContacts, Friends | Categories",
             "PHOTO 1 | Photo |  | https://lh3.googleusercontent.com/a/photo.jpg | "}},
        ExportedCard{"Version4",
                     "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nFN:Ada Lovelace\r\n"
                     "N:Lovelace;Ada;;;\r\nGENDER:F\r\nBDAY:--0415\r\nANNIVERSARY:18350708\r\n"
                     "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+44-20-7946-0000\r\n"
                     "EMAIL;PREF=1:ada@example.org\r\nIMPP;PREF=1:xmpp:ada@example.org\r\n"
                     "RELATED;TYPE=spouse;VALUE=text:William King\r\nGEO:geo:51.5,-0.12\r\n"
                     "PHOTO:data:image/png;base64,iVBORw0K\r\n Ggo=\r\n"
                     "UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"
                     "REV:20240101T000000Z\r\nX-CUSTOM-THING:hello\r\nEND:VCARD\r\n",
                     {"GENDER 1 | Gender |  | F | ", "BDAY 1 | Birthday |  | --04-15 | ",
                      "ANNIVERSARY 1 | Anniversary |  | 1835-07-08 | Anniversary",
                      "IMPP 1 | IM address |  | xmpp:ada@example.org | IMAddress",
                      "RELATED 1 | Spouse |  | William King | Spouse",
                      "GEO 1 | Location |  | geo:51.5,-0.12 | ",
                      "PHOTO 1 | Photo |  | png 137 80 78 71 13 10 26 10 | Picture",
                      "X-CUSTOM-THING 1 | X-CUSTOM-THING |  | hello | "}},
        ExportedCard{"OutlookItself",
                     "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=en-us:Fennell;Dan\r\n"
                     "FN:Dan Fennell\r\nORG:Contoso, Ltd.\r\nTITLE:Manager\r\n"
                     "TEL;WORK;VOICE:+1-206-555-0102\r\nTEL;HOME;VOICE:+1-303-555-0111\r\n"
                     "TEL;CELL;VOICE:+1-425-555-0199\r\nTEL;WORK;FAX:+1-206-555-0103\r\n"
                     "ADR;WORK;PREF:;;7890 Elm Street;Boulder;CO;33041;United States\r\n"
                     "LABEL;WORK;PREF;ENCODING=QUOTED-PRINTABLE:7890 Elm Street=0D=0ABoulder, "
                     "CO  33041=0D=0A=\r\nUnited States\r\n"
                     "X-MS-OL-DEFAULT-POSTAL-ADDRESS:2\r\nURL;WORK:http://www.contoso.com/\r\n"
                     "EMAIL;PREF;INTERNET:dan.fennell@contoso.com\r\n"
                     "X-MS-IMADDRESS:dan.fennell@contoso.com\r\n"
                     "PHOTO;TYPE=JPEG;ENCODING=BASE64:\r\n /9j/4AAQSkZJRgABAQEAYABgAAD/2wBD\r\n"
                     " AAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8U\r\n\r\n"
                     "X-MS-OL-DESIGN;CHARSET=utf-8:<html><body></body></html>\r\n"
                     "REV:20240101T120000Z\r\nEND:VCARD\r\n",
                     {}},
        ExportedCard{"NestedAgentCard",
                     "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Boss\r\nAGENT:\r\nBEGIN:VCARD\r\n"
                     "VERSION:2.1\r\nFN:Helper\r\nTEL;HOME:1\r\nTEL;HOME:2\r\nTEL;HOME:3\r\n"
                     "X-AIM:helper\r\nEND:VCARD\r\nX-AIM:boss\r\nEND:VCARD\r\n",
                     {"X-AIM 1 | IM address |  | boss | IMAddress"}}),
    [](const auto& info) { return info.param.name; });

} // namespace
