// Feeds the workbook reader two kinds of input: whole files as they come (the archive itself
// damaged), and, more often useful, well-formed archives whose parts are the input's pieces, so
// that the XML of the workbook, its relationships, shared strings, styles and sheet is what
// varies.

#include "platform/workbook_reader.h"

#include <zip.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::array<const char*, 6> PartNames = {
    "_rels/.rels",
    "xl/workbook.xml",
    "xl/_rels/workbook.xml.rels",
    "xl/worksheets/sheet1.xml",
    "xl/sharedStrings.xml",
    "xl/styles.xml",
};

// The pieces of the input between "\n----\n" separators, as the parts of a stored archive.
std::string archiveOf(std::string_view input)
{
    std::vector<std::string_view> pieces;
    const std::string_view separator = "\n----\n";
    while (pieces.size() + 1 < PartNames.size()) {
        const std::size_t at = input.find(separator);
        if (at == std::string_view::npos)
            break;
        pieces.push_back(input.substr(0, at));
        input.remove_prefix(at + separator.size());
    }
    pieces.push_back(input);

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = memory ? zip_open_from_source(memory, ZIP_TRUNCATE, &error) : nullptr;
    std::string bytes;
    if (archive) {
        zip_source_keep(memory);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            zip_source_t* part = zip_source_buffer(archive, pieces[i].data(), pieces[i].size(), 0);
            const zip_int64_t index = part ? zip_file_add(archive, PartNames[i], part, 0) : -1;
            if (index >= 0)
                zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
        }
        if (zip_close(archive) != 0) {
            zip_discard(archive);
        } else if (zip_source_open(memory) == 0) {
            zip_source_seek(memory, 0, SEEK_END);
            const zip_int64_t size = zip_source_tell(memory);
            zip_source_seek(memory, 0, SEEK_SET);
            if (size > 0) {
                bytes.resize(std::size_t(size));
                zip_source_read(memory, bytes.data(), zip_uint64_t(size));
            }
            zip_source_close(memory);
        }
    }
    if (memory)
        zip_source_free(memory);
    zip_error_fini(&error);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    WorkbookReader reader;
    WorkbookReader::Status status;
    if (input.substr(0, 2) == "PK")
        status = reader.openXlsx(input);
    else
        status = reader.openXlsx(archiveOf(input));
    if (status == WorkbookReader::Status::Read) {
        for (int row = 1; row <= 4; ++row)
            for (int column = 1; column <= 6; ++column)
                (void)reader.text(row, column);
    }
    return 0;
}
