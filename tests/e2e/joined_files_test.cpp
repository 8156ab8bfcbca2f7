// Exports joined with `copy a+b`, which ends the file it writes with a Ctrl-Z,
// then joined on with `copy /b`, and files padded out with NUL bytes, through
// the real program and the stand-in Outlook.

#include "import_fixture.h"

#include <gtest/gtest.h>

using namespace quorvane::test;

namespace {

class JoinedFiles : public ImportTest {};

TEST_F(JoinedFiles, CtrlZAndNulBytesBetweenContactsLoseAndMergeNone) {
    const std::string ann = cards({"Ann"});
    const std::string bo = cards({"Bo"});
    const std::wstring joined =
        file(L"joined.vcf", ann + "\x1A" + bo.substr(0, bo.size() - 2) + '\0' + cards({"Cy"}) +
                                std::string(3, '\0') + cards({"Di"}) + "\x1A");
    Quorvane app;
    app.appendRows({joined});
    (void)importAll(app);
    std::vector<std::wstring> names;
    for (const SavedContact& contact : savedContacts(savedFile))
        names.push_back(contact.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Ann", L"Bo", L"Cy", L"Di"}));
}

} // namespace
