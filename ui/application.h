// ui/application.h — the application object and its general error report (ui layer)
#pragma once

#include <QApplication>

#include <exception>
#include <type_traits>
#include <utility>

class QWidget;

namespace velmora {

class Prompts;

// The text of the general error report: the message, with "." appended when its last character
// sorts after ".".
QString ErrorReportText(const QString &message);

// Moves a window so that it stands at the centre of the primary screen.
void CentreOnScreen(QWidget &window);

// Shows the general error report for an error that escaped an event handler, through the
// application's prompts; the event loop goes on.
void ReportEscapedError(const std::exception &error);

// "AbaqueVelmora": the application title, the windows' font, Qt's own dialogs in French, and the
// last line of defence for errors that escape an event handler.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    // The prompts that show the error report; they must outlive their use here.
    void setPrompts(Prompts *prompts) { m_prompts = prompts; }
    Prompts *prompts() const { return m_prompts; }

    // Whether Qt's French translations were found and installed.
    bool frenchInstalled() const { return m_frenchInstalled; }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    Prompts *m_prompts = nullptr;
    bool m_frenchInstalled = false;
};

// Wraps an event handler for connect(): an error that escapes it ends the handler and is shown
// by the general error report. Qt's own frames are not exception-safe, so errors are stopped
// here, where the handler meets the toolkit, rather than unwinding through signal dispatch.
template <typename Handler> auto Guard(Handler handler)
{
    return [handler = std::move(handler)](auto &&...args) {
        try {
            // A handler may ignore the signal's arguments (the checked flag of a click).
            if constexpr (std::is_invocable_v<const Handler &, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (const std::exception &error) {
            ReportEscapedError(error);
        }
    };
}

} // namespace velmora
