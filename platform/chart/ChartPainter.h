#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

class Chart;
class ChartAxis;
class QPainter;

// Draws a Chart into any QPainter and rectangle, and maps between values and positions in that
// rectangle's units. pixelSize is the size of one screen pixel in those units (1 on a widget,
// about 0.2646 on a page laid out in millimetres), so bar heights, lines and fonts scale with it.
class ChartPainter
{
public:
    // Not const: asking the chart for label positions calls its next-label hook.
    explicit ChartPainter(Chart& chart);

    // Fixes where the chart goes and lays out the plot area for the chart's present state.
    void setGeometry(const QRectF& rect, double pixelSize = 1.0);
    QRectF rect() const { return m_rect; }
    double pixelSize() const { return m_pixelSize; }
    // The area inside the axes where bars are drawn (after setGeometry()).
    QRectF plotRect() const { return m_plot; }

    // setGeometry(rect, pixelSize), then draws background, walls, grid, bars and axis labels.
    void paint(QPainter& painter, const QRectF& rect, double pixelSize = 1.0);

    // Value <-> position through the bottom (x) and left (y) axes of the last layout.
    QPointF toPixel(double x, double y) const;
    double xValue(double px) const;
    double yValue(double py) const;
    // The bar under a position, or -1: of the bars hit, the one whose row line is nearest.
    int pointAt(QPointF pos) const;

    // Bars drawn by the last paint() (only bars that reach into the visible ranges are drawn).
    int barsDrawn() const { return m_barsDrawn; }

    // Colours a bar gets: its own colour with the series' transparency as alpha.
    static QColor barColor(quint32 colorRef, int transparencyPercent);

private:
    void layout();
    void paintWalls(QPainter& p) const;
    void paintGrid(QPainter& p) const;
    void paintBars(QPainter& p);
    void paintBottomLabels(QPainter& p) const;
    void paintLeftLabels(QPainter& p) const;
    QRectF barRect(int i) const;     // in local pixels
    double mapX(double value) const; // value -> local pixel
    double mapY(double value) const;

    Chart& m_chart;
    QRectF m_rect;
    QRectF m_plot;   // in the caller's units
    QRectF m_plotPx; // in pixels from the rectangle's top left
    double m_pixelSize = 1.0;
    double m_depth = 0.0;
    int m_barsDrawn = 0;
};
