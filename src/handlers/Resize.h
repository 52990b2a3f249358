#pragma once

class MainWindow;

// The tab strip and the three content boxes follow the window's outer size;
// each of the eight sizes is set on its own and skipped when it fails.
namespace Resize {
void apply(MainWindow& window);
}
