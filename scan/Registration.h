#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>

#include "GreyImage.h"
#include "marking/PaperLayout.h"

// Finding a printed sheet on a scan or a photo: its four corner squares, and the projective
// map from the page (millimetres) to the picture (pixels) that straightens it.
namespace scan {

using marking::paper::Point;
using marking::paper::Rect;

class Homography {
public:
    // The map that takes each of `from` to the same-numbered `to`; nothing where three of
    // the points are in a line.
    static std::optional<Homography> Between(const std::array<Point, 4>& from, const std::array<Point, 4>& to);
    Point Map(Point p) const;

private:
    std::array<double, 9> m_{};
};

// The centres of the corner squares in the picture, in order around the page, clockwise as
// the picture shows it, beginning anywhere; and their side in pixels.
struct Squares {
    std::array<Point, 4> centres;
    double side = 0;
};

// The squares, or why there are none: in Chinese, for the user.
std::variant<Squares, std::string> FindSquares(const GreyImage& picture);

// The page-to-picture maps that the squares allow: the page upright, or turned half round,
// in the picture (the other two quarters would have the page's short side run down it).
std::array<std::optional<Homography>, 2> PageMaps(const Squares& squares);

// The part `area` of the page, straightened, at `pixelsPerMm`: each pixel sampled from the
// picture through `pageToPicture`, between its four neighbours; white outside the picture.
GreyImage Straighten(const GreyImage& picture, const Homography& pageToPicture, double pixelsPerMm, Rect area);

}  // namespace scan
