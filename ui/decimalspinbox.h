// ui/decimalspinbox.h — a spin box for decimal numbers that writes a point and reads a point or
// a comma (ui layer)
#pragma once

#include <QDoubleSpinBox>
#include <QString>

#include <variant>

namespace velmora {

// Writes its value with "." whatever the locale, and reads "1.5" and "1,5" alike: a comma
// between digits is the decimal point, never a group separator ("-9.7" is -9.7, not -97).
class DecimalSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit DecimalSpinBox(QWidget *parent = nullptr);

protected:
    QValidator::State validate(QString &input, int &position) const override;
    double valueFromText(const QString &text) const override;
    void fixup(QString &input) const override;
};

// The text with a comma between digits read as the decimal point; other commas stay.
QString WithDecimalPoints(QString text);

// The number typed in a field (a point or a comma as the decimal separator, blanks around),
// or the reason in French that it is not one.
std::variant<double, QString> ReadTypedNumber(const QString &typed);

} // namespace velmora
