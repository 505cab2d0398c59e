#pragma once

class QWidget;

namespace moravel {

// Places a top-level window in the middle of the available area of its screen, whatever
// window it belongs to (the main window may be hidden in the tray).
void centreOnScreen(QWidget& window);

} // namespace moravel
