#include "app/commands.h"
#include "app/layout.h"
#include "app/main_form.h"
#include "app/window_placement.h"
#include "fake_file_system.h"
#include "fakes.h"
#include "form_fixture.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;
using namespace std::string_literals;

namespace {

class MainFormTest : public FormTest {
protected:
    void execute(CommandId id) { form.CommandBars_Execute(static_cast<int>(id)); }
};

TEST_F(MainFormTest, LoadRunsItsStepsInOrderAndCentresOnTheWholeScreen) {
    window.screen = {19200, 14400};
    window.bounds = {0, 0, 9375, 9120};
    EXPECT_TRUE(form.Form_Load());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"applySkin", "left 4912.500000",
                                                      "top 2640.000000", "caption Quorvane", "icon",
                                                      "column  VCF Files", "commandBar", "drops"}));
    EXPECT_TRUE(window.messages.empty());
}

// A part of the window that did not come up is told once, in a box that says
// what will not work; only a window without its commands ends the program.
TEST_F(MainFormTest, StartUpPartsThatFailAreToldOnceAndOnlyAMissingBarEndsTheProgram) {
    window.commandBarFailure = Failure{"Not enough memory resources are available."};
    window.dropFailure = Failure{"Unreached."};
    EXPECT_FALSE(form.Form_Load());
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text,
              "The toolbar could not be created: Not enough memory resources are available. "
              "Without it none of Quorvane's commands can be given, so Quorvane closes.");
    EXPECT_EQ(window.messages[0].style, MessageStyle::Exclamation);
    EXPECT_EQ(window.calls.back(), "message " + window.messages[0].text);

    FakeWindow partial{&clock};
    MainForm partialForm{partial, platformServices()};
    partial.pictureFailure = Failure{"The toolbar picture 1010 is missing from the program."};
    partial.dropFailure = Failure{"Error 0x8000FFFF"}; // a reason without a full stop
    EXPECT_TRUE(partialForm.Form_Load());
    ASSERT_EQ(partial.messages.size(), 2u);
    EXPECT_EQ(partial.messages[0].text,
              "The toolbar pictures could not be loaded: The toolbar picture 1010 is missing from "
              "the program. The buttons show their captions only.");
    EXPECT_EQ(partial.messages[1].text,
              "Files dropped on the list cannot be taken: Error 0x8000FFFF. Add them with Add "
              "VCF Files or Add Folder instead.");
    for (const Message& message : partial.messages)
        EXPECT_EQ(message.style, MessageStyle::Exclamation);
}

TEST_F(MainFormTest, CentringOnAScreenSmallerThanTheWindowGoesNegative) {
    window.screen = {6000, 4000};
    window.bounds = {100, 100, 9375, 9120};
    CenterForm(window);
    EXPECT_FLOAT_EQ(window.bounds.left, -1687.5f);
    EXPECT_FLOAT_EQ(window.bounds.top, -2560.0f);
}

TEST_F(MainFormTest, UnloadWritesThePlacementInNormalStateOnly) {
    window.bounds = {-1500, 2640, 9375, 9120};
    form.Form_Unload();
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"Trelvik\\Quorvane\\Left=-1500",
                                                         "Trelvik\\Quorvane\\Top=2640",
                                                         "Trelvik\\Quorvane\\Width=9375",
                                                         "Trelvik\\Quorvane\\Height=9120"}));
    settings.writes.clear();
    for (WindowState state : {WindowState::Maximized, WindowState::Minimized}) {
        window.currentState = state;
        form.Form_Unload();
    }
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(MainFormTest, AFailingPlacementWriteIsShownInsteadOfEndingTheProgramUnannounced) {
    settings.fail = true;
    form.Form_Unload();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].text.find("Access is denied."), std::string::npos);
}

TEST(TwipsAsText, WholeNumbersAreDigitsOnly) {
    EXPECT_EQ(TwipsAsText(4905), "4905");
    EXPECT_EQ(TwipsAsText(-15), "-15");
    EXPECT_EQ(TwipsAsText(0), "0");
    EXPECT_EQ(TwipsAsText(7.5f), "7.5");
}

TEST_F(MainFormTest, DispatchGoesByIdNotByPosition) {
    form.queue().addMany({"a.vcf", "b.vcf"});
    execute(CommandId::ClearList); // third button
    EXPECT_EQ(form.queue().count(), 0u);

    execute(CommandId::Start); // fourth button
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "No files added.");

    // The words are read off the real box end to end.
    execute(CommandId::Help);
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages.back().style, MessageStyle::Plain);
    EXPECT_FALSE(window.messages.back().title);

    execute(CommandId::AddFiles);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    execute(CommandId::AddFolder);
    EXPECT_EQ(dialogs.browseTitles, std::vector<std::string>{"Please select folder:"});

    const auto before = window.calls.size();
    for (int unknown : {0, 999, 1009, -1002, 2000})
        form.CommandBars_Execute(unknown);
    EXPECT_EQ(window.calls.size(), before);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(MainFormTest, AddFilesSetsTheDialogUpAfreshAndQueuesWhatItReturns) {
    dialogs.openResult = "C:\\x\0b.vcf\0a.vcf"s;
    form.AddFiles();
    dialogs.openResult = std::string("C:\\y\\c.vcf");
    form.AddFiles();
    dialogs.openResult = std::string(); // cancelled
    form.AddFiles();

    ASSERT_EQ(dialogs.shown.size(), 3u);
    for (const auto& shown : dialogs.shown) {
        EXPECT_EQ(shown.fileName, "");
        EXPECT_TRUE(shown.multipleSelection);
        EXPECT_TRUE(shown.readOnlyTicked);
        EXPECT_EQ(shown.title, "Add File(s) - Hold Ctrl to select multiple files");
        EXPECT_EQ(shown.filterDescription, "VCF Files (*.vcf)");
        EXPECT_EQ(shown.filterPattern, "*.vcf");
    }
    ASSERT_EQ(form.queue().count(), 3u);
    EXPECT_EQ(*form.queue().item(1), "C:\\x\\b.vcf");
    EXPECT_EQ(*form.queue().item(3), "C:\\y\\c.vcf");
}

TEST_F(MainFormTest, AnOpenDialogFailureIsShownAndTheQueueKept) {
    form.queue().add("keep.vcf");
    dialogs.openResult = Failure{"The selection is too large for the dialog."};
    form.AddFiles();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].style, MessageStyle::Exclamation);
    EXPECT_EQ(form.queue().count(), 1u);
}

TEST_F(MainFormTest, AddFolderStoresTheExtensionEvenWhenTheBrowserIsCancelled) {
    form.AddFolder();
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Trelvik\\Quorvane\\Extension=vcf"});
    EXPECT_EQ(form.queue().count(), 0u);
}

TEST_F(MainFormTest, RemovalGesturesActOnTheSelectedRowOnly) {
    form.queue().addMany({"a", "b", "c"});
    form.removeSelectedRow(2);
    form.removeSelectedRow(std::nullopt);
    form.removeSelectedRow(7);
    ASSERT_EQ(form.queue().count(), 2u);
    EXPECT_EQ(*form.queue().item(2), "c");
}

TEST_F(MainFormTest, AMouseMoveNeverClearsTheHourglass) {
    window.currentPointer = PointerKind::Hourglass;
    form.Form_MouseMove();
    EXPECT_EQ(window.currentPointer, PointerKind::Hourglass);
    EXPECT_EQ(std::ranges::count(window.calls, "pointer arrow"), 0);
}

TEST_F(MainFormTest, ASecondStartDuringARunIsIgnored) {
    form.queue().addMany({"a.vcf", "b.vcf"});
    int nestedStarts = 0;
    window.onYield = [&] {
        if (nestedStarts++ == 0)
            execute(CommandId::Start);
    };
    execute(CommandId::Start);
    EXPECT_EQ(outlook.saved, (std::vector<std::string>{"a.vcf", "b.vcf"}));
    EXPECT_EQ(window.messages.size(), 1u); // one "Done."
    EXPECT_FALSE(form.importRunning());
}

TEST_F(MainFormTest, TheCommandsWithoutWindowsImportTheQueueAndRefuseAnyRunNestedInThem) {
    form.queue().addMany({"a.vcf", "b.vcf"});
    FakeOutlookSession& session = outlook.sessions;
    session.picks = {FakeFolderInfo{"Family", "\\\\Mailbox - Ann\\Contacts\\Family"}};
    window.onYield = [&] {
        for (CommandId id : {CommandId::Start, CommandId::ImportWithoutWindows,
                             CommandId::ImportWithoutWindowsIntoFolder})
            execute(id);
    };
    execute(CommandId::ImportWithoutWindowsIntoFolder);
    ASSERT_EQ(session.stored.size(), 2u);
    EXPECT_EQ(session.stored[1].folder, "\\\\Mailbox - Ann\\Contacts\\Family");
    EXPECT_TRUE(outlook.log.empty());      // the windowed run never began
    EXPECT_EQ(window.messages.size(), 1u); // one "Done."

    window.onYield = nullptr;
    execute(CommandId::ImportWithoutWindows);
    ASSERT_EQ(session.stored.size(), 4u);
    EXPECT_EQ(session.stored[3].folder, session.defaultFolder.path);
    EXPECT_EQ(std::ranges::count(session.log, "Session"), 2); // one session per run
    EXPECT_FALSE(form.importRunning());
}

TEST(FormResize, FollowsTheOuterSizeWithFixedMargins) {
    const FormLayout layout = Form_Resize(WindowState::Normal, {9600, 9000}, FormLayout{});
    EXPECT_EQ(layout.list.left, 120);
    EXPECT_EQ(layout.list.top, 1260);
    EXPECT_EQ(layout.list.width, 9260);
    EXPECT_EQ(layout.list.height, 6620);
    EXPECT_EQ(layout.columnWidth, 8760);
    EXPECT_EQ(layout.progressBar.left, 140);
    EXPECT_EQ(layout.progressBar.top, 7970);
    EXPECT_EQ(layout.progressBar.width, 9220);
    EXPECT_EQ(layout.progressBar.height, 405);
}

TEST(FormResize, MinimisedKeepsEverythingAndRefusedSizesAreSkipped) {
    const FormLayout start = Form_Resize(WindowState::Normal, {9600, 9000}, FormLayout{});
    const FormLayout minimised = Form_Resize(WindowState::Minimized, {2400, 600}, start);
    EXPECT_EQ(minimised.list.height, 6620);
    EXPECT_EQ(minimised.progressBar.top, 7970);

    // Shorter than 2380 twips: the list keeps its height and the bar follows it.
    const FormLayout shortWindow = Form_Resize(WindowState::Normal, {9600, 2000}, start);
    EXPECT_EQ(shortWindow.list.height, 6620);
    EXPECT_EQ(shortWindow.progressBar.top, 7970);

    // Narrower than 340 twips: nothing derived from the width changes.
    const FormLayout narrow = Form_Resize(WindowState::Normal, {300, 9000}, start);
    EXPECT_EQ(narrow.list.width, 9260);
    EXPECT_EQ(narrow.columnWidth, 8760);
    // Narrow enough that only the column is refused.
    const FormLayout slim = Form_Resize(WindowState::Normal, {700, 9000}, start);
    EXPECT_EQ(slim.list.width, 360);
    EXPECT_EQ(slim.columnWidth, 8760);
    EXPECT_EQ(slim.progressBar.width, 320);
}

} // namespace
