#pragma once

// QR codes over libqrencode: the square of modules that a scanner reads, for the receipts' payment
// codes. Plain C++, so that the code and its layout can be checked without a display.

#include <optional>
#include <string_view>
#include <vector>

struct QrCode
{
    int size = 0; // modules a side, without the quiet zone
    std::vector<unsigned char> modules; // row by row, 1 for a dark module
    bool dark(int x, int y) const;
};

// Byte mode, error correction level M, the smallest version that holds the bytes; nothing when they
// do not fit into a code at all (about 2.3 KB), and for no bytes.
std::optional<QrCode> encodeQr(std::string_view bytes);

// A run of dark modules side by side in one row: the code is drawn as one rectangle a run, so that a
// page holds a few hundred shapes instead of a few thousand squares.
struct QrRun
{
    int row = 0;
    int column = 0;
    int length = 0;
};
std::vector<QrRun> darkRuns(const QrCode& code);
