#pragma once
// The main form over a whole set of in-memory fakes, for tests that drive it
// the way the window does.

#include "app/main_form.h"
#include "fake_file_system.h"
#include "fake_system.h"
#include "fakes.h"
#include "icu_text_folding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

    IcuTextFolding folding;
    FakeRegionalSettings regional;
    FakeImportLock importLock;
    FakeSystemFacts systemFacts;

    PlatformServices platformServices() {
        return {settings, outlook,   shell,   dialogs,  clock,      files,
                storage,  codePages, folding, regional, importLock, systemFacts};
    }
};

// The fakes are made before the form, and go after it.
class FormTest : public ::testing::Test, protected FakePlatform {
protected:
    MainForm form{window, platformServices()};

    // The queue's rows, first to last.
    std::vector<std::string> rows() const {
        std::vector<std::string> all;
        for (std::size_t i = 1; i <= form.queue().count(); ++i)
            all.emplace_back(*form.queue().item(i));
        return all;
    }
    // Add Folder, with `chosen` picked in the folder dialog.
    void addFolder(std::string chosen) {
        dialogs.folder = std::move(chosen);
        form.AddFolder();
    }
};

} // namespace quorvane::testing
