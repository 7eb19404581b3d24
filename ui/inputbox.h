// ui/inputbox.h — the modal one-line input box (ui layer)
#pragma once

#include <QDialog>

class QLineEdit;

namespace velmora {

// Title, prompt above a 255-character edit field that starts with the default text selected,
// "OK" (default button) and "Annuler". Centred on the screen.
class InputBox : public QDialog {
    Q_OBJECT
public:
    InputBox(const QString &title, const QString &prompt, const QString &defaultText,
        QWidget *parent = nullptr);

    QString text() const;

private:
    QLineEdit *m_edit;
};

} // namespace velmora
