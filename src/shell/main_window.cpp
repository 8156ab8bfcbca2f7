#include "shell/main_window.h"

#include "app/commands.h"
#include "platform/win32/automation_messages.h"
#include "platform/win32/dpi.h"
#include "platform/win32/wide_text.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <utility>

namespace quorvane::win32 {

namespace {

constexpr int ListId = 100;
constexpr UINT_PTR ListSubclass = 1;
constexpr int ProgressId = 101;
constexpr int ToolbarId = 102;
constexpr int ApplicationIconId = 1;

// A growing queue is shown at most this often. Setting the list's row count
// costs about 12 ms under Wine (the scroll bar is redrawn at once) and the
// repaint as much again; refreshed at every append, a million rows in the
// thousand-row batches a folder search makes took 18 s instead of 0.3 s.
// Five refreshes a second still read as a live count.
constexpr UINT ListGrowthRefreshMs = 200;
constexpr UINT_PTR ListRefreshTimerId = 1;

// A run without windows hands the bar a new text and value for every
// contact, hundreds a second when Outlook is quick. Each repaint costs a
// dozen round trips to Wine's server (and on Windows a redraw the eye cannot
// follow); twenty a second read as smooth. The bar is only invalidated, never
// painted on the spot: the paint comes in the wait for Outlook's next answer,
// where it costs the run nothing.
constexpr UINT ProgressRefreshMs = 50;
constexpr UINT_PTR ProgressRefreshTimerId = 2;

constexpr wchar_t ListTooltip[] = L"Drag and drop files here. Double-click item to remove it.";

// Letter case aside, the way the system compares text a person reads (what
// lstrcmpi does), so type-ahead agrees with every other Windows list.
bool equalIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                           static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                           nullptr, nullptr, 0) == CSTR_EQUAL;
}

bool startsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Without a window there is nothing to own the box.
void reportNoWindow() {
    MessageBoxW(nullptr, L"Quorvane could not create its window.", L"Quorvane",
                MB_OK | MB_ICONERROR);
}

UINT messageBoxFlags(MessageStyle style) {
    switch (style) {
    case MessageStyle::Plain:
        return MB_OK;
    case MessageStyle::Exclamation:
        return MB_OK | MB_ICONEXCLAMATION;
    }
    return MB_OK; // no other style exists; the switch names every one
}

const wchar_t* cursorFor(PointerKind kind) {
    switch (kind) {
    case PointerKind::Arrow:
        return IDC_ARROW;
    case PointerKind::Hourglass:
        return IDC_WAIT;
    }
    return IDC_ARROW;
}

} // namespace

MainWindow::MainWindow(HINSTANCE instance, PlatformServices services, ItemWindowOptions runOptions)
    : instance_(instance), wakeEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      form_(*this, services, runOptions) {
    form_.queue().setObserver(this);
}

MainWindow::~MainWindow() {
    form_.endFolderSearches();
    dropTarget_.reset(); // revoked while the list still exists
    form_.queue().setObserver(nullptr);
    if (handle())
        DestroyWindow(handle());
}

bool MainWindow::create(int showCommand) {
    // No class pointer: the pointer is chosen in WM_SETCURSOR.
    WNDCLASSEXW mainClass = windowClass(instance_, MainWindowClassName);
    mainClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (!registerWindowClass(mainClass)) {
        reportNoWindow();
        return false;
    }

    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    if (!createWindow({.exStyle = WS_EX_APPWINDOW,
                       .className = MainWindowClassName,
                       .style = style,
                       .x = CW_USEDEFAULT,
                       .y = CW_USEDEFAULT,
                       .width = 640,
                       .height = 480,
                       .instance = instance_})) {
        reportNoWindow();
        return false;
    }

    // The design size is a client size; the frame around it depends on the
    // DPI the window was created at.
    RECT frame{0, 0, twipsToPixels(DesignClientSize.width, dpi()),
               twipsToPixels(DesignClientSize.height, dpi())};
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_APPWINDOW, dpi());
    SetWindowPos(handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);

    if (!form_.Form_Load())
        return false;
    ShowWindow(handle(), showCommand);
    UpdateWindow(handle());
    return true;
}

// --- window procedure ------------------------------------------------------

// The program goes on with its queue intact.
void MainWindow::onHandlerFailure(const std::exception& error) {
    showMessage(error.what(), MessageStyle::Exclamation, std::nullopt);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate() ? 0 : -1;
    case WM_COMMAND:
        onCommand(wParam);
        return 0;
    case WM_NOTIFY:
        return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SIZE:
        onSize();
        return 0;
    case WM_SETCURSOR:
        if (onSetCursor())
            return TRUE;
        break;
    case WM_MOUSEMOVE:
        form_.Form_MouseMove();
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_ENDSESSION:
        // Log off or shut down: the last message before the process is ended,
        // so the placement is stored here as at any other exit.
        if (wParam)
            onClose();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COPYDATA:
        return onCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        if (wParam == ListRefreshTimerId)
            refreshList(ListRedraw::NewRows);
        else if (wParam == ProgressRefreshTimerId)
            showProgress();
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<MainWindow*>(data);
    switch (message) {
    case WM_MOUSEMOVE:
        // The list's twin of the window's own pointer rule.
        self->form_.Form_MouseMove();
        break;
    case WM_SYSKEYDOWN:
        // With Alt held a key arrives as a system key, which the list never
        // reports as LVN_KEYDOWN; Delete removes the row all the same. The
        // key still goes on, so the system knows Alt was not pressed alone
        // and opens no window menu when it is let go.
        if (wParam == VK_DELETE)
            self->form_.removeSelectedRow(self->selectedRow());
        break;
    case WM_NCDESTROY:
        // The list's last message: the subclass goes with it, so no message
        // of a later window reaches this one.
        RemoveWindowSubclass(window, listProc, ListSubclass);
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// --- handlers --------------------------------------------------------------

bool MainWindow::onCreate() {
    createFonts();
    SendMessageW(handle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);

    // A virtual list: its rows are drawn straight from the queue, which stays
    // the one store even with a million rows.
    list_ =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                            LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                        0, 0, 0, 0, handle(), reinterpret_cast<HMENU>(ListId), instance_, nullptr);
    if (!list_)
        return false;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont_.get()), FALSE);
    SetWindowSubclass(list_, listProc, ListSubclass, reinterpret_cast<DWORD_PTR>(this));

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                               nullptr, instance_, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle();
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = const_cast<wchar_t*>(ListTooltip);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    if (!progressBar_.create(handle(), ProgressId, instance_))
        return false;
    progressBar_.setFont(controlFont_.get());
    applyLayout(layout_);
    return true;
}

void MainWindow::onCommand(WPARAM wParam) {
    // Buttons and programs sending the command IDs; control notifications
    // (a non-zero code) are not commands.
    if (HIWORD(wParam) != 0)
        return;
    form_.CommandBars_Execute(LOWORD(wParam));
}

LRESULT MainWindow::onNotify(const NMHDR& header) {
    if (header.hwndFrom != list_)
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        onListDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return 0;
    case LVN_ODFINDITEMW:
        return onFindRow(*reinterpret_cast<const NMLVFINDITEMW*>(&header));
    case LVN_KEYDOWN:
        // Delete removes the selected row whatever Shift or Ctrl say (Alt: listProc).
        if (reinterpret_cast<const NMLVKEYDOWN*>(&header)->wVKey == VK_DELETE)
            form_.removeSelectedRow(selectedRow());
        return 0;
    case NM_DBLCLK:
        form_.removeSelectedRow(selectedRow());
        return 0;
    }
    return 0;
}

void MainWindow::onListDisplayInfo(NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT))
        return;
    const auto row = form_.queue().item(static_cast<std::size_t>(info.item.iItem) + 1);
    displayText_ = row ? toWide(*row) : std::wstring();
    // The list reads the text before it asks again, so one buffer serves.
    info.item.pszText = displayText_.data();
}

// Type-ahead: the list asks which row starts with the letters typed so far,
// from the row after the current one. Unanswered, it would take row 1, and a
// Delete pressed next would remove that row instead of the one typed.
int MainWindow::onFindRow(const NMLVFINDITEMW& find) const {
    const LVFINDINFOW& wanted = find.lvfi;
    // A partial search is a text search too; nothing else (item data, nearest
    // position) means anything for rows that are only text.
    if (!(wanted.flags & (LVFI_STRING | LVFI_PARTIAL)) || !wanted.psz)
        return -1;
    const std::wstring_view typed(wanted.psz);
    const bool prefix = (wanted.flags & LVFI_PARTIAL) != 0;
    const ImportQueue& queue = form_.queue();
    const std::size_t count = queue.count();
    // Past the last row (or before the first) the search starts at the first.
    const auto from = static_cast<std::size_t>(std::max(find.iStart, 0));
    const std::size_t start = from < count ? from : 0;
    const std::size_t looked = (wanted.flags & LVFI_WRAP) ? count : count - start;
    for (std::size_t step = 0; step < looked; ++step) {
        const std::size_t row = (start + step) % count;
        const std::wstring text = toWide(*queue.item(row + 1));
        if (prefix ? startsWithIgnoringCase(text, typed) : equalIgnoringCase(text, typed))
            return static_cast<int>(row);
    }
    return -1;
}

void MainWindow::onSize() {
    RECT bounds;
    GetWindowRect(handle(), &bounds);
    const TwipSize outer{pixelsToTwips(bounds.right - bounds.left, dpi()),
                         pixelsToTwips(bounds.bottom - bounds.top, dpi())};
    const FormLayout next = Form_Resize(state(), outer, layout_);
    if (state() != WindowState::Minimized)
        applyLayout(next);
}

void MainWindow::onClose() {
    if (closing_)
        return;
    form_.Form_Unload();
    closing_ = true;
    // The window is destroyed once control is back in the main loop, so a
    // run or search that is yielding can unwind first and release Outlook.
    ShowWindow(handle(), SW_HIDE);
    PostQuitMessage(0);
}

bool MainWindow::onSetCursor() {
    POINT cursor;
    GetCursorPos(&cursor);
    RECT client;
    GetClientRect(handle(), &client);
    MapWindowPoints(handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!PtInRect(&client, cursor))
        return false;
    SetCursor(LoadCursorW(nullptr, cursorFor(pointer_)));
    return true;
}

void MainWindow::onDpiChanged(UINT newDpi, const RECT& suggested) {
    createFonts();
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont_.get()), FALSE);
    progressBar_.setFont(controlFont_.get());
    commandBar_.setDpi(newDpi);
    if (skin_)
        applySkinFonts();
    SetWindowPos(handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    applyLayout(layout_);
}

LRESULT MainWindow::onCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != CopyDataAppendRows || data.cbData % sizeof(wchar_t) != 0)
        return FALSE;
    const std::wstring_view block(static_cast<const wchar_t*>(data.lpData),
                                  data.cbData / sizeof(wchar_t));
    std::vector<std::string> rows;
    std::size_t from = 0;
    while (from < block.size()) {
        std::size_t end = block.find(L'\0', from);
        if (end == std::wstring_view::npos)
            end = block.size();
        rows.push_back(toUtf8(block.substr(from, end - from)));
        from = end + 1;
    }
    form_.queue().addMany(std::move(rows));
    return TRUE;
}

// --- services for the logic ------------------------------------------------

void MainWindow::setPointer(PointerKind kind) {
    pointer_ = kind;
    POINT cursor;
    GetCursorPos(&cursor);
    if (WindowFromPoint(cursor) == handle() || IsChild(handle(), WindowFromPoint(cursor)))
        SetCursor(LoadCursorW(nullptr, cursorFor(kind)));
}

void MainWindow::setProgressText(std::string_view text) {
    progressDue_.text = toWide(text);
    progressChanged();
}

void MainWindow::setProgressValue(double percent) {
    progressDue_.percent = percent;
    progressChanged();
}

// Shown at once after a pause, or while the last change is still to be
// painted; else when the refresh period is over: the latest text and value,
// whatever came between.
void MainWindow::progressChanged() {
    const ULONGLONG sinceShown = GetTickCount64() - progressShownAt_;
    if (sinceShown >= ProgressRefreshMs || progressBar_.paintDue()) {
        showProgress();
        return;
    }
    if (progressDue_.timerSet)
        return;
    progressDue_.timerSet = true;
    SetTimer(handle(), ProgressRefreshTimerId, static_cast<UINT>(ProgressRefreshMs - sinceShown),
             nullptr);
}

void MainWindow::showProgress() {
    if (progressDue_.timerSet)
        KillTimer(handle(), ProgressRefreshTimerId);
    ProgressDue due = std::exchange(progressDue_, {});
    if (!due.text && !due.percent)
        return;
    progressShownAt_ = GetTickCount64();
    if (due.text)
        progressBar_.setText(*due.text);
    if (due.percent) {
        taskbar_.attach(handle());
        taskbar_.show(*due.percent);
        progressBar_.setValue(*due.percent);
    }
}

void MainWindow::runEnded() {
    showProgress();
    taskbar_.clear();
}

void MainWindow::showMessage(std::string_view text, MessageStyle style,
                             std::optional<std::string_view> title) {
    // The box is read against the bar as it stands.
    showProgress();
    const std::wstring caption = toWide(title.value_or(ApplicationTitle));
    MessageBoxW(handle(), toWide(text).c_str(), caption.c_str(), messageBoxFlags(style));
}

bool MainWindow::askYesNo(std::string_view question) {
    showProgress();
    const std::wstring caption = toWide(ApplicationTitle);
    return MessageBoxW(handle(), toWide(question).c_str(), caption.c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

YieldResult MainWindow::yield() {
    MSG message;
    while (!closing_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The outer loop must see it too.
            closing_ = true;
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return closing_ ? YieldResult::WindowClosing : YieldResult::KeepGoing;
}

YieldResult MainWindow::waitForEvents(std::chrono::milliseconds timeout) {
    if (closing_)
        return YieldResult::WindowClosing;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeout.count()), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    return yield();
}

// A folder search waits here while its thread walks, and the walk waits in
// turn while the window handles what it handed over. So the list's refresh,
// the costliest thing the window does while rows pour in, is made here, on
// the way to sleep, where it costs the walk nothing; left to its timer it
// tended to fall due while the walk was waiting.
void MainWindow::sleepUntilEventOrWakeUp() {
    if (closing_)
        return;
    DWORD timeout = INFINITE;
    if (listRefreshDue_) {
        const ULONGLONG sinceRefresh = GetTickCount64() - listRefreshedAt_;
        if (sinceRefresh >= ListGrowthRefreshMs)
            refreshList(ListRedraw::NewRows);
        else
            timeout = static_cast<DWORD>(ListGrowthRefreshMs - sinceRefresh);
    }
    if (!wakeEvent_) {
        // No event to wake on: look again every few milliseconds instead.
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(timeout, 5), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        return;
    }
    HANDLE wake = wakeEvent_.get();
    MsgWaitForMultipleObjectsEx(1, &wake, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void MainWindow::wakeUp() {
    SetEvent(wakeEvent_.get());
}

NativeWindow MainWindow::nativeHandle() const {
    return static_cast<NativeWindow>(reinterpret_cast<std::uintptr_t>(handle()));
}

TwipSize MainWindow::screenSize() const {
    return {pixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi()),
            pixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi())};
}

TwipRect MainWindow::outerBounds() const {
    RECT bounds;
    GetWindowRect(handle(), &bounds);
    return {pixelsToTwips(bounds.left, dpi()), pixelsToTwips(bounds.top, dpi()),
            pixelsToTwips(bounds.right - bounds.left, dpi()),
            pixelsToTwips(bounds.bottom - bounds.top, dpi())};
}

void MainWindow::setPixelBounds(int left, int top) {
    SetWindowPos(handle(), nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void MainWindow::moveLeft(float leftTwips) {
    RECT bounds;
    GetWindowRect(handle(), &bounds);
    setPixelBounds(twipsToPixels(leftTwips, dpi()), bounds.top);
}

void MainWindow::moveTop(float topTwips) {
    RECT bounds;
    GetWindowRect(handle(), &bounds);
    setPixelBounds(bounds.left, twipsToPixels(topTwips, dpi()));
}

void MainWindow::setCaption(std::string_view caption) {
    SetWindowTextW(handle(), toWide(caption).c_str());
}

void MainWindow::showApplicationIcon() {
    const auto load = [&](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(ApplicationIconId),
                                             IMAGE_ICON, GetSystemMetricsForDpi(metricX, dpi()),
                                             GetSystemMetricsForDpi(metricY, dpi()), 0));
    };
    bigIcon_.reset(load(SM_CXICON, SM_CYICON));
    smallIcon_.reset(load(SM_CXSMICON, SM_CYSMICON));
    SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void MainWindow::addQueueColumn(std::string_view header) {
    std::wstring text = toWide(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = twipsToPixels(layout_.columnWidth > 0 ? layout_.columnWidth : 1440, dpi());
    ListView_InsertColumn(list_, 0, &column);
}

Outcome<CommandBarMade> MainWindow::createCommandBar() {
    toolbar_ = commandBar_.create(handle(), ToolbarId, instance_, dpi());
    if (!toolbar_) {
        const DWORD error = GetLastError();
        return Failure{error ? systemMessage(error) : "Windows refused to make it."};
    }
    CommandBarMade made;
    if (const auto& pictures = commandBar_.pictureFailure())
        made.missingPictures = Failure{pictures->description};
    return made;
}

Outcome<void> MainWindow::acceptDroppedFiles() {
    // The drop target hands the paths over from the message loop, after the
    // drag source has finished, so the folder search may yield freely.
    dropTarget_ = std::make_unique<ScopedDropTarget>(list_, [this](std::vector<std::string> paths) {
        if (!closing_)
            form_.ListView1_OLEDragDrop(paths);
    });
    return dropTarget_->registration();
}

WindowState MainWindow::state() const {
    if (IsIconic(handle()))
        return WindowState::Minimized;
    if (IsZoomed(handle()))
        return WindowState::Maximized;
    return WindowState::Normal;
}

// --- helpers ---------------------------------------------------------------

// Rows that went away are taken off the list at once, so it never offers a
// row to select that the queue no longer has, nor shows one where another
// now stands. New rows wait for the next refresh when one was made lately;
// meanwhile the list simply shows fewer.
void MainWindow::queueChanged() {
    if (!list_)
        return;
    const std::size_t count = form_.queue().count();
    const bool removed = count < queueCountSeen_;
    queueCountSeen_ = count;
    const ULONGLONG sinceRefresh = GetTickCount64() - listRefreshedAt_;
    if (removed) {
        refreshList(ListRedraw::Whole);
        return;
    }
    if (sinceRefresh >= ListGrowthRefreshMs) {
        refreshList(ListRedraw::NewRows);
        return;
    }
    if (listRefreshDue_)
        return;
    listRefreshDue_ = true;
    SetTimer(handle(), ListRefreshTimerId, static_cast<UINT>(ListGrowthRefreshMs - sinceRefresh),
             nullptr);
}

// A search has queued its last row: the list shows it now rather than at its
// next refresh, which could be most of a refresh period away.
void MainWindow::growthEnded() {
    if (listRefreshDue_)
        refreshList(ListRedraw::NewRows);
}

void MainWindow::refreshList(ListRedraw redraw) {
    if (listRefreshDue_)
        KillTimer(handle(), ListRefreshTimerId);
    listRefreshDue_ = false;
    listRefreshedAt_ = GetTickCount64();
    const int count = static_cast<int>(form_.queue().count());
    // After mere growth every row the list shows is still what it was: the
    // list draws the new rows that come into view and leaves the rest.
    // Repainting it all at every refresh cost a search of a big folder as
    // much again as the count itself.
    if (redraw == ListRedraw::NewRows) {
        ListView_SetItemCountEx(list_, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        return;
    }
    ListView_SetItemCountEx(list_, count, LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
}

void MainWindow::createFonts() {
    LOGFONTW font{};
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfHeight = fontHeightForPoints(9, dpi());
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    windowFont_.reset(CreateFontIndirectW(&font));
    font.lfHeight = fontHeightForPoints(11.25, dpi());
    lstrcpynW(font.lfFaceName, L"Calibri", LF_FACESIZE);
    controlFont_.reset(CreateFontIndirectW(&font));
}

void MainWindow::applyLayout(const FormLayout& layout) {
    layout_ = layout;
    const unsigned d = dpi();
    const auto px = [d](float twips) { return twipsToPixels(twips, d); };
    MoveWindow(list_, px(layout.list.left), px(layout.list.top), px(layout.list.width),
               px(layout.list.height), TRUE);
    if (layout.columnWidth > 0)
        ListView_SetColumnWidth(list_, 0, px(layout.columnWidth));
    MoveWindow(progressBar_.handle(), px(layout.progressBar.left), px(layout.progressBar.top),
               px(layout.progressBar.width), px(layout.progressBar.height), TRUE);
    if (toolbar_)
        SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

std::optional<std::size_t> MainWindow::selectedRow() const {
    const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (index < 0)
        return std::nullopt;
    return static_cast<std::size_t>(index) + 1;
}

unsigned MainWindow::dpi() const {
    const UINT windowDpi = handle() ? GetDpiForWindow(handle()) : 0;
    return windowDpi ? windowDpi : DefaultDpi;
}

} // namespace quorvane::win32
