// ui/abaqvelmora.h — the main window: value lists, settings commands and menu (ui layer)
#pragma once

#include "core/chartsettings.h"
#include "ui/prompts.h"

#include <QMainWindow>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>

class QLabel;

namespace Ui {
class TFenetvelmora;
}

namespace velmora {

class ValueListEditor;

// The chart state of the whole run: settings and both value arrays. The commands below write
// it; the renderers only read it.
extern ChartSettings Settings;

// Renders the chart into the chart window's Image1 (300 x 475), making that window visible.
// A failure part-way still shows the partial chart, then goes on to the caller.
void DrawAbaque();

// Renders the chart at BitmapWidth x BitmapHeight with units on the labels and puts it on the
// clipboard; makes the chart window visible and leaves its image alone.
void CopyAbaqueToClipboard();

class TFenetvelmora : public QMainWindow {
    Q_OBJECT
public:
    explicit TFenetvelmora(QWidget *parent = nullptr);
    ~TFenetvelmora() override;

    Ui::TFenetvelmora &form() { return *ui; }

    void FormCreate(QObject *sender);
    void init(QObject *sender);

    void Quitter1Click(QObject *sender);
    void aille1Click(QObject *sender);
    void Copierdanspressepapiers1Click(QObject *sender);
    void Aide2Click(QObject *sender);
    void Apropos1Click(QObject *sender);

    void BitBtn1Click(QObject *sender);
    void BitBtn2Click(QObject *sender);
    void BitBtn3Click(QObject *sender);
    void BitBtn4Click(QObject *sender);
    void ValueListEditor1KeyPress(QObject *sender, char &key);
    void ValueListEditor2KeyPress(QObject *sender, char &key);

    void Label1Click(QObject *sender);
    void Label2Click(QObject *sender);
    void Label4Click(QObject *sender);
    void Label5Click(QObject *sender);
    void Label7Click(QObject *sender);
    void Label8Click(QObject *sender);
    void Label9Click(QObject *sender);
    void Label10Click(QObject *sender);
    void Label12Click(QObject *sender);
    void CheckBox3Click(QObject *sender);
    void CheckBox4Click(QObject *sender);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct FocusRecord {
        QPointer<QWindow> window;
        bool modal = false;
    };

    bool activationComesFromOwnWindow() const;
    void connectHandlers();
    void addValue(ValueListEditor &list, std::vector<double> &values, const QString &prompt,
        bool (*accepted)(double));
    void deleteValue(ValueListEditor &list, std::vector<double> &values);
    void chooseColour(QWidget &label, Color &setting);
    // Asks for a setting, its current value as the default text; an accepted answer is stored,
    // shown as typed between `prefix` and `unit`, and drawn. A refused or cancelled one changes
    // nothing.
    void askSetting(QLabel &label, const QString &prompt, double &setting,
        const std::function<bool(double)> &accepted, const QString &prefix, const QString &unit);

    std::unique_ptr<Ui::TFenetvelmora> ui;
    // The colour chooser's colour (the last confirmed, black at first) and the font chooser's
    // font: both shared by their commands and kept between uses.
    Color m_colorDialog1 = Black;
    FontChoice m_fontDialog1;
    FocusRecord m_focus;
    FocusRecord m_previousFocus;
    bool m_activatedOnce = false;
};

// The window references of the run, each set when its window is created.
extern TFenetvelmora *Fenetvelmora;

} // namespace velmora
