// ui/windowframes.cpp — what the window manager is asked of the program's windows (ui layer)
#include "ui/windowframes.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace velmora {

namespace {

// The Motif hints: which of the hint words follow, then functions and decorations.
constexpr std::uint32_t HintsFunctions = 1U << 0;
constexpr std::uint32_t HintsDecorations = 1U << 1;
constexpr std::uint32_t FunctionResize = 1U << 1;
constexpr std::uint32_t FunctionMove = 1U << 2;
constexpr std::uint32_t FunctionClose = 1U << 5;
constexpr std::uint32_t DecorationBorder = 1U << 1;
constexpr std::uint32_t DecorationResizeHandles = 1U << 2;
constexpr std::uint32_t DecorationTitle = 1U << 3;

void setMotifHints(QWidget &window, std::uint32_t functions, std::uint32_t decorations)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *connection = x11->connection();
    const xcb_window_t id = static_cast<xcb_window_t>(window.winId());
    const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return;
    const std::array<std::uint32_t, 5> hints { HintsFunctions | HintsDecorations, functions,
        decorations, 0, 0 };
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom->atom, atom->atom, 32,
        static_cast<std::uint32_t>(hints.size()), hints.data());
    xcb_flush(connection);
    std::free(atom);
}

class FrameAsker : public QObject {
public:
    FrameAsker(QWidget &window, FrameKind kind)
        : QObject(&window)
        , m_window(window)
        , m_kind(kind)
    {
        window.installEventFilter(this);
        // Before the window is first mapped: managers read the hints then.
        ask();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Qt sets hints of its own when it makes the native window again.
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) {
            ask();
        } else if (event->type() == QEvent::WindowStateChange && m_kind == FrameKind::TitleOnly
            && m_window.isMaximized()) {
            m_window.setWindowState(m_window.windowState() & ~Qt::WindowMaximized);
        }
        return false;
    }

private:
    void ask()
    {
        if (m_kind == FrameKind::TitleOnly)
            setMotifHints(m_window, FunctionMove | FunctionResize,
                DecorationBorder | DecorationResizeHandles | DecorationTitle);
        else
            setMotifHints(
                m_window, FunctionMove | FunctionClose, DecorationBorder | DecorationTitle);
    }

    QWidget &m_window;
    FrameKind m_kind;
};

// Waits for the frame to sit around the window, then sizes the client to fit the outer size.
class OuterSizeKeeper : public QObject {
public:
    OuterSizeKeeper(QWidget &window, QSize outer, void (*framed)(QWidget &, QSize))
        : QObject(&window)
        , m_window(window)
        , m_outer(outer)
        , m_framed(framed)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (m_done || (type != QEvent::Move && type != QEvent::Show && type != QEvent::Resize))
            return false;
        const QSize frame = m_window.frameGeometry().size();
        const QSize client = m_window.size();
        if (frame == client)
            return false; // not framed (yet)
        m_done = true;
        const QSize fitted = m_outer - (frame - client);
        if (m_framed)
            m_framed(m_window, fitted);
        m_window.resize(fitted);
        return false;
    }

private:
    QWidget &m_window;
    QSize m_outer;
    void (*m_framed)(QWidget &, QSize);
    bool m_done = false;
};

} // namespace

void AskFrame(QWidget &window, FrameKind kind)
{
    new FrameAsker(window, kind);
}

void ShowNormalAndOnTop(QWidget &window)
{
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void KeepOuterSize(QWidget &window, QSize outer, void (*framed)(QWidget &, QSize))
{
    new OuterSizeKeeper(window, outer, framed);
}

} // namespace velmora
