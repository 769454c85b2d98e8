/* stb_image built from source for the fuzz build, so ASan and UBSan instrument the decoder. */
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
