// The general decoder for BMP files that are not the canvas's own, compiled into the program from
// the system's stb header. Only its BMP reader is built: no other format can reach it.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
