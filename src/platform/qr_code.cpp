#include "platform/qr_code.h"

#include <qrencode.h>

bool QrCode::dark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= size || y >= size)
        return false;
    return modules[static_cast<std::size_t>(y) * size + x] != 0;
}

std::optional<QrCode> encodeQr(std::string_view bytes)
{
    if (bytes.empty())
        return std::nullopt;
    // Version 0 lets the library take the smallest version that holds the data.
    QRcode* encoded = QRcode_encodeData(static_cast<int>(bytes.size()),
        reinterpret_cast<const unsigned char*>(bytes.data()), 0, QR_ECLEVEL_M);
    if (!encoded)
        return std::nullopt;
    QrCode code;
    code.size = encoded->width;
    code.modules.resize(static_cast<std::size_t>(encoded->width) * encoded->width);
    // The lowest bit of each byte is the module's colour; the others say what part of the code it is.
    for (std::size_t i = 0; i < code.modules.size(); ++i)
        code.modules[i] = encoded->data[i] & 1;
    QRcode_free(encoded);
    return code;
}

std::vector<QrRun> darkRuns(const QrCode& code)
{
    std::vector<QrRun> runs;
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size;) {
            if (!code.dark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < code.size && code.dark(x, y))
                ++x;
            runs.push_back({ y, start, x - start });
        }
    }
    return runs;
}
