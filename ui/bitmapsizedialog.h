// ui/bitmapsizedialog.h — the bitmap-size dialog: the size of the clipboard image (ui layer)
#pragma once

#include <QDialog>

#include <memory>

class QLabel;

namespace Ui {
class BitmapSizeDialog;
}

namespace velmora {

class ChartDocument;
class Prompts;

// Sets the width and height of the next clipboard image; draws nothing.
class BitmapSizeDialog : public QDialog {
    Q_OBJECT
public:
    BitmapSizeDialog(ChartDocument &document, Prompts &prompts, QWidget *parent = nullptr);
    ~BitmapSizeDialog() override;

private:
    void editWidth();
    void editHeight();
    // "Largeur: 600 pixels" as designed; once a size has been entered (or a session opened),
    // without the blank: "Largeur:450 pixels".
    void showCaptions();

    ChartDocument &m_document;
    Prompts &m_prompts;
    std::unique_ptr<Ui::BitmapSizeDialog> m_form;
    QLabel *m_widthCaption;
    QLabel *m_heightCaption;
    bool m_sessionOpened = false;
};

} // namespace velmora
