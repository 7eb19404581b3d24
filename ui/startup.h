// ui/startup.h — creating and releasing the five windows of the program (ui layer)
#pragma once

namespace velmora {

// Creates, in this order, the main window (which sets the defaults in its creation handler),
// the chart window, the About box, the help window and the bitmap-size dialog; all hidden.
void CreateWindows();

// Destroys the five windows and clears their references.
void DestroyWindows();

} // namespace velmora
