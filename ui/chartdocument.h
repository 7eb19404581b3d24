// ui/chartdocument.h — the one chart document: settings, contour value lists (ui layer)
#pragma once

#include "core/chartsettings.h"

#include <QObject>
#include <QStringList>

#include <vector>

namespace velmora {

// The two lists of contour values.
enum class ValueList { Isogain, Isophase };

// Everything the program edits and draws. The windows change it through its setters; each setter
// says what changed by its signal, and the views follow. The value lists are kept twice: the
// texts as the user typed them (the list rows), and the values last read from them, which are
// what the chart draws.
class ChartDocument : public QObject {
    Q_OBJECT
public:
    // The defaults and the default lists.
    explicit ChartDocument(QObject *parent = nullptr);

    const ChartSettings &settings() const { return m_settings; }

    const QStringList &texts(ValueList list) const;
    const std::vector<double> &values(ValueList list) const;

    // Each of these stores the value as given (the windows test entries first) and emits
    // chartChanged(), even when the value is the one already stored: the chart is drawn again.
    void setGainMax(double dB);
    void setGainMin(double dB);
    void setGainStep(double dB);
    void setPhaseMin(double degrees);
    void setPhaseStep(double degrees);
    void setAxisColor(Color color);
    void setIsogainColor(Color color);
    void setIsophaseColor(Color color);
    void setFont(const std::string &face, int points);
    void setGrid(bool grid);
    void setDottedGrid(bool dotted);
    void setValues(ValueList list, std::vector<double> values);

    // The texts of a list's rows: nothing is drawn from them until their values are read.
    void setTexts(ValueList list, const QStringList &texts);

    // The size of the next clipboard image; the chart window's is not concerned.
    void setBitmapSize(int width, int height);

signals:
    // Anything the chart is drawn from.
    void chartChanged();
    void textsChanged(ValueList list);
    void bitmapSizeChanged();

private:
    template <typename T> void set(T &field, T value);

    ChartSettings m_settings;
    QStringList m_isogainTexts;
    QStringList m_isophaseTexts;
};

} // namespace velmora
