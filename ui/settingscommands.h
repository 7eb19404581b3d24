// ui/settingscommands.h — the main window's settings commands: axis extents and intervals,
// font, colours and grid, with the captions that show them (ui layer)
#pragma once

#include "core/settingfields.h"

#include <QFont>
#include <QObject>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QWidget;

namespace velmora {

class ChartDocument;
class ChartWindow;
class Prompts;

// Asks for a setting (input box, colour or font chooser), tests what is given, and stores what
// it accepts in the document as one undoable change. Every caption and sample is written from
// the document by one function, at start and after every change, undo and redo included.
class SettingsCommands : public QObject {
    Q_OBJECT
public:
    // The controls are found in `form` by their names.
    SettingsCommands(QWidget &form, ChartDocument &document, ChartWindow &chartWindow,
        Prompts &prompts, QObject *parent = nullptr);

    // The six value captions, from the document.
    void showCaptions();
    // Captions, grid boxes, colour samples and the font caption, from the document.
    void showDocument();

    void editGainMax();
    void editGainMin();
    void editGainStep();
    void editPhaseMin();
    void editPhaseStep();
    void chooseAxisColor();
    void chooseIsogainColor();
    void chooseIsophaseColor();
    void chooseFont();
    void setGrid();
    void setDottedGrid();

private:
    // A value label: the setting it shows, its caption's prefix at start and once a value has
    // been typed, and its unit.
    struct ValueCaption {
        QLabel *label;
        std::optional<Setting> setting; // none for the phase maximum, which nothing changes
        QString prefix;
        QString typedPrefix;
        QString unit;
    };

    void writeCaption(const ValueCaption &caption);
    // Asks for a setting, its current value as the default text; an accepted answer is stored
    // with the answer as typed for its caption. A refused or cancelled one changes nothing.
    void askSetting(Setting setting, const QString &prompt);
    void chooseColor(Setting setting);
    void showColor(QLabel &label, Color color);
    void showFont();

    ChartDocument &m_document;
    ChartWindow &m_chartWindow;
    Prompts &m_prompts;
    ValueCaption m_gainMax;
    ValueCaption m_gainStep;
    ValueCaption m_gainMin;
    ValueCaption m_phaseMax;
    ValueCaption m_phaseStep;
    ValueCaption m_phaseMin;
    QLabel *m_fontCaption;
    QLabel *m_axisColorCaption;
    QLabel *m_isogainColorCaption;
    QLabel *m_isophaseColorCaption;
    QCheckBox *m_grid;
    QCheckBox *m_dottedGrid;
    QFont m_startFontCaptionFont; // the font caption's font before any face is chosen
    // The colour chooser opens on the colour last confirmed, for any of the three commands.
    Color m_chooserColor = Black;
};

} // namespace velmora
