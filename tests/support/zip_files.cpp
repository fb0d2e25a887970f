#include "support/zip_files.h"

#include "support/files.h"

#include <zip.h>

#include <stdexcept>

std::string zipBytes(const ZipParts& parts)
{
    TempFolder folder;
    const std::string path = folder.file("parts.zip");
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        throw std::runtime_error("cannot create a zip archive");
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
        if (!source || zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0)
            throw std::runtime_error("cannot add " + name);
    }
    if (zip_close(zip) != 0)
        throw std::runtime_error("cannot write the zip archive");
    return readBytes(path);
}

ZipParts minimalWorkbook(const std::string& sheetData, const std::string& sharedItems)
{
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string relations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    ZipParts parts = {
        { "[Content_Types].xml",
            R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)" },
        { "_rels/.rels",
            R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type=")"
                + relations + R"(/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)" },
        { "xl/workbook.xml",
            R"(<?xml version="1.0" encoding="UTF-8"?>
<workbook xmlns=")"
                + main + R"(" xmlns:r=")" + relations
                + R"("><sheets><sheet name="Лист1" sheetId="1" r:id="rId1"/></sheets></workbook>)" },
        { "xl/_rels/workbook.xml.rels",
            R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type=")"
                + relations +
                R"(/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type=")"
                + relations +
                R"(/sharedStrings" Target="sharedStrings.xml"/>
</Relationships>)" },
        { "xl/worksheets/sheet1.xml",
            R"(<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns=")"
                + main + R"("><sheetData>)" + sheetData + "</sheetData></worksheet>" },
    };
    if (!sharedItems.empty())
        parts.emplace_back("xl/sharedStrings.xml",
            R"(<?xml version="1.0" encoding="UTF-8"?>
<sst xmlns=")" + main
                + R"(">)" + sharedItems + "</sst>");
    return parts;
}
