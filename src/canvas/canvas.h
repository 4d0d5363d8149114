// SPDX-License-Identifier: MIT
// The drawing surface of the chart window: an off-screen raster with a linear user scale. Each
// pixel holds an index into the canvas's palette of the colours drawn so far (a chart has seven),
// so the picture is a third of the size of an RGB one and needs no colour reduction for a GIF.
// Every pixel goes through one clipping function, so nothing drawn, however far outside the
// area its coordinates lie (even infinite or NaN), writes outside the raster or loops long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/colori.h"
#include "canvas/rgb.h"
#include "platform/error.h"

namespace ftes::canvas {

// A position on the raster in pixels, before it is rounded to a whole pixel.
struct PixelPoint {
    double col = 0;
    double row = 0;
};

class Canvas {
  public:
    // The window frame the outer size includes: 3 pixels each side and a 19-pixel caption bar.
    static constexpr int frame_width = 6;
    static constexpr int frame_height = 25;
    static constexpr int max_side = 4096;
    static constexpr std::size_t max_colours = 256;

    // A window's default drawing area, 286 x 231 pixels, scaled in pixels.
    Canvas();

    // Sizes the window by its outer size; the drawing area is that less the window frame. An
    // area that is empty or larger than max_side is refused.
    platform::Result<> set_size(int outer_width, int outer_height);
    // Maps the left/right edges to the two x values and the top/bottom edges to the two y
    // values. An empty or non-finite range is refused.
    platform::Result<> set_scale(float left, float top, float right, float bottom);

    PixelPoint to_pixel(float x, float y) const;

    void draw_line(float x1, float y1, float x2, float y2, Rgb colour);
    void set_fill_solid(bool solid) { fill_solid_ = solid; }
    void set_fill_colour(Rgb colour) { fill_colour_ = colour; }
    // A circle that stays round on the raster: the radius is measured along x.
    void draw_circle(float x, float y, float radius, Rgb outline);
    void set_position(float x, float y);
    // The text in the text colour, the upper-left corner of its box at the current position.
    void print_text(std::string_view text);
    void clear();
    // Writes the drawing area as an 8-bit paletted BMP file created at the path, which must not
    // exist yet (nothing that stands there is written through).
    platform::Result<> capture_bmp(const std::string& path) const;

  private:
    // The one way a pixel is written: anything outside the drawing area is dropped.
    void set(long col, long row, std::uint8_t colour);
    // The palette index of a colour, added to the palette when new; once the palette is full, the
    // nearest colour in it.
    std::uint8_t index_of(Rgb colour);

    int width_ = 286;
    int height_ = 231;
    double left_ = 0, top_ = 0, right_ = 286, bottom_ = 231;
    std::vector<std::uint8_t> pixels_;          // palette indices
    std::vector<Rgb> palette_{colori::sfondo};  // the background is index 0
    Rgb background_ = colori::sfondo;
    Rgb text_colour_ = colori::testo;
    bool fill_solid_ = false;
    Rgb fill_colour_{0, 0, 0};
    PixelPoint position_{};
};

}  // namespace ftes::canvas
