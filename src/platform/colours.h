#pragma once

// Colours are kept as the settings store has always held them: 0x00BBGGRR, blue in the high byte.

#include <QColor>

// The background of what a closed month shows: it can be read and copied, not changed.
constexpr quint32 ClosedMonthColour = 0x00D8D8D8;

inline QColor fromWindowsColour(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline quint32 toWindowsColour(const QColor& colour)
{
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}
