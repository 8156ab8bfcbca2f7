#include "app/skin.h"

#include "app/skin_reader.h"

#include <string>

namespace quorvane {

namespace {

void startUnskinned(MainWindowServices& window, const std::string& problem) {
    window.setBackgroundColour(DesignBackgroundColour);
    window.showMessage(problem + " Quorvane starts without the skin.", MessageStyle::Exclamation);
}

} // namespace

void ApplySkin(MainWindowServices& window, const SkinFiles& files) {
    const std::string path = files.programFolder() + std::string(SkinFileSuffix);
    // Hidden and system files count as absent: a skin can be switched off by
    // hiding it, without deleting it.
    if (!files.ordinaryFileExists(path))
        return;

    window.setBackgroundColour(ButtonFaceColour);
    const Outcome<std::string> text = files.readText(path);
    if (!text) {
        startUnskinned(window, "The skin file " + path +
                                   " could not be read: " + text.failure().description);
        return;
    }
    const SkinReading reading = ReadSkin(text.value());
    if (reading.fault) {
        startUnskinned(window, "The skin file " + path + " has a mistake on line " +
                                   std::to_string(reading.fault->line) + ": " +
                                   reading.fault->reason + ".");
        return;
    }
    window.applySkinStyle(reading.style);
}

} // namespace quorvane
