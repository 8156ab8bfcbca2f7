// Names as phones, web exports, old Outlook and other tools write them, each
// in a file of one card, reach Outlook as they were written: the stand-in
// reads them as Outlook does, so a UTF-8 name without a CHARSET would show as
// "JosÃ© MÃ¼ller" unless the importer repairs the card on the way.

#include "import_fixture.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

struct NamedCard {
    const wchar_t* file;
    std::string bytes;
    std::wstring name; // as the user would see it in Outlook
    bool readRightAsItIs;
};

const std::vector<NamedCard>& namedCards() {
    static const std::vector<NamedCard> cards{
        {L"phone 3.0.vcf",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Müller;José;;;\r\nFN:José Müller\r\nEND:VCARD\r\n",
         L"José Müller", false},
        {L"android 2.1.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:Zo=C3=\r\n=AB "
         "=C3=85ngstr=C3=B6m\r\nEND:VCARD\r\n",
         L"Zoë Ångström", false},
        {L"charset 2.1.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8:Łukasz Żółć\r\nEND:VCARD\r\n",
         L"Łukasz Żółć", true},
        {L"outlook 2.1.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Fran\xE7ois P\xE9rez\r\nEND:VCARD\r\n",
         L"François Pérez", true},
        {L"wide.vcf", utf16Cards({"Ελένη Παπαδοπούλου"}), L"Ελένη Παπαδοπούλου", true},
    };
    return cards;
}

class Names : public ImportTest {
protected:
    void expectNamesAsWritten(CommandId command, bool ownPathsKept) {
        std::vector<std::wstring> paths;
        for (const NamedCard& card : namedCards())
            paths.push_back(file(card.file, card.bytes));
        Quorvane app;
        app.appendRows(paths);
        app.command(command);
        const auto boxes = app.answerBoxesUntil(L"Done.", 60s);
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        const auto saved = savedContacts(savedFile);
        ASSERT_EQ(saved.size(), paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(saved[i].name, namedCards()[i].name) << win32::toUtf8(saved[i].name);
            // A card Outlook reads right goes to it from the user's own file.
            if (ownPathsKept && namedCards()[i].readRightAsItIs) {
                EXPECT_EQ(saved[i].path, paths[i]);
            }
        }
    }
};

TEST_F(Names, ReachOutlookAsWrittenThroughItemWindows) {
    expectNamesAsWritten(CommandId::Start, true);
}

TEST_F(Names, ReachOutlookAsWrittenWithoutWindows) {
    expectNamesAsWritten(CommandId::ImportWithoutWindows, false);
}

} // namespace
