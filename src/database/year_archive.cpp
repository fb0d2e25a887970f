#include "database/year_archive.h"

#include "database/database_file.h"
#include "platform/file_system.h"

#include <optional>

namespace database {
namespace {

// A database of 3001 long records is some tens of megabytes; no file of ours comes near this.
constexpr std::size_t MaxArchivedBytes = std::size_t(1) << 30;

std::string fileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionOf(const std::string& name)
{
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// One file of the set: what it holds now (nothing when the database has none), and where its copy
// goes.
struct Member
{
    std::string extension; // "" for the database, ".bank" …
    std::optional<std::string> bytes;
};

enum class Existing { Missing, Same, Different, Unreadable };

Existing compareWith(const std::string& path, const std::string& bytes)
{
    const FileBytes file = readFile(path, MaxArchivedBytes);
    switch (file.status) {
    case FileBytes::Status::NotFound: return Existing::Missing;
    case FileBytes::Status::Read: return file.bytes == bytes ? Existing::Same : Existing::Different;
    case FileBytes::Status::TooLarge: return Existing::Different;
    case FileBytes::Status::Failed: break;
    }
    return Existing::Unreadable;
}

// The archive name " (n)" for the n-th try: "Tervolin2 архив 2020-2027 (2).spb".
std::string candidate(const std::string& folderPrefix, const fields::YearWindow& years, int n)
{
    std::string name = archiveFileName(years);
    if (n > 1) {
        const std::size_t dot = name.find_last_of('.');
        name.insert(dot, " (" + std::to_string(n) + ")");
    }
    return folderPrefix + name;
}

} // namespace

std::string archiveFileName(const fields::YearWindow& years)
{
    return "Tervolin2 архив " + fields::yearText(years.first()) + "-" + fields::yearText(years.last())
        + ".spb";
}

std::string sideFilePath(const std::string& databasePath, const std::string& sideFileName)
{
    if (fileNameOf(databasePath) == FileName)
        return files::besideFile(databasePath, sideFileName);
    return databasePath + extensionOf(sideFileName);
}

ArchiveResult archiveDatabase(const std::string& databasePath, const fields::YearWindow& years,
    const std::vector<std::string>& sideFiles)
{
    ArchiveResult result;
    const std::string source = files::resolveLinks(databasePath);
    std::vector<Member> members;
    {
        FileBytes database = readFile(source, MaxArchivedBytes);
        if (database.status != FileBytes::Status::Read || database.bytes.empty()) {
            result.error = files::lastError(("read " + source).c_str());
            return result;
        }
        members.push_back({ std::string(), std::move(database.bytes) });
    }
    for (const std::string& side : sideFiles) {
        FileBytes file = readFile(files::resolveLinks(side), MaxArchivedBytes);
        Member member{ extensionOf(fileNameOf(side)), std::nullopt };
        if (file.status == FileBytes::Status::Read) {
            member.bytes = std::move(file.bytes);
        } else if (file.status != FileBytes::Status::NotFound) {
            result.error = files::lastError(("read " + side).c_str());
            return result;
        }
        members.push_back(std::move(member));
    }

    // The folder of the file itself: an archive of a database reached through a link lies beside
    // the database, where its side files are.
    const std::string prefix = files::besideFile(source, std::string());
    for (int n = 1; n <= 99; ++n) {
        const std::string archive = candidate(prefix, years, n);
        // A name whose files are these or missing is ours; a side file there that this database
        // lacks belongs to another set, and so does a differing one.
        bool ours = true;
        bool complete = true;
        for (const Member& m : members) {
            if (!m.bytes) {
                ours = ours && !files::exists(archive + m.extension);
                continue;
            }
            const Existing there = compareWith(archive + m.extension, *m.bytes);
            ours = ours && (there == Existing::Missing || there == Existing::Same);
            complete = complete && there == Existing::Same;
        }
        if (!ours)
            continue;
        result.path = archive;
        if (complete) {
            result.archived = true;
            result.reused = true;
            return result;
        }
        // The side files first, the database last: an archive whose database is there is whole.
        for (std::size_t i = members.size(); i-- > 0;) {
            const Member& m = members[i];
            const std::string path = archive + m.extension;
            if (!m.bytes || compareWith(path, *m.bytes) == Existing::Same)
                continue;
            if (!writeFile(path, *m.bytes, &result.error))
                return result;
            if (compareWith(path, *m.bytes) != Existing::Same) {
                result.error = "the copy read back differs: " + path;
                return result;
            }
        }
        result.archived = true;
        return result;
    }
    result.error = "no free archive name beside " + source;
    return result;
}

void dropFirstYear(RecordTable& table)
{
    const int year = table.years().first();
    const int from = fields::baseOfMonth(year, 1);
    const int to = fields::baseOfMonth(year, 12) + fields::MonthBlock - 1;
    for (int row = 1; row <= table.recordCount(); ++row) {
        for (int f = from; f <= to; ++f)
            table.set(row, f, std::string_view());
    }
    table.setYears(table.years().movedOn());
}

} // namespace database
