// ui/decimalspinbox.cpp — a spin box for decimal numbers (ui layer)
#include "ui/decimalspinbox.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <QLocale>
#include <QRegularExpression>

namespace velmora {

namespace {

// The number typed, without the prefix, the suffix and blanks, its commas read as points.
QString numberIn(const QDoubleSpinBox &box, QString text)
{
    if (!box.prefix().isEmpty() && text.startsWith(box.prefix()))
        text.remove(0, box.prefix().size());
    if (!box.suffix().isEmpty() && text.endsWith(box.suffix()))
        text.chop(box.suffix().size());
    return WithDecimalPoints(text.trimmed());
}

} // namespace

QString WithDecimalPoints(QString text)
{
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i] == ',' && text[i - 1].isDigit()
            && (i + 1 == text.size() || text[i + 1].isDigit()))
            text[i] = '.';
    return text;
}

std::variant<double, QString> ReadTypedNumber(const QString &typed)
{
    const QString text = WithDecimalPoints(typed).trimmed();
    try {
        if (const std::optional<double> value = StrictTextToReal(text.toStdString()))
            return *value;
    } catch (const FloatingPointError &) {
        return QStringLiteral("« %1 » est hors des limites des nombres").arg(text);
    }
    return text.isEmpty() ? QStringLiteral("une valeur est attendue")
                          : QStringLiteral("« %1 » n'est pas un nombre").arg(text);
}

DecimalSpinBox::DecimalSpinBox(QWidget *parent)
    : QDoubleSpinBox(parent)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    setLocale(c);
}

QValidator::State DecimalSpinBox::validate(QString &input, int &) const
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]*\\.?[0-9]*$"));
    const QString typed = numberIn(*this, input);
    if (!number.match(typed).hasMatch())
        return QValidator::Invalid;
    bool ok = false;
    const double v = QLocale::c().toDouble(typed, &ok);
    if (!ok) // "", "-", ".": on the way to a number
        return QValidator::Intermediate;
    const qsizetype point = typed.indexOf('.');
    if (point >= 0 && typed.size() - point - 1 > decimals())
        return QValidator::Invalid;
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

double DecimalSpinBox::valueFromText(const QString &text) const
{
    return QLocale::c().toDouble(numberIn(*this, text));
}

void DecimalSpinBox::fixup(QString &input) const
{
    input = prefix() + numberIn(*this, input) + suffix();
}

} // namespace velmora
