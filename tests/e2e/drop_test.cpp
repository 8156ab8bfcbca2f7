// Files and folders dragged from another program onto the queue list through
// OLE, with the mouse moved by system input, then imported.

#include "import_fixture.h"
#include "support/child_process.h"
#include "support/drag_onto_list.h"

#include <algorithm>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

class Drop : public ImportTest {
protected:
    // Starts the drag source with `arguments` and drags from it onto the list.
    DragOutcome dragOntoList(Quorvane& app, const std::wstring& arguments) {
        const DragOutcome outcome =
            test::dragOntoList(app.window(), folder + L"\\drag-result.txt", arguments);
        EXPECT_EQ(outcome.problem, L"");
        return outcome;
    }
};

TEST_F(Drop, FilesAndAFolderInOneDragAreQueuedInOrderWithEveryFileBelowTheFolder) {
    const std::wstring first = makeContact(L"drag\\Ann.vcf");
    // Below the folder every file counts, whatever its extension, except the
    // "~" files Office leaves; a deeper folder follows its parent's files.
    const std::wstring inner1 = makeContact(L"drag\\group\\Bob.vcf");
    const std::wstring inner2 = makeContact(L"drag\\group\\notes.txt");
    makeContact(L"drag\\group\\~$lock.vcf");
    const std::wstring deeper = makeContact(L"drag\\group\\deeper\\Cid.vcf");
    const std::wstring last = makeContact(L"drag\\Dee.vcf");
    Quorvane app;

    const DragOutcome drag =
        dragOntoList(app, L"files " + quoted(first) + L" " + quoted(folder + L"\\drag\\group") +
                              L" " + quoted(last));
    EXPECT_EQ(drag.result, L"DROP");
    // The list took the drag while hovered (it answers with whatever the
    // source allows), and the drop ended as a copy, never a move: a file
    // manager would delete what it thinks moved.
    EXPECT_FALSE(drag.targetEffects.empty());
    EXPECT_EQ((L" " + drag.targetEffects + L" ").find(L" 0 "), std::wstring::npos)
        << drag.targetEffects;
    EXPECT_EQ(drag.effect, L"1");
    ASSERT_TRUE(waitUntil([&] { return app.rowCount() == 5; }, 15s)) << app.rowCount();

    const auto saved = importAll(app);
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved.front(), first);
    EXPECT_EQ(saved.back(), last);
    // The folder's own files come in listing order, which the disk decides.
    std::vector<std::wstring> own{saved[1], saved[2]};
    std::sort(own.begin(), own.end());
    EXPECT_EQ(own, (std::vector<std::wstring>{inner1, inner2}));
    EXPECT_EQ(saved[3], deeper);
}

TEST_F(Drop, TextIsRefusedWhileDraggedOverAndQueuesNothing) {
    Quorvane app;
    const DragOutcome drag = dragOntoList(app, L"text " + quoted(L"C:\\not\\a\\file.vcf"));
    EXPECT_NE(drag.result, L"");
    EXPECT_EQ(drag.effect, L"0");
    // The list answered, and only with "no drop".
    EXPECT_EQ(drag.targetEffects, L"0");
    // Nothing was handed over for the list to add, now or a little later.
    EXPECT_FALSE(waitUntil([&] { return app.rowCount() != 0; }, 1s));
}

} // namespace
