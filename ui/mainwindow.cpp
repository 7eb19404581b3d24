// ui/mainwindow.cpp — the main window: value lists, settings commands and menu (ui layer)
#include "ui/mainwindow.h"

#include "render/fontpolicy.h"
#include "session/session.h"
#include "ui/aboutdialog.h"
#include "ui/application.h"
#include "ui/bitmapsizedialog.h"
#include "ui/chartdocument.h"
#include "ui/chartoutput.h"
#include "ui/chartwindow.h"
#include "ui/designcommands.h"
#include "ui/filefolders.h"
#include "ui/helpwindow.h"
#include "ui/loopswindow.h"
#include "ui/marginswindow.h"
#include "ui/named.h"
#include "ui/prompts.h"
#include "ui/responsewindow.h"
#include "ui/sessionfile.h"
#include "ui/settingscommands.h"
#include "ui/valuelistcommands.h"
#include "ui/windowframes.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>

namespace velmora {

namespace {

void setFontOf(QLabel &label, int pixelSize, bool bold, bool italic)
{
    QFont font(QString::fromLatin1(DefaultFontFace));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    label.setFont(font);
}

} // namespace

MainWindow::MainWindow(ChartDocument &document, FileFolders &folders, ChartWindow &chartWindow,
    AboutDialog &aboutDialog, HelpWindow &helpWindow, BitmapSizeDialog &bitmapSizeDialog,
    LoopsWindow &loopsWindow, MarginsWindow &marginsWindow, ResponseWindow &responseWindow,
    Prompts &prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_document(document)
    , m_chartWindow(chartWindow)
    , m_loopsWindow(loopsWindow)
    , m_marginsWindow(marginsWindow)
    , m_responseWindow(responseWindow)
    , m_prompts(prompts)
    , m_form(std::make_unique<Ui::MainWindow>())
    , m_folders(&folders)
{
    m_form->setupUi(this);
    move(52, 169);
    KeepOuterSize(*this, QSize(471, 380));
    setFontOf(*Named<QLabel>(*this, "Label3"), 13, true, true);
    setFontOf(*Named<QLabel>(*this, "Label13"), 12, true, false);
    setFontOf(*Named<QLabel>(*this, "Label14"), 12, true, false);
    // Labels size themselves to their captions.
    for (QLabel *label : centralWidget()->findChildren<QLabel *>())
        label->adjustSize();

    m_lists = new ValueListCommands(*this, document, prompts, this);
    m_settings = new SettingsCommands(*this, document, chartWindow, prompts, this);
    m_settings->showCaptions();
    m_output = new ChartOutput(document, chartWindow, prompts, *m_folders, this);
    new DesignCommands(*this, document, loopsWindow, this);

    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        m_previousFocus = m_focus;
        m_focus = FocusRecord { window, window && window->modality() != Qt::NonModal };
    });
    // A window chosen from the menu comes back normal and on top.
    const auto shows = [this](const char *action, QWidget &window) {
        connect(Named<QAction>(*this, action), &QAction::triggered, &window,
            [&window] { ShowNormalAndOnTop(window); });
    };
    shows("aille1", bitmapSizeDialog);
    shows("Aide2", helpWindow);
    shows("Apropos1", aboutDialog);
    shows("FonctionsTransfert1", loopsWindow);
    shows("Marges1", marginsWindow);
    shows("Reponse1", responseWindow);
    connectMenus();
    addEditMenu();
    connect(&document, &ChartDocument::replaced, m_settings, &SettingsCommands::showDocument);
    connect(&document, &ChartDocument::chartChanged, m_settings, &SettingsCommands::showDocument);
    connect(&document, &ChartDocument::modifiedChanged, this, &MainWindow::showTitle);
    connect(&document, &ChartDocument::filePathChanged, this, &MainWindow::showTitle);
    connect(&document, &ChartDocument::loopsChanged, this, &MainWindow::showTitle);
    showTitle();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectMenus()
{
    const auto on = [this](const char *action, auto handler) {
        connect(Named<QAction>(*this, action), &QAction::triggered, this, Guard(handler));
    };
    on("Copierdanspressepapiers1", [this] { m_output->copyToClipboard(); });
    on("OuvrirSession1", [this] { openSession(); });
    on("EnregistrerSession1", [this] { saveSession(); });
    on("EnregistrerSessionSous1", [this] { saveSessionAs(); });
    on("Exporter1", [this] { m_output->exportChart(); });
    on("Imprimer1", [this] { m_output->printChart(); });
    QAction *quit = Named<QAction>(*this, "Quitter1");
    connect(quit, &QAction::triggered, this, &QWidget::close);
    Named<QAction>(*this, "OuvrirSession1")->setShortcut(QKeySequence::Open);
    Named<QAction>(*this, "EnregistrerSession1")->setShortcut(QKeySequence::Save);
    Named<QAction>(*this, "Imprimer1")->setShortcut(QKeySequence::Print);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
}

void MainWindow::addEditMenu()
{
    m_undo = Named<QAction>(*this, "Annuler1");
    m_redo = Named<QAction>(*this, "Retablir1");
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    for (QAction *action : { m_undo, m_redo })
        action->setShortcutContext(Qt::ApplicationShortcut);
    QUndoStack &stack = m_document.undoStack();
    connect(m_undo, &QAction::triggered, this, Guard([&stack] { stack.undo(); }));
    connect(m_redo, &QAction::triggered, this, Guard([&stack] { stack.redo(); }));
    const auto show = [this, &stack] {
        m_undo->setEnabled(stack.canUndo());
        m_undo->setText(stack.canUndo() ? QStringLiteral("&Annuler : ") + stack.undoText()
                                        : QStringLiteral("&Annuler"));
        m_redo->setEnabled(stack.canRedo());
        m_redo->setText(stack.canRedo() ? QStringLiteral("&Rétablir : ") + stack.redoText()
                                        : QStringLiteral("&Rétablir"));
    };
    connect(&stack, &QUndoStack::indexChanged, this, show);
    connect(&stack, &QUndoStack::cleanChanged, this, show);
    show();
}

void MainWindow::showTitle()
{
    const QString path = m_document.filePath();
    const bool modified = changesWorthAsking();
    setWindowTitle((path.isEmpty() ? QStringLiteral("Velmora")
                                   : QStringLiteral("Velmora — %1").arg(QFileInfo(path).fileName()))
        + (modified ? QStringLiteral("*") : QString()));
}

bool MainWindow::activationComesFromOwnWindow() const
{
    // The focus record may or may not have caught up with this activation yet.
    const FocusRecord &before = m_focus.window == windowHandle() ? m_previousFocus : m_focus;
    return before.window && !before.modal;
}

bool MainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        // At start, and on coming back from another window of the program; not when a modal box
        // opened from here closes, nor on coming back from another program.
        const bool redraw = !m_activatedOnce || activationComesFromOwnWindow();
        m_activatedOnce = true;
        if (redraw)
            Guard([this] { m_chartWindow.redraw(); })();
    }
    return QMainWindow::event(event);
}

bool MainWindow::changesWorthAsking() const
{
    return m_document.isModified()
        && (!m_document.filePath().isEmpty() || !m_document.loops().empty());
}

bool MainWindow::settleUnsavedChanges()
{
    if (!changesWorthAsking())
        return true;
    const QString path = m_document.filePath();
    const QString name = path.isEmpty() ? QStringLiteral("Sans titre") : QFileInfo(path).fileName();
    switch (m_prompts.askSaveChanges(name)) {
    case SaveAnswer::Save:
        return saveSession();
    case SaveAnswer::Discard:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    bool settled = false;
    Guard([&] { settled = settleUnsavedChanges(); })();
    if (!settled) {
        event->ignore();
        return;
    }
    // exit(), not quit(): quit() first asks every window to close, and the chart window refuses.
    event->accept();
    QCoreApplication::exit(0);
}

void MainWindow::openSession()
{
    const std::optional<QString> path = m_prompts.chooseOpenFile(
        QStringLiteral("Ouvrir une session"),
        QStringLiteral("Sessions Velmora (*.velmora);;Tous les fichiers (*)"), m_folders->folder());
    if (path)
        openSessionFile(*path);
}

void MainWindow::openSessionFile(const QString &path)
{
    Guard([&] {
        if (!settleUnsavedChanges())
            return;
        OpenSessionFile(m_document, path);
        if (m_document.session().windows)
            restoreWindows(*m_document.session().windows);
        m_folders->used(path);
    })();
}

bool MainWindow::saveSession()
{
    if (m_document.filePath().isEmpty())
        return saveSessionAs();
    SaveSessionFile(m_document, m_document.filePath(), windowLayout());
    return true;
}

bool MainWindow::saveSessionAs()
{
    const QString current = m_document.filePath();
    std::optional<QString> path = m_prompts.chooseSaveFile(QStringLiteral("Enregistrer la session"),
        QStringLiteral("Sessions Velmora (*.velmora)"),
        current.isEmpty() ? m_folders->suggested(QStringLiteral("abaque.velmora")) : current);
    if (!path)
        return false;
    if (!path->endsWith(QString::fromLatin1(SessionExtension), Qt::CaseInsensitive))
        *path += QString::fromLatin1(SessionExtension);
    SaveSessionFile(m_document, *path, windowLayout());
    m_folders->used(*path);
    return true;
}

WindowLayout MainWindow::windowLayout() const
{
    WindowLayout layout;
    if (const std::optional<QRect> chart = m_chartWindow.resizedGeometry())
        layout.chart = std::array { chart->x(), chart->y(), chart->width(), chart->height() };
    layout.loops = m_loopsWindow.isVisible();
    layout.margins = m_marginsWindow.isVisible();
    layout.response = m_responseWindow.isVisible();
    return layout;
}

void MainWindow::restoreWindows(const WindowLayout &layout)
{
    if (layout.chart) {
        const auto &[x, y, width, height] = *layout.chart;
        m_chartWindow.restoreGeometry(QRect(x, y, width, height));
    }
    for (auto [window, open] : { std::pair { &m_loopsWindow, layout.loops },
             std::pair { &m_marginsWindow, layout.margins },
             std::pair { &m_responseWindow, layout.response } }) {
        if (open)
            ShowNormalAndOnTop(*window);
        else
            window->hide();
    }
}

void MainWindow::printChartOn(QPrinter &printer)
{
    m_output->printOn(printer);
}

} // namespace velmora
