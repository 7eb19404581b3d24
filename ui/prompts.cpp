// ui/prompts.cpp — the real dialogs behind the prompts interface (ui layer)
#include "ui/prompts.h"

#include "render/fontpolicy.h"
#include "render/qtcolor.h"
#include "ui/exportdialog.h"
#include "ui/frenchdialogs.h"
#include "ui/inputbox.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cmath>

namespace velmora {

std::optional<QString> DialogPrompts::inputBox(
    const QString &title, const QString &prompt, const QString &defaultText)
{
    InputBox box(title, prompt, defaultText);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.text();
}

std::optional<Color> DialogPrompts::chooseColor(Color initial)
{
    const QColor chosen = QColorDialog::getColor(QColor(ToRgb(initial)), nullptr, "Couleur");
    if (!chosen.isValid())
        return std::nullopt;
    return ColorOf(chosen);
}

std::optional<FontChoice> DialogPrompts::chooseFont(const FontChoice &initial)
{
    // The chooser lists installed families: it opens on the one that draws the face.
    const QFont font = RegularFont(DrawnFamily(initial.face), initial.points);
    bool confirmed = false;
    const QFont chosen = QFontDialog::getFont(&confirmed, font, nullptr, "Police");
    if (!confirmed)
        return std::nullopt;
    const int points = chosen.pointSize() > 0
        ? chosen.pointSize()
        : static_cast<int>(std::lround(chosen.pixelSize() * 72.0 / ChartDotsPerInch));
    return FontChoice { SettingsFace(chosen.family(), initial.face), points };
}

void DialogPrompts::reportError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("AbaqueVelmora"), text, QMessageBox::Ok);
    box.exec();
}

std::optional<QString> DialogPrompts::chooseOpenFile(
    const QString &title, const QString &filter, const QString &folder)
{
    QFileDialog dialog(nullptr, title, folder, filter);
    MakeFrench(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> DialogPrompts::chooseSaveFile(
    const QString &title, const QString &filter, const QString &suggested)
{
    QFileDialog dialog(nullptr, title, suggested, filter);
    MakeFrench(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension takes the suggested one before the dialog checks
    // whether it would replace a file, so that no file is replaced without being asked.
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<ExportChoice> DialogPrompts::chooseExport(const ExportChoice &initial)
{
    ExportDialog dialog(initial, *this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

bool DialogPrompts::setUpPrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle(QStringLiteral("Imprimer l'abaque"));
    return dialog.exec() == QDialog::Accepted;
}

SaveAnswer DialogPrompts::askSaveChanges(const QString &documentName)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velmora"),
        QStringLiteral("Enregistrer les modifications ?"), QMessageBox::NoButton);
    box.setObjectName("enregistrer");
    box.setInformativeText(QStringLiteral("« %1 » a été modifié depuis son dernier enregistrement.")
                               .arg(documentName));
    QPushButton *save = box.addButton(QStringLiteral("Enregistrer"), QMessageBox::AcceptRole);
    QPushButton *discard
        = box.addButton(QStringLiteral("Ne pas enregistrer"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    if (box.clickedButton() == discard)
        return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}

} // namespace velmora
