#pragma once

class MainWindow;

// The tab strip and the cards' content boxes follow the window's outer size;
// each width and height is set on its own and skipped when it fails.
namespace Resize {
void apply(MainWindow& window);
}
