#pragma once

class QWidget;

// Ending the edit in progress before a window changes its content view. An edit that
// cannot end (a field holding text its validator refuses) keeps the focus, the window
// beeps and the change does not happen.
class FirstResponder
{
public:
    // True when the window could take the focus back from the field being edited.
    static bool makeWindowFirstResponder(QWidget *window);
};
