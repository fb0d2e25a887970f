#pragma once

// Reading a QR code back as a phone's scanner would: zbarimg on the picture, or on the first page of
// a PDF rasterised at 300 dpi with pdftoppm.

#include <string>

// The bytes of the code, exactly as encoded (no character set guessed); empty when no code is found.
std::string decodeQr(const std::string& pngOrPdfPath);
