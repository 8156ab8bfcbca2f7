#pragma once
// Outlook's automation surface reached through COM, by ProgID and late-bound
// calls, so any Outlook version that registers "Outlook.Application" works.

#include "platform/outlook_automation.h"
#include "platform/win32/com_contact_properties.h"
#include "platform/win32/com_dispatch.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace quorvane::win32 {

class ComOutlookItem final : public ComContactProperties<OutlookItem> {
public:
    using ComContactProperties::ComContactProperties;
    Outcome<void> save() override;
};

class ComOutlookInspector final : public OutlookInspector {
public:
    explicit ComOutlookInspector(DispatchObject inspector) : inspector_(std::move(inspector)) {}
    Outcome<std::unique_ptr<OutlookItem>> currentItem() override;
    Outcome<void> close(CloseMode mode) override;

private:
    DispatchObject inspector_;
};

class ComOutlookInspectors final : public OutlookInspectors {
public:
    explicit ComOutlookInspectors(DispatchObject inspectors) : inspectors_(std::move(inspectors)) {}
    Outcome<std::int32_t> count() override;
    Outcome<std::unique_ptr<OutlookInspector>> item(std::int16_t position) override;

private:
    DispatchObject inspectors_;
};

class ComOutlookApplication final : public OutlookApplication {
public:
    explicit ComOutlookApplication(DispatchObject application)
        : application_(std::move(application)) {}
    Outcome<std::unique_ptr<OutlookInspectors>> inspectors() override;

private:
    DispatchObject application_;
};

// Needs COM initialised on the calling thread.
class ComOutlookAutomation final : public OutlookAutomation {
public:
    explicit ComOutlookAutomation(std::string progId = "Outlook.Application",
                                  std::chrono::milliseconds busyRetryWindow = BusyRetryWindow)
        : progId_(std::move(progId)), busyRetryWindow_(busyRetryWindow) {}

    // Creates the application object, or reaches the running one. A server
    // that is just shutting down can refuse the activation; that is retried
    // for about two seconds.
    Outcome<std::unique_ptr<OutlookApplication>> createApplication() override;

    // The application's session, for the import without windows. A machine
    // without an Outlook to drive is told apart from an Outlook that refused
    // (outlook_session_com.cpp).
    SessionOutcome createSession() override;

private:
    // Activation with the retry above; `refusal` gets the failing HRESULT.
    Outcome<DispatchObject> activate(HRESULT& refusal) const;

    std::string progId_;
    std::chrono::milliseconds busyRetryWindow_;
};

} // namespace quorvane::win32
