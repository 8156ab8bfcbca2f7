// Files and folders dragged from another program onto the queue list through
// OLE, with the mouse moved by system input, then imported.

#include "child_process.h"
#include "desktop_input.h"
#include "import_fixture.h"

#include <algorithm>

using namespace quorvane::e2e;
using namespace std::chrono_literals;

namespace {

constexpr wchar_t DragSourceProgram[] = L"quorvane_drag_source.exe";
constexpr wchar_t DragSourceClass[] = L"QuorvaneTestDragSource";

struct DragOutcome {
    std::wstring result;        // DROP or CANCEL
    std::wstring effect;        // what DoDragDrop reported at the end
    std::wstring targetEffects; // what the list answered while the pointer was over it
};

class Drop : public ImportTest {
protected:
    // Starts the drag source with `arguments` and drags from it onto the list.
    DragOutcome dragOntoList(Quorvane& app, const std::wstring& arguments) {
        const std::wstring resultFile = folder + L"\\drag-result.txt";
        DeleteFileW(resultFile.c_str());
        ChildProcess source(DragSourceProgram, quoted(resultFile) + L" " + arguments);
        HWND sourceWindow =
            waitForProcessWindow(source.processId(), DragSourceClass, L"Drag source", 15s);
        EXPECT_NE(sourceWindow, nullptr) << "the drag source showed no window";
        if (!sourceWindow)
            return {};
        HWND list = FindWindowExW(app.window(), nullptr, L"SysListView32", nullptr);
        const bool dragged = dragPointer(windowCentre(sourceWindow), windowCentre(list), [&] {
            wchar_t title[32] = L"";
            GetWindowTextW(sourceWindow, title, 32);
            return std::wstring(title) == L"Dragging";
        });
        EXPECT_TRUE(dragged) << "pressing the button on the drag source began no drag";
        EXPECT_TRUE(source.waitForExit(15s)) << "the drag did not end";
        DragOutcome outcome;
        for (const std::wstring& line : readLines(resultFile)) {
            const std::size_t space = line.find(L' ');
            const std::wstring key = line.substr(0, space);
            const std::wstring value = space == std::wstring::npos ? L"" : line.substr(space + 1);
            if (key == L"result")
                outcome.result = value;
            else if (key == L"effect")
                outcome.effect = value;
            else if (key == L"target")
                outcome.targetEffects = value;
        }
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

    const DragOutcome drag = dragOntoList(app, L"files " + quoted(first) + L" " +
                                                   quoted(folder + L"\\drag\\group") + L" " +
                                                   quoted(last));
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
