// ui/prompts.h — the questions the windows ask the user, behind an interface tests can answer (ui
// layer)
#pragma once

#include "core/chartsettings.h"

#include <QString>

class QPrinter;

#include <optional>
#include <string>

namespace velmora {

// A font as the settings keep it: face name and size in whole points.
struct FontChoice {
    std::string face;
    int points = 8;
};

// Where and how large to export the chart.
struct ExportChoice {
    QString path; // its extension says the format: .png, .bmp, .svg or .pdf
    int width = 600; // pixels
    int height = 950;
};

// What to do with changes not saved yet.
enum class SaveAnswer { Save, Discard, Cancel };

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
    // Font chooser opening on `initial`'s face and size; the face and whole-point size confirmed.
    virtual std::optional<FontChoice> chooseFont(const FontChoice &initial) = 0;
    // The general error report: error icon, one OK button, titled "AbaqueVelmora".
    virtual void reportError(const QString &text) = 0;
    // A file to open or to write; `filter` as Qt's file dialogs take it; the chooser opens in
    // `folder`. A name to write typed without an extension takes the suggested name's.
    virtual std::optional<QString> chooseOpenFile(
        const QString &title, const QString &filter, const QString &folder)
        = 0;
    virtual std::optional<QString> chooseSaveFile(
        const QString &title, const QString &filter, const QString &suggested)
        = 0;
    // The export's file and size, starting from `initial`.
    virtual std::optional<ExportChoice> chooseExport(const ExportChoice &initial) = 0;
    // The printer set up by the user; false when cancelled.
    virtual bool setUpPrinter(QPrinter &printer) = 0;
    // "Enregistrer les modifications ?" about the document named so.
    virtual SaveAnswer askSaveChanges(const QString &documentName) = 0;
};

// The real dialogs.
class DialogPrompts final : public Prompts {
public:
    std::optional<QString> inputBox(
        const QString &title, const QString &prompt, const QString &defaultText) override;
    std::optional<Color> chooseColor(Color initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    void reportError(const QString &text) override;
    std::optional<QString> chooseOpenFile(
        const QString &title, const QString &filter, const QString &folder) override;
    std::optional<QString> chooseSaveFile(
        const QString &title, const QString &filter, const QString &suggested) override;
    std::optional<ExportChoice> chooseExport(const ExportChoice &initial) override;
    bool setUpPrinter(QPrinter &printer) override;
    SaveAnswer askSaveChanges(const QString &documentName) override;
};

} // namespace velmora
