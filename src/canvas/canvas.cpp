// SPDX-License-Identifier: MIT
#include "canvas/canvas.h"

#include <stb_easy_font.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "canvas/bmp.h"
#include "platform/file_system.h"

namespace ftes::canvas {

namespace {

// Farther than this from the raster a point is certainly outside it; keeping positions inside
// this range makes every conversion to a whole pixel well defined.
constexpr double far_away = 1e6;

bool usable(const PixelPoint& p) {
    return std::isfinite(p.col) && std::isfinite(p.row) && std::fabs(p.col) < far_away &&
           std::fabs(p.row) < far_away;
}

// The whole pixel a position falls on: the nearest, a half going up. Positions lie within
// far_away of the raster, where the conversions are exact.
long whole(double v) {
    const double w = v + 0.5;
    const long toward_zero = static_cast<long>(w);
    return static_cast<double>(toward_zero) > w ? toward_zero - 1 : toward_zero;
}

// Liang-Barsky: cuts the segment a-b to the rectangle; false when nothing of it is inside.
bool clip_segment(PixelPoint& a, PixelPoint& b, double xmax, double ymax) {
    constexpr double xmin = -1, ymin = -1;
    const double dx = b.col - a.col, dy = b.row - a.row;
    double t0 = 0, t1 = 1;
    const auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, a.col - xmin) || !edge(dx, xmax - a.col) || !edge(-dy, a.row - ymin) ||
        !edge(dy, ymax - a.row)) {
        return false;
    }
    const PixelPoint start = a;
    if (t0 > 0) a = {start.col + t0 * dx, start.row + t0 * dy};
    if (t1 < 1) b = {start.col + t1 * dx, start.row + t1 * dy};
    // Rounding on huge coordinates can leave a cut end slightly off the rectangle; clamping
    // keeps the pixel walk within the raster's size.
    for (PixelPoint* p : {&a, &b}) {
        p->col = std::clamp(p->col, xmin, xmax);
        p->row = std::clamp(p->row, ymin, ymax);
    }
    return true;
}

}  // namespace

Canvas::Canvas() : pixels_(static_cast<std::size_t>(width_ * height_), 0) {}

platform::Result<> Canvas::set_size(int outer_width, int outer_height) {
    const long w = static_cast<long>(outer_width) - frame_width;
    const long h = static_cast<long>(outer_height) - frame_height;
    if (w < 1 || h < 1 || w > max_side || h > max_side) {
        return platform::Error{{}, "canvas size out of range"};
    }
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
    pixels_.assign(static_cast<std::size_t>(w * h), 0);
    return {};
}

platform::Result<> Canvas::set_scale(float left, float top, float right, float bottom) {
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) ||
        !std::isfinite(bottom) || left == right || top == bottom) {
        return platform::Error{{}, "canvas scale is empty"};
    }
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    return {};
}

PixelPoint Canvas::to_pixel(float x, float y) const {
    return {(static_cast<double>(x) - left_) * width_ / (right_ - left_),
            (static_cast<double>(y) - top_) * height_ / (bottom_ - top_)};
}

void Canvas::set(long col, long row, std::uint8_t colour) {
    if (col < 0 || row < 0 || col >= width_ || row >= height_) return;
    pixels_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(col)] = colour;
}

std::uint8_t Canvas::index_of(Rgb colour) {
    const auto found = std::find(palette_.begin(), palette_.end(), colour);
    if (found != palette_.end()) return static_cast<std::uint8_t>(found - palette_.begin());
    if (palette_.size() < max_colours) {
        palette_.push_back(colour);
        return static_cast<std::uint8_t>(palette_.size() - 1);
    }
    const auto distance = [&](Rgb c) {
        const int dr = c.r - colour.r, dg = c.g - colour.g, db = c.b - colour.b;
        return dr * dr + dg * dg + db * db;
    };
    const auto nearest = std::min_element(palette_.begin(), palette_.end(),
                                          [&](Rgb a, Rgb b) { return distance(a) < distance(b); });
    return static_cast<std::uint8_t>(nearest - palette_.begin());
}

void Canvas::draw_line(float x1, float y1, float x2, float y2, Rgb colour) {
    PixelPoint a = to_pixel(x1, y1), b = to_pixel(x2, y2);
    if (std::isnan(a.col) || std::isnan(a.row) || std::isnan(b.col) || std::isnan(b.row)) return;
    if (!clip_segment(a, b, width_, height_)) return;
    const std::uint8_t ink = index_of(colour);
    // Bresenham between the two whole pixels, both end points drawn.
    long c0 = whole(a.col), r0 = whole(a.row);
    const long c1 = whole(b.col), r1 = whole(b.row);
    const long dc = std::labs(c1 - c0), dr = -std::labs(r1 - r0);
    const long sc = c0 < c1 ? 1 : -1, sr = r0 < r1 ? 1 : -1;
    long err = dc + dr;
    for (;;) {
        set(c0, r0, ink);
        if (c0 == c1 && r0 == r1) break;
        const long e2 = 2 * err;
        if (e2 >= dr) {
            err += dr;
            c0 += sc;
        }
        if (e2 <= dc) {
            err += dc;
            r0 += sr;
        }
    }
}

void Canvas::draw_circle(float x, float y, float radius, Rgb outline) {
    const PixelPoint centre = to_pixel(x, y);
    const double r = std::fabs(static_cast<double>(radius) * width_ / (right_ - left_));
    if (!usable(centre) || !std::isfinite(r) || r > max_side) return;
    const long cc = whole(centre.col), cr = whole(centre.row), reach = whole(r);
    const std::uint8_t ink = index_of(outline);
    const std::uint8_t fill = fill_solid_ ? index_of(fill_colour_) : ink;
    // Pixels whose distance squared is within r*r + r form the usual round raster circle; the
    // outer ring of width one is the outline, the rest the inside.
    const double outer = r * r + r, inner = r * r - r;
    const long row_from = std::max(cr - reach, 0L), row_to = std::min(cr + reach, height_ - 1L);
    const long col_from = std::max(cc - reach, 0L), col_to = std::min(cc + reach, width_ - 1L);
    for (long row = row_from; row <= row_to; ++row) {
        for (long col = col_from; col <= col_to; ++col) {
            const double d2 =
                static_cast<double>((col - cc) * (col - cc) + (row - cr) * (row - cr));
            if (d2 > outer) continue;
            if (d2 > inner) {
                set(col, row, ink);
            } else if (fill_solid_) {
                set(col, row, fill);
            }
        }
    }
}

void Canvas::set_position(float x, float y) {
    position_ = to_pixel(x, y);
}

void Canvas::print_text(std::string_view text) {
    if (!usable(position_)) return;
    // The font covers printable ASCII; anything else is shown as '?'. Captions are short, so a
    // longer text is cut rather than rendered far off the area.
    constexpr std::size_t max_chars = 256;
    std::string printable;
    for (const char c : text.substr(0, max_chars)) {
        const auto u = static_cast<unsigned char>(c);
        printable.push_back(u >= 32 && u < 127 ? c : '?');
    }
    std::vector<char> quads(printable.size() * 512 + 64);
    const int count = stb_easy_font_print(0, 0, printable.data(), nullptr, quads.data(),
                                          static_cast<int>(quads.size()));
    const long at_col = whole(position_.col), at_row = whole(position_.row);
    const std::uint8_t ink = index_of(text_colour_);
    for (int q = 0; q < count; ++q) {
        // Each quad is four vertices of 16 bytes (x, y, z as floats, then a colour); vertex 0
        // is its upper-left corner and vertex 2 its lower-right one.
        const char* quad = quads.data() + static_cast<std::ptrdiff_t>(q) * 64;
        float v0[2], v2[2];
        std::memcpy(v0, quad, sizeof v0);
        std::memcpy(v2, quad + 32, sizeof v2);
        for (long row = whole(v0[1]); row < whole(v2[1]); ++row) {
            for (long col = whole(v0[0]); col < whole(v2[0]); ++col) {
                set(at_col + col, at_row + row, ink);
            }
        }
    }
}

void Canvas::clear() {
    std::fill(pixels_.begin(), pixels_.end(), index_of(background_));
}

platform::Result<> Canvas::capture_bmp(const std::string& path) const {
    return platform::create_new_file(path, codifica_bmp(pixels_.data(), width_, height_, palette_));
}

}  // namespace ftes::canvas
