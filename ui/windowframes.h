// ui/windowframes.h — what the window manager is asked of the program's windows: their
// decorations, their outer size, and how a window chosen from a menu comes back (ui layer)
#pragma once

#include <QSize>

class QWidget;

namespace velmora {

enum class FrameKind {
    // A title bar and a border, and no system menu, no minimise, maximise or close box: the
    // window can be moved and resized, nothing else. A maximised window is restored at once.
    TitleOnly,
    // A fixed-size dialog: a title, a border and a close box.
    Dialog,
};

// Asks the window manager for that frame, through the Motif hints X window managers read, each
// time the window is shown. Qt alone asks only for the functions of a title-only window, and
// managers then add every button. Does nothing but on X11.
void AskFrame(QWidget &window, FrameKind kind);

// Shows the window normal (not minimised), raised and active: a window chosen from a menu
// comes back where the user can see it.
void ShowNormalAndOnTop(QWidget &window);

// Once the window manager has framed the window, sizes it so that its frame (title bar and
// borders included) measures `outer`, as designed; `framed` is told the client size that gives.
// Without a manager (no frame), the client keeps the outer size.
void KeepOuterSize(QWidget &window, QSize outer, void (*framed)(QWidget &, QSize) = nullptr);

} // namespace velmora
