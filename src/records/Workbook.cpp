#include "records/Workbook.h"

#include "core/Error.h"
#include "records/Exports.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

namespace aql::records {
namespace {

constexpr const char *kSource = "workbookBytes";

AqlError workbookError(const std::string &why) {
    return AqlError(errc::kPathFileAccess, kSource, "Could not write the Excel workbook: " + why);
}

void check(lxw_error result, const char *doing) {
    if (result != LXW_NO_ERROR) {
        throw workbookError(std::string(doing) + ": " + lxw_strerror(result));
    }
}

// --- Texts -------------------------------------------------------------------------------------

// The program's texts are single bytes. Files reaching it from Windows machines carry the Western
// code page, whose 0x80-0x9F are printable (the euro sign, typographic quotes); the five it leaves
// undefined stay the control characters Latin-1 has there.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePoint(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return b >= 0x80 && b <= 0x9F ? kWindows1252High[b - 0x80] : char32_t{b};
}

// XML 1.0, which the workbook's parts are, cannot hold most of these at all.
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string utf8(const std::u32string &text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text) {
        appendUtf8(out, c);
    }
    return out;
}

// A property text: control characters become blanks.
std::string propertyText(std::string_view bytes) {
    std::u32string text;
    for (char byte : bytes) {
        const char32_t c = codePoint(byte);
        text += isControl(c) ? U' ' : c;
    }
    return utf8(text);
}

// --- Numbers -----------------------------------------------------------------------------------

// A CSV value that reads as a finite number, read the same way whatever the user's locale.
std::optional<double> numberIn(std::string_view text) {
    double value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool isLeapYear(std::int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Excel's calendar runs from 1900 to 9999; a moment outside it, or one no calendar has, stays text.
std::optional<lxw_datetime> calendarMoment(const Timestamp &t) {
    static constexpr std::int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1900 || t.year > 9999 || t.month < 1 || t.month > 12 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
        return std::nullopt;
    }
    const std::int32_t days = kDays[t.month - 1] + (t.month == 2 && isLeapYear(t.year) ? 1 : 0);
    if (t.day < 1 || t.day > days) {
        return std::nullopt;
    }
    lxw_datetime moment{};
    moment.year = t.year;
    moment.month = t.month;
    moment.day = t.day;
    moment.hour = t.hour;
    moment.min = t.minute;
    moment.sec = t.second;
    return moment;
}

// The workbook library prints every fraction (cell values, column widths, page margins) with the
// C library's printf, which writes the numeric locale's separator: "7,25" in a German or Dutch
// locale, which no spreadsheet reads back. Qt adopts the user's locale on Linux, so the classic
// locale is put in place for the duration of the writing, and only when it is needed.
class ClassicNumericLocale {
public:
    ClassicNumericLocale() {
        const std::lconv *conventions = std::localeconv();
        if (conventions != nullptr && std::strcmp(conventions->decimal_point, ".") == 0) {
            return;
        }
        const char *current = std::setlocale(LC_NUMERIC, nullptr);
        m_saved = current != nullptr ? current : "C";
        m_switched = std::setlocale(LC_NUMERIC, "C") != nullptr;
    }
    ~ClassicNumericLocale() {
        if (m_switched) {
            std::setlocale(LC_NUMERIC, m_saved.c_str());
        }
    }
    ClassicNumericLocale(const ClassicNumericLocale &) = delete;
    ClassicNumericLocale &operator=(const ClassicNumericLocale &) = delete;

private:
    std::string m_saved;
    bool m_switched = false;
};

// --- Scratch folder ----------------------------------------------------------------------------

// The workbook library writes only to a named file and keeps its own scratch files while it
// assembles one. Both go into a folder that this call creates under a random name: creating a
// folder fails if the name exists, so nobody can plant a file or a link where the workbook goes,
// and only the owner may enter it (on Windows the user's own temporary folder sees to that). It is
// removed with everything in it on every way out.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path &requested) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = requested.empty() ? fs::temp_directory_path(ec) : requested;
        if (ec) {
            throw workbookError("no folder for temporary files (" + ec.message() + ")");
        }
        if (!fs::is_directory(base, ec)) {
            throw workbookError("the folder for temporary files " + base.u8string() +
                                (fs::exists(base, ec) ? " is not a folder" : " does not exist"));
        }
        std::mt19937_64 random(seed());
        constexpr int kAttempts = 100;
        for (int attempt = 0; attempt < kAttempts && m_path.empty(); ++attempt) {
            char name[40];
            std::snprintf(name, sizeof name, "aql-workbook-%016llx",
                          static_cast<unsigned long long>(random()));
            const fs::path candidate = base / name;
            if (fs::create_directory(candidate, ec)) {
                m_path = candidate;
            } else if (ec) {
                throw workbookError("cannot create a folder in " + base.u8string() + " (" +
                                    ec.message() + ")");
            }
        }
        if (m_path.empty()) {
            throw workbookError("no unused name for a folder in " + base.u8string());
        }
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::replace, ec);
        if (ec) {
            remove();
            throw workbookError("cannot make " + m_path.u8string() + " private (" + ec.message() +
                                ")");
        }
    }
    ~ScratchFolder() { remove(); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;

    void remove() {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }

    static std::uint64_t seed() {
        std::uint64_t value =
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        try {
            std::random_device device;
            value ^= (std::uint64_t{device()} << 32) ^ device();
        } catch (const std::exception &) {
            // The clock alone still varies; the folder's exclusive creation keeps the name safe.
        }
        return value;
    }
};

std::string readWhole(const std::filesystem::path &file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || !in) {
        throw workbookError("the finished workbook cannot be read back" +
                            (ec ? " (" + ec.message() + ")" : std::string()));
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size || size == 0) {
        throw workbookError("the finished workbook cannot be read back");
    }
    return bytes;
}

// --- The workbook ------------------------------------------------------------------------------

// An open workbook. One that is never closed on purpose (an error on the way) is closed anyway on
// destruction: that is the library's only way to free it; its file goes with the scratch folder.
class OpenWorkbook {
public:
    OpenWorkbook(const std::filesystem::path &file, const std::filesystem::path &scratch)
        : m_scratch(scratch.u8string()) {
        lxw_workbook_options options{};
        // Rows go to disk as they are finished: 100,000 records in memory as cells would take
        // hundreds of megabytes. It requires writing row after row, which the table does.
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_scratch.data();
        // The largest sheet (kWorkbookMaxRecords rows of 30 cells, about 1.3 GB of XML at the
        // widest values) stays below the 4 GB where the zip container would need its 64-bit
        // extensions, which some readers do not know.
        options.use_zip64 = LXW_FALSE;
        m_book = workbook_new_opt(file.u8string().c_str(), &options);
        if (m_book == nullptr) {
            throw workbookError("the workbook library could not start a workbook");
        }
    }
    ~OpenWorkbook() {
        if (m_book != nullptr) {
            workbook_close(m_book);
        }
    }
    OpenWorkbook(const OpenWorkbook &) = delete;
    OpenWorkbook &operator=(const OpenWorkbook &) = delete;

    lxw_workbook *get() const { return m_book; }

    void close() {
        lxw_workbook *book = m_book;
        m_book = nullptr;
        check(workbook_close(book), "finishing the file");
    }

private:
    std::string m_scratch; // the library keeps a pointer to it until the workbook is closed
    lxw_workbook *m_book = nullptr;
};

void setProperties(lxw_workbook *book, const WorkbookInfo &info) {
    const std::string pool = propertyText(info.poolName);
    const std::string site = propertyText(info.siteName);
    const std::string generator =
        propertyText(info.executableName) + " V" + std::to_string(info.majorVersion) + "." +
        std::to_string(info.minorVersion) + "." + std::to_string(info.revision);
    std::string title = "Log of " + pool + (site.empty() ? "" : " (" + site + ")");
    std::string comments = "Written by " + generator;
    lxw_doc_properties properties{};
    properties.title = title.data();
    properties.comments = comments.data();
    properties.created = info.createdAt;
    check(workbook_set_properties(book, &properties), "setting the document properties");
    check(workbook_set_custom_property_string(book, "Generator", generator.c_str()),
          "setting the document properties");
    check(workbook_set_custom_property_string(book, "Site", site.c_str()),
          "setting the document properties");
    check(workbook_set_custom_property_string(book, "Pool", pool.c_str()),
          "setting the document properties");
}

// The CSV export's titles, read from its own header line so both can never disagree.
std::vector<std::string> columnTitles() {
    const std::string header = exportCsvHeader();
    std::vector<std::string> titles;
    std::size_t at = header.find('"');
    while (at != std::string::npos) {
        const std::size_t end = header.find('"', at + 1);
        if (end == std::string::npos) {
            break;
        }
        titles.push_back(header.substr(at + 1, end - at - 1));
        at = header.find('"', end + 1);
    }
    return titles;
}

// Where the timestamp stands in a CSV line.
constexpr lxw_col_t kMomentColumn = 3;
constexpr std::size_t kMomentWidth = 19; // "yyyy-mm-dd hh:mm:ss"

class SheetWriter {
public:
    SheetWriter(lxw_workbook *book, lxw_worksheet *sheet)
        : m_sheet(sheet), m_titles(columnTitles()), m_widest(m_titles.size(), 0) {
        m_bold = workbook_add_format(book);
        m_moment = workbook_add_format(book);
        if (m_bold == nullptr || m_moment == nullptr) {
            throw workbookError("out of memory");
        }
        format_set_bold(m_bold);
        format_set_num_format(m_moment, "yyyy-mm-dd hh:mm:ss");
        m_fields.reserve(m_titles.size());
    }

    void writeTitles() {
        for (std::size_t col = 0; col < m_titles.size(); ++col) {
            check(worksheet_write_string(m_sheet, 0, static_cast<lxw_col_t>(col),
                                         m_titles[col].c_str(), m_bold),
                  "writing the title row");
        }
    }

    // The values are the record's own CSV line read back, so the sheet holds what the CSV export
    // holds, column for column, and a pH the decimals the CSV prints (6.8), not the binary
    // single-precision value (6.80000019...).
    void writeRecord(lxw_row_t row, const LogRecord &record) {
        if (record.values() == nullptr || record.timestamp() == nullptr) {
            writeHeaderOnly(row, record);
            return;
        }
        m_line.clear();
        record.appendCSV(m_line);
        splitFields();
        for (std::size_t col = 0; col < m_fields.size(); ++col) {
            if (col == kMomentColumn) {
                writeMoment(row, *record.timestamp(), m_fields[col]);
            } else {
                writeValue(row, static_cast<lxw_col_t>(col), m_fields[col]);
            }
        }
    }

    // The frozen title row, the filter over the table and the widths, once the rows are known.
    void finish(lxw_row_t lastRow) {
        const auto lastColumn = static_cast<lxw_col_t>(m_titles.size() - 1);
        worksheet_freeze_panes(m_sheet, 1, 0);
        check(worksheet_autofilter(m_sheet, 0, 0, lastRow, lastColumn), "adding the filter");
        for (std::size_t col = 0; col < m_titles.size(); ++col) {
            check(worksheet_set_column(m_sheet, static_cast<lxw_col_t>(col),
                                       static_cast<lxw_col_t>(col), width(col), nullptr),
                  "setting the column widths");
        }
    }

private:
    lxw_worksheet *m_sheet;
    lxw_format *m_bold = nullptr;
    lxw_format *m_moment = nullptr;
    std::vector<std::string> m_titles;
    std::vector<std::size_t> m_widest; // the longest value text of each column
    std::string m_line;
    std::vector<std::string_view> m_fields;

    void splitFields() {
        m_fields.clear();
        std::string_view rest = m_line;
        for (;;) {
            const std::size_t comma = rest.find(',');
            m_fields.push_back(rest.substr(0, comma));
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }

    void noteWidth(lxw_col_t col, std::size_t characters) {
        if (col < m_widest.size()) {
            m_widest[col] = std::max(m_widest[col], characters);
        }
    }

    void writeNumber(lxw_row_t row, lxw_col_t col, double value, std::size_t characters) {
        check(worksheet_write_number(m_sheet, row, col, value, nullptr), "writing a value");
        noteWidth(col, characters);
    }

    void writeText(lxw_row_t row, lxw_col_t col, std::string_view text) {
        // The CSV's texts are ASCII: digits, signs and separators, or a pH such as "nan".
        const std::string copy(text);
        check(worksheet_write_string(m_sheet, row, col, copy.c_str(), nullptr), "writing a value");
        noteWidth(col, text.size());
    }

    void writeValue(lxw_row_t row, lxw_col_t col, std::string_view text) {
        if (const auto number = numberIn(text)) {
            writeNumber(row, col, *number, text.size());
        } else if (!text.empty()) {
            writeText(row, col, text);
        }
    }

    void writeMoment(lxw_row_t row, const Timestamp &timestamp, std::string_view text) {
        if (auto moment = calendarMoment(timestamp)) {
            check(worksheet_write_datetime(m_sheet, row, kMomentColumn, &*moment, m_moment),
                  "writing a date");
            noteWidth(kMomentColumn, kMomentWidth);
        } else {
            writeText(row, kMomentColumn, text);
        }
    }

    void writeHeaderOnly(lxw_row_t row, const LogRecord &record) {
        auto integer = [&](lxw_col_t col, std::int32_t value) {
            writeNumber(row, col, value, std::to_string(value).size());
        };
        integer(0, record.recordType);
        integer(1, record.recordKey);
        integer(2, record.recordNumber);
        if (record.timestamp() != nullptr) {
            writeMoment(row, *record.timestamp(), record.timestamp()->toANSI());
        }
        integer(4, record.systemTemperature);
    }

    // In widths of a digit of the default font. Letters are on average a little narrower than
    // digits, bold a little wider; the title shares its cell with the filter's drop-down button.
    double width(std::size_t col) const {
        constexpr double kTitleExtra = 3.5;
        constexpr double kValueExtra = 2.0;
        constexpr double kNarrowest = 6.0;
        constexpr double kWidest = 60.0;
        const double title = static_cast<double>(m_titles[col].size()) + kTitleExtra;
        const double value = static_cast<double>(m_widest[col]) + kValueExtra;
        return std::clamp(std::max(title, value), kNarrowest, kWidest);
    }
};

} // namespace

std::string worksheetName(std::string_view poolName) {
    constexpr std::size_t kLongest = 31;
    constexpr std::u32string_view kRefused = U"\\/?*[]:";
    std::u32string name;
    for (char byte : poolName) {
        const char32_t c = codePoint(byte);
        name += isControl(c) || kRefused.find(c) != std::u32string_view::npos ? U'_' : c;
    }
    auto trim = [](std::u32string &text) {
        auto looseEnd = [](char32_t c) { return c == U' ' || c == U'\''; };
        while (!text.empty() && looseEnd(text.back())) {
            text.pop_back();
        }
        std::size_t first = 0;
        while (first < text.size() && looseEnd(text[first])) {
            ++first;
        }
        text.erase(0, first);
    };
    trim(name);
    if (name.size() > kLongest) {
        name.resize(kLongest);
        trim(name);
    }
    if (name.empty()) {
        return "Log";
    }
    std::u32string lower = name;
    for (char32_t &c : lower) {
        if (c >= U'A' && c <= U'Z') {
            c = c - U'A' + U'a';
        }
    }
    if (lower == U"history") {
        name += U'_';
    }
    return utf8(name);
}

std::string workbookBytes(const RecordList &records, const WorkbookInfo &info) {
    if (records.count() > kWorkbookMaxRecords) {
        throw workbookError("the log holds " + std::to_string(records.count()) +
                            " records, more than the " + std::to_string(kWorkbookMaxRecords) +
                            " one worksheet can hold");
    }
    const ScratchFolder scratch(info.scratchFolder);
    const std::filesystem::path file = scratch.path() / "log.xlsx";
    {
        const ClassicNumericLocale classicNumbers;
        OpenWorkbook book(file, scratch.path());
        setProperties(book.get(), info);
        const std::string name = worksheetName(info.poolName);
        lxw_worksheet *sheet = workbook_add_worksheet(book.get(), name.c_str());
        if (sheet == nullptr) {
            throw workbookError("the workbook library refused the worksheet \"" + name + "\"");
        }
        SheetWriter writer(book.get(), sheet);
        writer.writeTitles();
        lxw_row_t row = 0;
        records.forEach([&](const LogRecord &record) { writer.writeRecord(++row, record); });
        writer.finish(row);
        book.close();
    }
    return readWhole(file);
}

} // namespace aql::records
