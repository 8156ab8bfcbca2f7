#pragma once
// The main form over a whole set of in-memory fakes, for tests that drive it
// the way the window does.

#include "app/main_form.h"
#include "fake_file_system.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace quorvane::testing {

struct FakePlatform {
    ManualClock clock;
    FakeWindow window{&clock};
    FakeSettings settings;
    FakeOutlook outlook;
    FakeShell shell{outlook};
    FakeDialogs dialogs;
    FakeFileSystem files;
    FakeRunStorage storage;
    FakeCodePages codePages;

    FormServices formServices() {
        return {window, settings, outlook, shell, dialogs, clock, files, storage, codePages};
    }
};

// The fakes are made before the form, and go after it.
class FormTest : public ::testing::Test, protected FakePlatform {
protected:
    MainForm form{formServices()};
};

} // namespace quorvane::testing
