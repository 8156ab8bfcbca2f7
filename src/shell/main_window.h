#pragma once
// The program's one window: the queue list, the progress bar and the command
// bar, with the program's logic (MainForm) behind it. A thin window procedure
// forwards each message to one handler.

#include "app/layout.h"
#include "app/main_form.h"
#include "platform/main_window_services.h"
#include "platform/win32/progress_bar.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/skin_files_win32.h"
#include "platform/win32/taskbar_progress.h"
#include "platform/win32/window_base.h"
#include "shell/command_bar.h"
#include "shell/drop_target.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

namespace quorvane::win32 {

class MainWindow final : public WindowBase, public MainWindowServices, private QueueObserver {
public:
    MainWindow(HINSTANCE instance, PlatformServices services, ItemWindowOptions runOptions = {});
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, runs the start-up steps and shows it. False when
    // there is no window, or none worth showing; the user has been told.
    bool create(int showCommand);
    MainForm& form() { return form_; }

    // RunWindow
    void setPointer(PointerKind kind) override;
    PointerKind pointer() const override { return pointer_; }
    void setProgressText(std::string_view text) override;
    void setProgressValue(double percent) override;
    void runEnded() override;
    bool askYesNo(std::string_view question) override;
    void showMessage(std::string_view text, MessageStyle style,
                     std::optional<std::string_view> title) override;
    YieldResult yield() override;
    YieldResult waitForEvents(std::chrono::milliseconds timeout) override;
    void sleepUntilEventOrWakeUp() override;
    void wakeUp() override;
    bool closing() const override { return closing_; }
    NativeWindow nativeHandle() const override;

    // MainWindowServices
    void applySkin() override;
    void setBackgroundColour(Colour colour) override;
    void applySkinStyle(const SkinStyle& style) override;
    TwipSize screenSize() const override;
    TwipRect outerBounds() const override;
    void moveLeft(float leftTwips) override;
    void moveTop(float topTwips) override;
    void setCaption(std::string_view caption) override;
    void showApplicationIcon() override;
    void addQueueColumn(std::string_view header) override;
    Outcome<CommandBarMade> createCommandBar() override;
    Outcome<void> acceptDroppedFiles() override;
    WindowState state() const override;

private:
    static LRESULT CALLBACK listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onHandlerFailure(const std::exception& error) override;

    bool onCreate();
    void onCommand(WPARAM wParam);
    LRESULT onNotify(const NMHDR& header);
    void onSize();
    void onClose();
    bool onSetCursor();
    void onDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT onCopyData(const COPYDATASTRUCT& data);
    void onListDisplayInfo(NMLVDISPINFOW& info);
    int onFindRow(const NMLVFINDITEMW& find) const;

    void queueChanged() override;
    void growthEnded() override;
    // The whole list, or only the rows added since the last refresh.
    enum class ListRedraw { Whole, NewRows };
    void refreshList(ListRedraw redraw);
    void progressChanged();
    void showProgress(); // what the bar has been handed since it was last shown
    void createFonts();
    void applyLayout(const FormLayout& layout);
    void applySkinFonts(); // the skin's fonts at the current DPI
    std::optional<std::size_t> selectedRow() const;
    unsigned dpi() const;
    void setPixelBounds(int left, int top);

    HINSTANCE instance_;
    // Set by the folder search's thread when it has rows for the window; made
    // before the logic whose thread sets it, and gone after it.
    ScopedHandle wakeEvent_;
    MainForm form_;
    HWND list_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND tooltip_ = nullptr;
    ProgressBar progressBar_;
    std::unique_ptr<ScopedDropTarget> dropTarget_;
    CommandBar commandBar_;
    TaskbarProgress taskbar_;
    Win32SkinFiles skinFiles_;
    std::optional<SkinStyle> skin_; // set once a skin has been applied
    ColourBrush background_;
    ScopedFont skinListFont_;
    ScopedFont skinProgressFont_;
    ScopedFont windowFont_;
    ScopedFont controlFont_;
    ScopedIcon bigIcon_;
    ScopedIcon smallIcon_;
    FormLayout layout_;
    PointerKind pointer_ = PointerKind::Arrow;
    bool closing_ = false;
    ULONGLONG listRefreshedAt_ = 0;  // GetTickCount64 at the list's last refresh
    bool listRefreshDue_ = false;    // its timer is set
    std::size_t queueCountSeen_ = 0; // the queue's length at its last change
    std::wstring displayText_;       // the row text handed to the list view last
    // The bar's text and value handed over since it was last shown.
    struct ProgressDue {
        std::optional<std::wstring> text;
        std::optional<double> percent;
        bool timerSet = false;
    };
    ProgressDue progressDue_;
    ULONGLONG progressShownAt_ = 0; // GetTickCount64 when the bar was last shown
};

} // namespace quorvane::win32
