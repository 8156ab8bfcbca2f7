#include "platform/win32/outlook_com.h"

#include "platform/win32/wide_text.h"

#include <utility>

namespace quorvane::win32 {

using Microsoft::WRL::ComPtr;

namespace {

constexpr std::chrono::milliseconds ActivationRetryPause{250};
constexpr std::chrono::milliseconds ActivationRetryWindow{2'000};

// What an activation gets when it reaches a server on its way out, or the
// remains of one that crashed; the next activation starts a fresh one.
bool isServerQuitting(HRESULT result) {
    return result == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF) ||
           result == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) || result == E_FAIL;
}

} // namespace

Outcome<void> ComOutlookItem::save() {
    return discardResult(item_.call("Save"));
}

Outcome<std::unique_ptr<OutlookItem>> ComOutlookInspector::currentItem() {
    Outcome<DispatchObject> item = inspector_.getObject("CurrentItem");
    if (!item)
        return item.failure();
    return std::unique_ptr<OutlookItem>(std::make_unique<ComOutlookItem>(std::move(*item)));
}

// Outlook's Close takes the mode as a 16-bit integer.
Outcome<void> ComOutlookInspector::close(CloseMode mode) {
    return discardResult(inspector_.call("Close", static_cast<std::int16_t>(mode)));
}

Outcome<std::int32_t> ComOutlookInspectors::count() {
    return inspectors_.getInt32("Count");
}

Outcome<std::unique_ptr<OutlookInspector>> ComOutlookInspectors::item(std::int16_t position) {
    Outcome<DispatchObject> inspector = inspectors_.callObject("Item", position);
    if (!inspector)
        return inspector.failure();
    return std::unique_ptr<OutlookInspector>(
        std::make_unique<ComOutlookInspector>(std::move(*inspector)));
}

Outcome<std::unique_ptr<OutlookInspectors>> ComOutlookApplication::inspectors() {
    Outcome<DispatchObject> inspectors = application_.getObject("Inspectors");
    if (!inspectors)
        return inspectors.failure();
    return std::unique_ptr<OutlookInspectors>(
        std::make_unique<ComOutlookInspectors>(std::move(*inspectors)));
}

Outcome<DispatchObject> ComOutlookAutomation::activate(HRESULT& refusal) const {
    CLSID classId{};
    HRESULT result = CLSIDFromProgID(toWide(progId_).c_str(), &classId);
    if (FAILED(result)) {
        refusal = result;
        return Failure{systemMessage(static_cast<unsigned long>(result))};
    }

    ComPtr<IDispatch> application;
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        result = CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_PPV_ARGS(application.ReleaseAndGetAddressOf()));
        if (SUCCEEDED(result) || !isServerQuitting(result))
            break;
        if (std::chrono::steady_clock::now() - started + ActivationRetryPause >
            ActivationRetryWindow)
            break;
        waitKeepingWindowsPainted(ActivationRetryPause);
    }
    if (FAILED(result)) {
        refusal = result;
        return Failure{systemMessage(static_cast<unsigned long>(result))};
    }
    return DispatchObject(std::move(application), busyRetryWindow_);
}

Outcome<std::unique_ptr<OutlookApplication>> ComOutlookAutomation::createApplication() {
    HRESULT refusal = S_OK;
    Outcome<DispatchObject> application = activate(refusal);
    if (!application)
        return application.failure();
    return std::unique_ptr<OutlookApplication>(
        std::make_unique<ComOutlookApplication>(std::move(*application)));
}

} // namespace quorvane::win32
