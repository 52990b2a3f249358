#pragma once

#include <QString>
#include <optional>

class MainWindow;
struct HandlerContext;

// Finding text in the current card's note through the find row at the
// bottom of the window. Selecting a match edits nothing, so a note that
// could not be read (and takes no typing) is searched as well.
namespace FindInCard {

// Ctrl+F: shows the row, with the keyboard in its line edit and its text
// selected.
std::optional<QString> open(HandlerContext& ctx);

// Enter in the row, F3 (forward) or Shift+F3 (backward), also from the note:
// selects the next or previous match in the current card, round the note.
// "Nicht gefunden" in the row when it holds none; the row is shown then, so
// that the answer is seen. With nothing to find yet, opens the row.
std::optional<QString> step(HandlerContext& ctx, bool backward);

// Escape in the row: hides it and puts the keyboard into the current card's
// note, the match still selected.
std::optional<QString> close(HandlerContext& ctx);

// After the resize rule has sized the content boxes: keeps them clear of an
// open row.
void keepClear(MainWindow& window);

} // namespace FindInCard
