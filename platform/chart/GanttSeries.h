#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

// A colour value as the program stores it: 0x00BBGGRR (red in the low byte).
QColor fromColorRef(quint32 colorRef);

// A Gantt series: bars from a start to an end value on a row, each with a label and a colour.
// Points stay ordered by start; a new point goes after every point with the same or a smaller start.
class GanttSeries
{
public:
    struct Point
    {
        double start;
        double end;
        double y;
        QString label;
        quint32 color; // 0x00BBGGRR
    };

    GanttSeries() = default;
    GanttSeries(const GanttSeries&) = delete;
    GanttSeries& operator=(const GanttSeries&) = delete;

    bool marksVisible() const { return m_marksVisible; } // value captions at the bars (never drawn)
    void setMarksVisible(bool on);
    int transparency() const { return m_transparency; } // percent, 0 opaque .. 100 invisible
    void setTransparency(int percent);
    int barHalfHeight() const { return m_barHalfHeight; } // pixels above and below the row line
    void setBarHalfHeight(int pixels);

    void clear();
    int count() const { return int(m_points.size()); }
    // Adds a bar and returns its index (indexes of later points move up by one). An end before the
    // start is kept as given. Throws Exception for a value that is not finite.
    int add(double start, double end, double y, const QString& label, quint32 color);

    const Point& point(int i) const { return m_points.at(i); }
    double start(int i) const { return m_points.at(i).start; }
    double end(int i) const { return m_points.at(i).end; }
    double y(int i) const { return m_points.at(i).y; }
    const QString& label(int i) const { return m_points.at(i).label; }
    quint32 color(int i) const { return m_points.at(i).color; }

    // Indexes [first, last) of the points whose bar may reach into lo..hi on the start/end axis;
    // every bar outside this slice lies wholly outside lo..hi. Found by binary search on start.
    std::pair<int, int> candidatesIn(double lo, double hi) const;

    // Extent of the data (both values of every bar; y of every point); false when empty.
    bool xExtent(double& lo, double& hi) const;
    bool yExtent(double& lo, double& hi) const;

private:
    friend class Chart;
    void notify();

    QList<Point> m_points;
    bool m_marksVisible = true;
    int m_transparency = 0;
    int m_barHalfHeight = 8;
    // Kept up to date by add() so extents and candidate search need no walk over the points.
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
    double m_maxForward = 0;         // largest end - start
    double m_maxBackward = 0;        // largest start - end (bars whose end lies before their start)
    std::function<void()> m_changed; // set by the owning chart
};
