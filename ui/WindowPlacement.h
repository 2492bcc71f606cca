#pragma once

class QWidget;

// Where windows come up: centred on the main screen's free area.
namespace WindowPlacement {

// Moves the window's frame to the centre of the primary screen's available area.
void centre(QWidget *window);
// Centres the window, shows it and brings it to the front as the key window.
void showCentred(QWidget *window);

} // namespace WindowPlacement
