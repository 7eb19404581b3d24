// ui/frenchdialogs.h — French where Qt's own catalogue has none: the file chooser's file types,
// sizes and dates, and the font chooser opened on a regular style (ui layer)
#pragma once

#include <QTranslator>

class QFileDialog;
class QFont;

namespace velmora {

// The texts of Qt's dialogs that qtbase_fr does not translate (the file types of the file
// chooser: "Folder", "File", ...). Installed after Qt's French catalogue.
class MissingFrench : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText,
        const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// A file chooser of Qt's own (not the desktop's), whose size and date columns are written in
// French: "500 octets", "2.0 Kio", "08/12/2026 15:07"; sizes with a decimal point.
void MakeFrench(QFileDialog &dialog);

// The font of that family in its regular style (not italic, not bold, not condensed), as the
// font chooser is to open on it.
QFont RegularFont(const QString &family, int points);

} // namespace velmora
