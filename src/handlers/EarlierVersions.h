#pragma once

#include <QString>
#include <optional>

class VersionsWindow;
struct HandlerContext;

// The window of earlier versions ("Frühere Fassungen"), opened from the tray
// menu or with Ctrl+H: a card's kept versions, a preview of the chosen one,
// and "Wiederherstellen", which puts it back into the card as if typed, after
// keeping what it replaces so that the restore can itself be undone. Each
// function shows its failure in the window and returns it for the reporter.
namespace EarlierVersions {

// Fills the window for the main window's current card and brings it to the
// front; a second open fills it again.
std::optional<QString> open(HandlerContext& ctx, VersionsWindow& view);

// The card chosen in the window: its versions, the newest one previewed.
std::optional<QString> cardChosen(HandlerContext& ctx, VersionsWindow& view);

// "Notiz" or "Überschrift" chosen: the card's note or title versions.
std::optional<QString> kindChosen(HandlerContext& ctx, VersionsWindow& view);

// The version chosen in the list: its text in the preview. One no longer
// kept says so and cannot be restored.
std::optional<QString> versionChosen(HandlerContext& ctx, VersionsWindow& view);

// "Wiederherstellen": stops at the first failure, leaving the card as it
// was. The card's note must be loaded and the version still kept; the box's
// text is kept as a version; then the box gets the version's text as a
// typed edit (saved by autosave, winning over another program's change),
// the main window turns to the card and the list is read again. A title
// version is stored as "OK" stores a title (store, tab, title box, panel
// hidden), after the title it replaces is kept as a version.
std::optional<QString> restoreVersion(HandlerContext& ctx, VersionsWindow& view);

} // namespace EarlierVersions
