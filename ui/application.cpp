// ui/application.cpp — the application object and its general error report (ui layer)
#include "ui/application.h"

#include "render/fontpolicy.h"
#include "ui/frenchdialogs.h"
#include "ui/prompts.h"

#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>

// The button images and the window icon live in the velmora_ui library's resources.
static void initResources()
{
    Q_INIT_RESOURCE(velmora);
}

namespace velmora {

namespace {

constexpr int WindowTextStretch = 90; // percent

} // namespace

QString ErrorReportText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + '.';
    return message;
}

void CentreOnScreen(QWidget &window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

void ReportEscapedError(const std::exception &error)
{
    const QString text = ErrorReportText(QString::fromUtf8(error.what()));
    const auto *application = qobject_cast<Application *>(QCoreApplication::instance());
    if (application && application->prompts()) {
        application->prompts()->reportError(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("AbaqueVelmora"), text, QMessageBox::Ok);
    box.exec();
}

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("AbaqueVelmora"));
    setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    // The windows are designed in "MS Sans Serif", 11 pixels high at 96 dpi; its substitute is
    // wider, so the window text is narrowed to keep captions within the designed places.
    QFont::insertSubstitution(
        QString::fromLatin1(DefaultFontFace), QString::fromLatin1(SubstituteFontFace));
    QFont font(QString::fromLatin1(DefaultFontFace));
    font.setPixelSize(11);
    font.setStretch(WindowTextStretch);
    setFont(font);
    // Qt's own dialogs and buttons speak French, whatever the system's language.
    auto *translator = new QTranslator(this);
    m_frenchInstalled = translator->load(QStringLiteral("qtbase_fr"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && installTranslator(translator);
    // Installed last, asked first: the few texts the catalogue lacks.
    installTranslator(new MissingFrench(this));
    // Named for the record; nothing opens it: "Aide" shows the built-in help window.
    setProperty("helpFile", QStringLiteral("/usr/share/velmora/AIDEABAQUE.HLP"));
    setQuitOnLastWindowClosed(false);
    initResources();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ReportEscapedError(error);
        return false;
    }
}

} // namespace velmora
