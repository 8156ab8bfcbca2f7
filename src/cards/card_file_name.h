#pragma once
// The name a card gets as a file of its own, so that Outlook can be handed
// one card at a time and the user can tell the files apart.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

// How many characters of a display name a card's file name keeps: enough to
// tell people apart, short enough that deep folders stay under MAX_PATH.
inline constexpr std::size_t CardFileNameCharacters = 60;

// `displayName` made safe as (part of) a Windows file name: the characters
// Windows forbids (\ / : * ? " < > | and controls) become "_", runs of dots
// become one, blanks and dots at either end go, a device name ("CON", "nul",
// "COM1", "LPT3.txt"...) gets a "_" in front, and at most
// CardFileNameCharacters characters stay, never cut inside a UTF-8 sequence
// (malformed UTF-8 shows as U+FFFD). May be empty.
std::string SafeFileNamePart(std::string_view displayName);

// "0007 Jane Doe.vcf": `number` with at least four digits, then the safe part
// of `displayName` when one is left.
std::string CardFileName(std::size_t number, std::string_view displayName);

} // namespace quorvane
