#pragma once
// The map of the overview window: the districts filled by coverage, the finds
// of the last scan as dots gathered per screen cell (so dense areas keep their
// colour), the real borders on top, each district's count where it fits. The
// legend, the scale bar and the boundaries' source line sit outside the map
// (MapLegendBand), so nothing covers a district. Wheel zooms at the cursor,
// dragging pans; hovering tells what lies under the mouse.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QStringList>
#include <QWidget>

#include <array>
#include <vector>

#include "districts/district_overview.h"
#include "districts/map_drawing.h"
#include "geo/pixel_mask.h"
#include "geo/projection.h"

class QPainter;

namespace ql::ui {

class DistrictMapView : public QWidget {
    Q_OBJECT
public:
    // Fills in the tally window's hues, lightened so the dots stay visible.
    static inline const QColor CoveredFill{102, 179, 102};     // green 0,128,0
    static inline const QColor NearBorderFill{255, 201, 102};  // orange 255,165,0
    static inline const QColor UncoveredFill{255, 102, 102};   // red 255,0,0
    static inline const QColor BorderColour{40, 40, 40};
    static inline const QColor SelectedBorderColour{0, 0, 200};
    static inline const QColor CountedDot{0, 0, 0};
    static inline const QColor NotInPolygonDot{160, 0, 200};

    explicit DistrictMapView(QWidget* parent = nullptr);

    // The districts as loaded; their shapes are built again.
    void setDistricts(const DistrictMap& districts);
    // The last scan: rows and their overview stay owned by the caller and
    // must outlive the next call.
    void setScan(const std::vector<CacheRow>* rows, const DistrictOverview* overview);
    void setThreshold(double metres);
    void setSelectedDistrict(int district);
    int selectedDistrict() const { return selected_; }

    // Shows the whole state.
    void fitAll();

    // What an image of the map carries beyond the map itself.
    struct Extras {
        bool selection = true;  // the selected district's outline
    };
    // The map as drawn at the given size (in pixels of the given ratio) with
    // the present view.
    QImage renderImage(QSize size, const Extras& extras, double pixelRatio = 1.0) const;
    QImage renderImage(QSize size) const { return renderImage(size, Extras{}); }

    // Map units to pixels: pixel = offset + (x, -y) * scale.
    struct View {
        double scale = 1.0;
        QPointF offset;
    };
    // The whole state fitted into a size, whatever the widget's own view.
    View fittedView(QSize size) const;
    // The map drawn with a view, its count labels in labelFont, without the selection.
    void paintMap(QPainter& painter, QImage& image, QSize size, const View& view, const QFont& labelFont) const;
    // Where a point lies in a view.
    QPointF positionIn(const View& view, TFPoint point) const;
    // The state's height over its width as drawn (1 when nothing is loaded).
    double aspect() const;
    // Metres a pixel spans in the present view.
    double metresPerPixel() const;

    // The decisions the drawing follows, for tests.
    std::vector<FindMark> findMarks(QSize size) const;
    const std::array<LabelAnchor, DistrictCount>& labelAnchors() const { return anchors_; }
    // Where a district's count label goes, in the widget.
    QPointF labelPosition(int district) const;
    double scale() const { return scale_; }

    // What lies at a position of the widget.
    int districtAt(QPoint position) const;
    int findAt(QPoint position) const;  // row index, -1 for none
    QString toolTipAt(QPoint position) const;
    // The widget position of a point.
    QPointF positionOf(TFPoint point) const;

signals:
    void districtClicked(int district);
    void findActivated(int row);
    // The scale changed (zoom, fit, resize).
    void viewChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    View view() const { return {scale_, offset_}; }
    MapPoint mapOf(QPointF position) const;
    static PixelTransform pixelTransform(const View& view, double pixelRatio);  // map units to the image's pixels
    QColor fillOf(int district) const;
    std::vector<FindMark> findMarks(QSize size, const View& view) const;
    void paintLabels(QPainter& painter, const View& view, const QFont& font) const;
    // Lines through the chains, `width` pixels wide, in the painter's strokes
    // where they are few enough, else pixel by pixel into the image.
    void paintOutline(QPainter& painter, QImage& image, const View& view,
                      const std::vector<const std::vector<MapPoint>*>& chains, const QColor& colour, int width) const;

    const DistrictMap* districts_ = nullptr;
    const std::vector<CacheRow>* rows_ = nullptr;
    const DistrictOverview* overview_ = nullptr;
    MapProjection projection_;
    MapBounds bounds_;
    std::array<std::vector<MapPoint>, DistrictCount> outlines_;  // the finite vertices, projected
    std::array<std::vector<std::vector<MapPoint>>, DistrictCount> borders_;  // the real border's chains, projected
    unsigned generation_ = 0;  // counts the districts and scans set
    std::vector<MapPoint> dots_;  // per row; NaN when the row has no place
    std::array<LabelAnchor, DistrictCount> anchors_{};
    std::vector<std::size_t> anchorsFor_;  // the polygons' sizes the anchors were found for
    double threshold_ = DefaultBorderThreshold;
    int selected_ = -1;

    // Pixel = offset + (x, -y) * scale.
    double scale_ = 1.0;
    QPointF offset_;
    bool fitted_ = false;

    // The last picture painted and what it showed: a repaint of the same view
    // (a window moved over it, a tooltip gone) costs nothing.
    struct PaintedView {
        QSize size;
        double pixelRatio = 0.0, scale = 0.0, threshold = 0.0;
        QPointF offset;
        int selected = -1;
        unsigned generation = 0;
        bool operator==(const PaintedView&) const = default;
    };
    QImage painted_;
    PaintedView paintedView_;
    bool dragging_ = false;
    bool dragged_ = false;
    QPointF dragStart_;
};

// Metres with one decimal and a decimal comma: "245,3".
QString MetresText(double metres);

}  // namespace ql::ui
