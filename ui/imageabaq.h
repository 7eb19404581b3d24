// ui/imageabaq.h — the chart window: shows the last chart image, nothing else (ui layer)
#pragma once

#include <QWidget>

#include <memory>

class QImage;

namespace Ui {
class Tabaque;
}

namespace velmora {

// No border icons, sizeable; Image1 at the top-left shows the image at its natural size and is
// clipped when the window is smaller. Showing it never takes the activation from another window.
class Tabaque : public QWidget {
    Q_OBJECT
public:
    explicit Tabaque(QWidget *parent = nullptr);
    ~Tabaque() override;

    Ui::Tabaque &form() { return *ui; }

    // Image1 takes its own copy of `image` and sizes itself to it.
    void setImage(const QImage &image);
    // What Image1 shows now (null before the first chart).
    QImage image() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::Tabaque> ui;
};

extern Tabaque *abaque;

} // namespace velmora
