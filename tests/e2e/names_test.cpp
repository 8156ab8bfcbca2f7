// Names as phones, old Outlook and other tools write them, one card a file,
// reach Outlook as written. The stand-in reads cards as Outlook does, so a
// UTF-8 name without a CHARSET shows as "JosÃ© MÃ¼ller" unless the importer
// repairs the card on the way.

#include "import_fixture.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::test;

namespace {

const std::string head = "BEGIN:VCARD\r\nVERSION:", tail = "\r\nEND:VCARD\r\n";

struct NamedCard {
    const wchar_t* file;
    std::string bytes;
    std::wstring name;
    bool readRightAsItIs; // by Outlook, from the user's own file
} const namedCards[] = {
    {L"phone.vcf", head + "3.0\r\nN:Müller;José;;;\r\nFN:José Müller" + tail, L"José Müller",
     false},
    {L"android.vcf", head + "2.1\r\nFN;QUOTED-PRINTABLE:Zo=C3=\r\n=AB =C3=85ngstr=C3=B6m" + tail,
     L"Zoë Ångström", false},
    {L"charset.vcf", head + "2.1\r\nFN;CHARSET=UTF-8:Łukasz Żółć" + tail, L"Łukasz Żółć", true},
    {L"outlook.vcf", head + "2.1\r\nFN:Fran\xE7ois P\xE9rez" + tail, L"François Pérez", true},
    {L"wide.vcf", utf16Cards({"Ελένη Παπαδοπούλου"}), L"Ελένη Παπαδοπούλου", true},
};

class Names : public ImportTest {
protected:
    void expectNamesAsWritten(CommandId command, bool ownFilesKept) {
        std::vector<std::wstring> paths;
        for (const NamedCard& card : namedCards)
            paths.push_back(file(card.file, card.bytes));
        Quorvane app;
        const auto boxes = runThroughDone(app, paths, command);
        ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
        const auto saved = savedContacts(savedFile);
        ASSERT_EQ(saved.size(), paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(saved[i].name, namedCards[i].name) << win32::toUtf8(saved[i].name);
            if (ownFilesKept && namedCards[i].readRightAsItIs) {
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
