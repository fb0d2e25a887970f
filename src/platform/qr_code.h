#pragma once

// QR codes over libqrencode: the square of modules that a scanner reads, for the receipts' payment
// codes. Plain C++, so that the code and its layout can be checked without a display.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A rectangle of dark modules, in modules from the code's top left corner.
struct QrRect
{
    int column = 0;
    int row = 0;
    int width = 0;
    int height = 0;
};

struct QrCode
{
    int size = 0; // modules a side, without the quiet zone
    std::vector<unsigned char> modules; // row by row, 1 for a dark module
    // The dark modules as the fewest rectangles of whole runs across or down (coverOfDarkModules),
    // worked out with the code, so that a page of codes is drawn without working them out again.
    std::vector<QrRect> cover;
    bool dark(int x, int y) const;
};

// Byte mode, error correction level M, the smallest version that holds the bytes; nothing when they
// do not fit into a code at all (about 2.3 KB), and for no bytes. While codes are being made ahead
// (QrCodesAhead), a code made there is taken rather than made again.
std::optional<QrCode> encodeQr(std::string_view bytes);

// A run of dark modules side by side in one row.
struct QrRun
{
    int row = 0;
    int column = 0;
    int length = 0;
};
std::vector<QrRun> darkRuns(const QrCode& code);

// Every dark module covered, nothing else: each rectangle is a whole dark run across a row or down a
// column, and they are as few as such runs can be (a module where a run across meets a run down needs
// only one of them). Rectangles may overlap; painted as one fill they show exactly the dark modules. A
// printed page then holds about a fifth fewer shapes than one rectangle a run across.
std::vector<QrRect> coverOfDarkModules(const QrCode& code);

// The codes of a long printout made on a second thread while its pages are drawn: the payloads in the
// order the pages ask for them, each distinct one encoded once. While this lives, encodeQr takes the
// codes from here, waiting for one that is being made and making one itself that is not begun yet, so
// that the pages never wait for codes they come to before this thread does. Codes handed out are
// forgotten, and the thread keeps only a few hundred ready, so that memory stays small however long
// the printout. One at a time; the destructor stops the thread.
class QrCodesAhead
{
public:
    explicit QrCodesAhead(std::vector<std::string> payloads);
    ~QrCodesAhead();
    QrCodesAhead(const QrCodesAhead&) = delete;
    QrCodesAhead& operator=(const QrCodesAhead&) = delete;

    // How many codes have been encoded so far, by the thread or by encodeQr on its behalf.
    int encodedCount() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};
