// ui/clickablelabel.h — a label that reports clicks (ui layer)
#pragma once

#include <QLabel>

namespace velmora {

// A label that reports a click of the left button released over it.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace velmora
