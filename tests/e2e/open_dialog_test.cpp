// Add File(s) through the real open dialog, filled in and confirmed the way a
// person types into it, then imported.

#include "import_fixture.h"
#include "support/desktop_input.h"

#include <commdlg.h>
#include <dlgs.h>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

constexpr wchar_t DialogTitle[] = L"Add File(s) - Hold Ctrl to select multiple files";

// The explorer-style dialog's file-name box: the edit inside its combo box
// (cmb13, a ComboBoxEx under Wine, so the edit sits two levels down), or a
// plain edit (edt1) in older templates.
HWND fileNameBox(HWND dialog) {
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(dialog, cmb13))
        EnumChildWindows(
            combo,
            [](HWND child, LPARAM found) -> BOOL {
                wchar_t name[16];
                if (GetClassNameW(child, name, 16) && lstrcmpiW(name, L"Edit") == 0) {
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&edit));
    return edit ? edit : GetDlgItem(dialog, edt1);
}

// Types `text` into the file-name box and presses Open. Returns once the
// dialog has handled it (it may have closed, or moved to another folder).
void typeAndOpen(HWND dialog, const std::wstring& text) {
    HWND box = fileNameBox(dialog);
    ASSERT_NE(box, nullptr) << "no file-name box in the open dialog";
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)), SMTO_NORMAL, 10000,
                        &ignored);
}

class OpenDialog : public ImportTest {
protected:
    HWND openDialog(Quorvane& app) {
        app.command(CommandId::AddFiles);
        return waitForProcessWindow(app.processId(), L"#32770", DialogTitle, 15s);
    }
};

TEST_F(OpenDialog, OneFileByFullPathThenSeveralByNameAreQueuedAndImportedInOrder) {
    const std::wstring single = makeContact(L"one\\Cid Smith.vcf");
    const std::wstring ann = makeContact(L"many\\Ann.vcf");
    const std::wstring bob = makeContact(L"many\\Bob Jones.vcf");
    makeContact(L"many\\Not chosen.vcf");
    Quorvane app;

    HWND dialog = openDialog(app);
    ASSERT_NE(dialog, nullptr) << "the open dialog did not appear";
    // The dialog comes up with its "Open as read-only" box ticked.
    EXPECT_EQ(SendDlgItemMessageW(dialog, chx1, BM_GETCHECK, 0, 0), BST_CHECKED);
    typeAndOpen(dialog, single);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10s));
    ASSERT_TRUE(waitUntil([&] { return app.rowCount() == 1; }, 10s));

    dialog = openDialog(app);
    ASSERT_NE(dialog, nullptr) << "the open dialog did not appear a second time";
    // A folder typed and confirmed opens that folder; the names then are its.
    typeAndOpen(dialog, folder + L"\\many");
    ASSERT_TRUE(IsWindow(dialog)) << "typing a folder closed the dialog";
    typeAndOpen(dialog, L"\"Bob Jones.vcf\" \"Ann.vcf\"");
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10s));
    ASSERT_TRUE(waitUntil([&] { return app.rowCount() == 3; }, 10s)) << app.rowCount();

    EXPECT_EQ(importAll(app), (std::vector<std::wstring>{single, bob, ann}));
}

TEST_F(OpenDialog, CancellingQueuesNothing) {
    Quorvane app;
    HWND dialog = openDialog(app);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10s));
    // A second command is only handled once the first has returned.
    EXPECT_EQ(showHelp(app).size(), 1u);
    EXPECT_EQ(app.rowCount(), 0);
}

} // namespace
