// PNG files of pictures in the host's pixel format: top-down rows of
// 0x00RRGGBB, as the window image and makeTopDownDib hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin_host.h"

namespace pluginhost {

// Writes width x height pixels as a PNG file; false on failure.
bool writePng(const std::string& path, const uint32_t* bits, int width, int height);
// The bytes of the PNG file that writePng would write; false on failure.
bool encodePng(const uint32_t* bits, int width, int height, std::vector<uint8_t>* bytes);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // top-down 0x00RRGGBB rows
};

// Reads a PNG file; false when it cannot be read.
bool readPng(const std::string& path, Picture* picture);

// Writes the host's window image as a PNG file.
bool savePng(const Host& host, const std::string& path);

}  // namespace pluginhost
