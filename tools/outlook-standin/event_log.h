#pragma once
// The stand-in's record of what it was asked to do, for tests to compare.
// Each line is appended and the file closed at once, so a test can read the
// log while the server still runs. Where the lines go is read from the
// registry each time (see config.h); with no file configured nothing is kept.

#include <string_view>

namespace quorvane::standin {

void logEvent(std::string_view line);
// "<event> <path>", the form of every line that concerns one file.
void logEvent(std::string_view event, std::wstring_view path);
// Appends "<path>\t<contact name>\t<folder path>" to SavedFile: the
// contacts that reached "Outlook", with the name Outlook read from the file
// and the FolderPath of the folder that holds them now.
void recordSaved(std::wstring_view path, std::wstring_view contactName,
                 std::wstring_view folderPath);
// Appends "<path>\t<properties>" to ContactsFile: the card file a saved
// contact was made of (escaped as the values are: its backslashes doubled)
// and every property it
// holds, `properties` being its propertyLine (contact_properties.h):
//   C:\\cards\\ann.vcf<TAB>FullName=Ann Lee<TAB>HomeAddress=1 Main St\r\nSpringfield
void recordContact(std::wstring_view path, std::wstring_view properties);

} // namespace quorvane::standin
