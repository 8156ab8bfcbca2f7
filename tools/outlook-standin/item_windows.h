#pragma once
// The visible windows the stand-in opens for a /v request, one per
// "inspector". They are real top-level windows so that a test (and a person
// watching the virtual desktop) sees them come and go.

#include "server_state.h"

namespace quorvane::standin {

void registerItemWindowClass(HINSTANCE instance);
// Opens one window captioned "<file name> - Contact" and counts it among the
// inspectors until it is destroyed (by Close or by the user).
void openItemWindow(ServerState& state, HINSTANCE instance, const PendingOpen& request);

} // namespace quorvane::standin
