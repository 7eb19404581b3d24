// ui/prompts.h — the questions the windows ask the user, behind an interface tests can answer (ui
// layer)
#pragma once

#include "core/chartsettings.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <string>

class QLineEdit;

namespace velmora {

// A font as the settings keep it: face name and size in whole points.
struct FontChoice {
    std::string face;
    int points = 8;
};

// Every modal question of the program. Each returns nothing when the user cancels.
class Prompts {
public:
    virtual ~Prompts() = default;

    // One-line input box: title, prompt, default text selected; the edited text after "OK".
    virtual std::optional<QString> inputBox(
        const QString &title, const QString &prompt, const QString &defaultText)
        = 0;
    // Colour chooser opening on `initial`; the colour confirmed.
    virtual std::optional<Color> chooseColor(Color initial) = 0;
    // Font chooser opening on `initial`; the face and whole-point size confirmed.
    virtual std::optional<FontChoice> chooseFont(const FontChoice &initial) = 0;
    // The general error report: error icon, one OK button, titled "AbaqueVelmora".
    virtual void reportError(const QString &text) = 0;
};

// The prompts in use; the real dialogs unless a test put its own in place.
Prompts &ActivePrompts();

// Puts `prompts` in place (nullptr: back to the real dialogs); returns the previous ones.
Prompts *SetPrompts(Prompts *prompts);

// The modal one-line input box: title, prompt above a 255-character edit field that starts with
// the default text selected, "OK" (default button) and "Annuler". Centred on the screen.
class TInputBox : public QDialog {
    Q_OBJECT
public:
    TInputBox(const QString &title, const QString &prompt, const QString &defaultText,
        QWidget *parent = nullptr);

    QString text() const;

private:
    QLineEdit *m_edit;
};

// The real dialogs.
class DialogPrompts final : public Prompts {
public:
    std::optional<QString> inputBox(
        const QString &title, const QString &prompt, const QString &defaultText) override;
    std::optional<Color> chooseColor(Color initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    void reportError(const QString &text) override;
};

} // namespace velmora
