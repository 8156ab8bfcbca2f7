#pragma once
// What the import run needs of Outlook's automation surface. Each object is
// one reference held by the run for one file; destroying it releases the
// reference. Every member reads Outlook afresh: nothing is cached here.

#include "base/outcome.h"
#include "platform/outlook_session.h"

#include <cstdint>
#include <memory>

namespace quorvane {

// What closing an item window does with unsaved changes (Outlook's
// OlInspectorClose).
enum class CloseMode : std::int16_t { Save = 0, Discard = 1, PromptForSave = 2 };

class OutlookItem : public OutlookContactProperties {
public:
    // Stores the item in Outlook.
    virtual Outcome<void> save() = 0;
};

// One open item window (an Outlook inspector).
class OutlookInspector {
public:
    virtual ~OutlookInspector() = default;
    // The item the window shows.
    virtual Outcome<std::unique_ptr<OutlookItem>> currentItem() = 0;
    virtual Outcome<void> close(CloseMode mode) = 0;
};

// The live collection of Outlook's open item windows: windows that open after
// it was obtained are counted too.
class OutlookInspectors {
public:
    virtual ~OutlookInspectors() = default;
    virtual Outcome<std::int32_t> count() = 0;
    // The position is passed as a 16-bit integer, 1-based.
    virtual Outcome<std::unique_ptr<OutlookInspector>> item(std::int16_t position) = 0;
};

class OutlookApplication {
public:
    virtual ~OutlookApplication() = default;
    virtual Outcome<std::unique_ptr<OutlookInspectors>> inspectors() = 0;
};

// Creates (or reaches the running) "Outlook.Application". The same Outlook
// serves the import without windows through its session.
class OutlookAutomation : public OutlookSessions {
public:
    virtual Outcome<std::unique_ptr<OutlookApplication>> createApplication() = 0;
};

} // namespace quorvane
