// ui/chgvalbmp.h — bitmap-size dialog (ui layer, no chart logic)
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class Tvalbmp;
}

namespace velmora {

// Sets BitmapWidth and BitmapHeight, the size of the next clipboard copy; renders nothing.
class Tvalbmp : public QDialog {
    Q_OBJECT
public:
    explicit Tvalbmp(QWidget *parent = nullptr);
    ~Tvalbmp() override;

    Ui::Tvalbmp &form() { return *ui; }

    void label1Click(QObject *sender);
    void Label2Click(QObject *sender);
    void Button1Click(QObject *sender);

private:
    std::unique_ptr<Ui::Tvalbmp> ui;
};

extern Tvalbmp *valbmp;

} // namespace velmora
