#include "database/year_archive.h"

#include "database/database_file.h"
#include "platform/file_system.h"

#include <cstring>

namespace database {
namespace {

constexpr std::size_t Chunk = 1 << 20;

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

// One file of the set: where it is (empty when the database has none), and the extension its
// copy takes after the archive's name.
struct Member
{
    std::string source;
    std::string extension; // "" for the database, ".bank" …
};

enum class Existing { Missing, Same, Different, Unreadable };

// Whether the file at `copy` holds the bytes of `source`, read piece by piece: the database is
// tens of megabytes, and a copy of it in memory would cost more than the comparison.
Existing compareFiles(const std::string& source, const std::string& copy)
{
    files::InputFile theirs;
    switch (theirs.open(copy)) {
    case files::OpenStatus::Opened: break;
    case files::OpenStatus::NotFound: return Existing::Missing;
    default: return Existing::Unreadable;
    }
    files::InputFile ours;
    if (ours.open(source) != files::OpenStatus::Opened)
        return Existing::Unreadable;
    if (ours.regularSize() != theirs.regularSize())
        return Existing::Different;
    std::string a(Chunk, '\0');
    std::string b(Chunk, '\0');
    for (;;) {
        const std::int64_t n = ours.read(a.data(), Chunk);
        if (n < 0)
            return Existing::Unreadable;
        std::int64_t m = 0;
        while (m < n) {
            const std::int64_t got = theirs.read(b.data() + m, std::size_t(n - m));
            if (got < 0)
                return Existing::Unreadable;
            if (got == 0)
                return Existing::Different;
            m += got;
        }
        if (n == 0) {
            char extra = 0;
            return theirs.read(&extra, 1) == 0 ? Existing::Same : Existing::Different;
        }
        if (std::memcmp(a.data(), b.data(), std::size_t(n)) != 0)
            return Existing::Different;
    }
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
    // Beside the file itself, not beside a link to it: two links to one database share one journal.
    const std::string target = files::resolveLinks(databasePath);
    if (fileNameOf(databasePath) == FileName)
        return files::besideFile(target, sideFileName);
    return target + extensionOf(sideFileName);
}

ArchiveResult archiveDatabase(const std::string& databasePath, const fields::YearWindow& years,
    const std::vector<std::string>& sideFiles)
{
    ArchiveResult result;
    const std::string source = files::resolveLinks(databasePath);
    if (!files::exists(source)) {
        result.error = "no database at " + source;
        return result;
    }
    std::vector<Member> members{ { source, std::string() } };
    for (const std::string& side : sideFiles) {
        const std::string file = files::resolveLinks(side);
        members.push_back({ files::exists(file) ? file : std::string(), extensionOf(fileNameOf(side)) });
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
            if (m.source.empty()) {
                ours = ours && !files::exists(archive + m.extension);
                continue;
            }
            const Existing there = compareFiles(m.source, archive + m.extension);
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
            if (m.source.empty() || compareFiles(m.source, path) == Existing::Same)
                continue;
            if (!copyFile(m.source, path, &result.error))
                return result;
            if (compareFiles(m.source, path) != Existing::Same) {
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

namespace {

// The fields of the window's first year: January's first to December's last.
std::pair<int, int> firstYearFields(const fields::YearWindow& years)
{
    return { fields::baseOfMonth(years.first(), 1),
        fields::baseOfMonth(years.first(), 12) + fields::MonthBlock - 1 };
}

} // namespace

DroppedYear dropFirstYear(RecordTable& table)
{
    DroppedYear dropped{ table.years(), {} };
    const auto [from, to] = firstYearFields(table.years());
    dropped.records.resize(std::size_t(table.recordCount()) + 1);
    for (int row = 1; row <= table.recordCount(); ++row) {
        std::string& kept = dropped.records[std::size_t(row)];
        for (int f = from; f <= to; ++f)
            kept.append(table.field(row, f)).append("|");
        table.record(row).clearKeepingOrder(from, to);
    }
    table.setYears(table.years().movedOn());
    return dropped;
}

void restoreFirstYear(RecordTable& table, const DroppedYear& dropped)
{
    const auto [from, to] = firstYearFields(dropped.years);
    for (int row = 1; row <= table.recordCount() && std::size_t(row) < dropped.records.size(); ++row) {
        std::string_view kept = dropped.records[std::size_t(row)];
        for (int f = from; f <= to; ++f) {
            const std::size_t bar = kept.find('|');
            table.set(row, f, kept.substr(0, bar));
            kept.remove_prefix(bar + 1);
        }
    }
    table.setYears(dropped.years);
}

} // namespace database
