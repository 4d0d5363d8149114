// SPDX-License-Identifier: MIT
// stb's image decoder, for the tests only: an independent reading of the BMP files the canvas
// writes. Only its BMP reader is built.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb_image.h>
