// SPDX-License-Identifier: MIT
// The handheld port's SDL_image: IMG_Load for JPEG files alone, on libjpeg. Debian's
// SDL_image is linked against every format it knows (PNG, TIFF, WebP and what they load in
// turn), while the game reads five JPEG files. It decodes as SDL_image 1.2 does (libjpeg's
// defaults, 24-bit RGB), so the cells look the same.
#include <SDL.h>
#include <SDL_image.h>
#include <jpeglib.h>
#include <setjmp.h>
#include <stdio.h>

struct failure {
    struct jpeg_error_mgr manager;
    jmp_buf back;
};

// libjpeg's own handler ends the process: the caller gets NULL and the reason instead.
static void fail(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    info->err->format_message(info, message);
    SDL_SetError("%s", message);
    longjmp(((struct failure*)info->err)->back, 1);
}

static void quiet(j_common_ptr info) { (void)info; }

SDL_Surface* IMG_Load(const char* file) {
    FILE* input = fopen(file, "rb");
    if (input == NULL) {
        SDL_SetError("Couldn't open %s", file);
        return NULL;
    }
    struct jpeg_decompress_struct info;
    struct failure failure;
    SDL_Surface* volatile surface = NULL;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = fail;
    failure.manager.output_message = quiet;
    if (setjmp(failure.back)) {
        jpeg_destroy_decompress(&info);
        fclose(input);
        SDL_FreeSurface(surface);
        return NULL;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, input);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    info.quantize_colors = FALSE;
    jpeg_start_decompress(&info);
    surface = SDL_CreateRGBSurface(SDL_SWSURFACE, (int)info.output_width,
                                   (int)info.output_height, 24,
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
                                   0x0000FF, 0x00FF00, 0xFF0000,
#else
                                   0xFF0000, 0x00FF00, 0x0000FF,
#endif
                                   0);
    if (surface == NULL) {
        jpeg_destroy_decompress(&info);
        fclose(input);
        return NULL;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = (Uint8*)surface->pixels + info.output_scanline * surface->pitch;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    fclose(input);
    return surface;
}
