#pragma once

#include <QFont>
#include <QString>

#include <functional>

class GanttSeries;

// One axis of a chart: its range (automatic from the series or set by hand), direction and the
// look of its labels. Values are in the data's units: days for a date axis, rows for a value axis.
class ChartAxis
{
public:
    enum class Orientation
    {
        Horizontal,
        Vertical
    };
    // Value: the engine's numbers or dates; Text: the series' point labels at their rows.
    enum class LabelStyle
    {
        Value,
        Text
    };

    // The smallest range setMinMax() lets an axis shrink to (about a hundred-thousandth of a second).
    static constexpr double smallestRange = 1e-10;

    explicit ChartAxis(Orientation orientation);
    ChartAxis(const ChartAxis&) = delete;
    ChartAxis& operator=(const ChartAxis&) = delete;

    Orientation orientation() const { return m_orientation; }
    bool isHorizontal() const { return m_orientation == Orientation::Horizontal; }

    // An automatic end follows the series; switching an end off keeps its current value.
    // automatic() is true while both ends are automatic; setAutomatic() switches both.
    bool automatic() const { return m_automaticMinimum && m_automaticMaximum; }
    void setAutomatic(bool on);
    bool automaticMinimum() const { return m_automaticMinimum; }
    void setAutomaticMinimum(bool on);
    bool automaticMaximum() const { return m_automaticMaximum; }
    void setAutomaticMaximum(bool on);

    double minimum() const;
    double maximum() const;
    double range() const { return maximum() - minimum(); }
    // Sets the minimum (its end leaves automatic scaling). Throws Exception "Axis minimum must be
    // less than or equal to its maximum" when value > maximum(), and for a value that is not finite.
    void setMinimum(double value);
    // Sets the maximum; throws the same message when value < minimum().
    void setMaximum(double value);
    // Sets both ends and switches automatic scaling off; a reversed pair is swapped and a range
    // narrower than smallestRange is widened to it. Throws Exception for values that are not finite.
    void setMinMax(double a, double b);

    bool inverted() const { return m_inverted; } // vertical: minimum at the top; horizontal: at the right
    void setInverted(bool on);
    bool visible() const { return m_visible; }
    void setVisible(bool on);
    bool gridVisible() const { return m_gridVisible; }
    void setGridVisible(bool on);

    bool dateTime() const { return m_dateTime; } // labels are dates formatted by dateTimeFormat()
    void setDateTime(bool on);
    QString dateTimeFormat() const { return m_dateTimeFormat; } // e.g. "yy-mm-dd"; empty: short date
    void setDateTimeFormat(const QString& format);
    double increment() const { return m_increment; } // step of the engine's own labels; 0: chosen by range
    void setIncrement(double step);
    bool roundFirstLabel() const { return m_roundFirstLabel; } // first own label on a multiple of the step
    void setRoundFirstLabel(bool on);
    LabelStyle labelStyle() const { return m_labelStyle; }
    void setLabelStyle(LabelStyle style);
    // Arial 8 pt unless set; the point size is taken at 96 pixels per inch on every device.
    QFont labelFont() const { return m_labelFont; }
    void setLabelFont(const QFont& font);
    // Least room between labels in pixels (10 unless set); 0: every label drawn however crowded.
    int labelSeparation() const { return m_labelSeparation; }
    void setLabelSeparation(int separation);

private:
    friend class Chart;
    double automaticValue(bool wantMinimum) const;
    void notify();

    Orientation m_orientation;
    const GanttSeries* m_series = nullptr; // the series this axis scales to, or none
    std::function<void()> m_changed;       // set by the owning chart
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    bool m_automaticMinimum = true;
    bool m_automaticMaximum = true;
    bool m_inverted = false;
    bool m_visible = true;
    bool m_gridVisible = true;
    bool m_dateTime = false;
    QString m_dateTimeFormat;
    double m_increment = 0.0;
    bool m_roundFirstLabel = true;
    LabelStyle m_labelStyle = LabelStyle::Value;
    QFont m_labelFont;
    int m_labelSeparation = 10;
};
