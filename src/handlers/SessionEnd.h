#pragma once

struct HandlerContext;

// The user's session ends (logout, shutdown, SIGTERM, SIGINT, SIGHUP, or the
// event loop ending for any other reason).
namespace SessionEnd {

// Saves what the close request saves, trying again for a short while when
// the store refuses; what still cannot be saved is written to rescue files,
// and the user is told where. False when anything could not be saved.
bool save(HandlerContext& ctx);

} // namespace SessionEnd
