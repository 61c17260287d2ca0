// The legacy .xls reader (BIFF inside an OLE2 container) through FreeXL. FreeXL does not report
// which sheet was active when the file was saved, so the first worksheet is read; workbooks
// made for the importers have one sheet.
//
// FreeXL 1.0.6 reads out of bounds on some crafted files (found by fuzzing: a stack-buffer
// overrun inside freexl_open's string conversion). A workbook comes from outside, so FreeXL runs
// in a child process: a crash, a hang or runaway memory there becomes a clear "damaged workbook"
// error here. The child sends the cells back through a pipe:
//
//   | record | layout                                              |
//   |--------|-----------------------------------------------------|
//   | 'N'    | u32 length, sheet name                              |
//   | 'C'    | u32 row, u32 column, u32 length, text               |
//   | 'E'    | i32 error code, u32 length, error text; ends it     |
//   | 'Z'    | end of a complete read                              |

#include "output/sheet_reader.h"

#include "core/date.h"
#include "core/text.h"

#include <freexl.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define HK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HK_ADDRESS_SANITIZER 1
#endif
#endif

namespace hk::output {

namespace {

using core::Error;

struct FreeXlCloser {
    void operator()(const void* h) const { freexl_close(h); }
};

// What went wrong, in words: a code number alone tells the user nothing.
std::string freeXlText(int rc) {
    switch (rc) {
    case FREEXL_FILE_NOT_FOUND:
        return "the file does not exist or cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "not enough memory";
    case FREEXL_CRAFTED_FILE:
        return "the file is damaged or crafted";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return "invalid OLE2 header";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return "the file ends before the data it announces: it is truncated or damaged";
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return "the file's allocation table is damaged";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "no workbook stream";
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return "invalid shared string table";
    case FREEXL_BIFF_INVALID_BOF:
        return "invalid BIFF record";
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
    case FREEXL_BIFF_UNSELECTED_SHEET:
        return "the worksheet cannot be found";
    case FREEXL_UNSUPPORTED_CHARSET:
        return "unsupported character set";
    case FREEXL_INVALID_CHARACTER:
        return "invalid character";
    case FREEXL_ILLEGAL_CELL_ROW_COL:
        return "a cell lies outside the worksheet";
    case FREEXL_ILLEGAL_RK_VALUE:
        return "a number cannot be decoded";
    default:
        return "the file is damaged (reader code " + std::to_string(rc) + ")";
    }
}

// FreeXL gives dates as "YYYY-MM-DD[ HH:MM:SS]"; the importers read day.month.year. A date that
// is no calendar date gives "" and the caller refuses the cell.
std::string dateText(const char* iso) {
    unsigned y = 0, m = 0, d = 0;
    if (iso && std::sscanf(iso, "%4u-%2u-%2u", &y, &m, &d) == 3) {
        const core::Date date{std::uint8_t(d <= 31 ? d : 0), std::uint8_t(m <= 12 ? m : 0),
                              std::uint16_t(y)};
        if (d == 0 || d > 31 || m == 0 || m > 12 || !date.isValid()) return {};
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02u.%02u.%04u", d, m, y);
        return buf;
    }
    return {};
}

} // namespace

namespace {

std::string where(unsigned r, unsigned c) {
    return "the cell at row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1);
}

// FreeXL itself, in the calling process. Used only inside the child.
core::Result<Workbook> readXlsDirect(const std::string& path, const ReadLimits& limits) {
    const void* raw = nullptr;
    int rc = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, FreeXlCloser> handle(raw);
    if (rc != FREEXL_OK) {
        int code = rc == FREEXL_FILE_NOT_FOUND ? kSheetNotFound : kSheetDamaged;
        return Error::of(code, path + ": cannot read the .xls workbook (" + freeXlText(rc) + ")");
    }
    unsigned int info = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        return Error::of(kSheetEncrypted, path + ": the workbook is password protected");
    unsigned int sheets = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        return Error::of(kSheetDamaged, path + ": the workbook has no worksheet");
    const char* name = nullptr;
    if (freexl_get_worksheet_name(raw, 0, &name) != FREEXL_OK)
        return Error::of(kSheetDamaged, path + ": cannot read the worksheet name");
    std::string sheetName = name ? name : "";
    if ((rc = freexl_select_active_worksheet(raw, 0)) != FREEXL_OK)
        return Error::of(kSheetDamaged,
                         path + ": cannot open the worksheet (" + freeXlText(rc) + ")");
    unsigned int rows = 0;
    unsigned short cols = 0;
    if ((rc = freexl_worksheet_dimensions(raw, &rows, &cols)) != FREEXL_OK)
        return Error::of(kSheetDamaged,
                         path + ": cannot read the worksheet size (" + freeXlText(rc) + ")");
    if (rows > 65536 || cols > 256)
        return Error::of(kSheetDamaged, path + ": worksheet larger than a .xls sheet can be");

    // FreeXL reads some damaged files (a truncated stream, a lost dimension record) as a sheet
    // without cells; such a file is reported, never taken as an empty list.
    if (rows == 0 || cols == 0)
        return Error::of(kSheetDamaged, path + ": no cell can be read from the worksheet \"" +
                                            sheetName +
                                            "\": the worksheet is empty or the file is damaged");

    std::vector<SheetCell> cells;
    std::uint64_t textBytes = 0;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if ((rc = freexl_get_cell_value(raw, r, c, &v)) != FREEXL_OK)
                return Error::of(kSheetDamaged, path + ": cannot read the cell at row " +
                                                    std::to_string(r + 1) + ", column " +
                                                    std::to_string(c + 1) + " (" + freeXlText(rc) +
                                                    ")");
            std::string text;
            switch (v.type) {
            case FREEXL_CELL_INT:
                text = std::to_string(v.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                if (!std::isfinite(v.value.double_value))
                    return Error::of(kSheetDamaged, path + ": " + where(r, c) +
                                                        " holds no finite number");
                text = numberText(v.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                text = v.value.text_value ? v.value.text_value : "";
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                text = dateText(v.value.text_value);
                if (text.empty())
                    return Error::of(kSheetDamaged, path + ": " + where(r, c) +
                                                        " holds an impossible date");
                break;
            case FREEXL_CELL_TIME:
                text = v.value.text_value ? v.value.text_value : "";
                break;
            default:
                break;
            }
            if (text.empty()) continue;
            if (!core::text::isValidUtf8(text))
                return Error::of(kSheetDamaged,
                                 path + ": " + where(r, c) + " holds text that is not valid UTF-8");
            textBytes += text.size();
            if (textBytes > limits.maxCellTextBytes)
                return Error::of(kSheetLimit, path + ": the cells hold more than " +
                                                  std::to_string(limits.maxCellTextBytes) +
                                                  " bytes of text");
            if (cells.size() >= limits.maxCells)
                return Error::of(kSheetLimit, path + ": the worksheet has more than " +
                                                  std::to_string(limits.maxCells) +
                                                  " filled cells");
            cells.push_back(SheetCell{r + 1, std::uint32_t(c) + 1, std::move(text)});
        }
    }
    return Workbook::fromCells(std::move(cells), std::move(sheetName), limits);
}

constexpr int kChildSeconds = 60;
constexpr rlim_t kChildMemory = rlim_t(2) << 30;

void put32(std::string& out, std::uint32_t v) {
    out.append(reinterpret_cast<const char*>(&v), 4);
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

[[noreturn]] void childMain(int fd, const std::string& path, const ReadLimits& limits) {
    // Bounded time and, outside sanitizer builds (whose shadow memory needs a huge address
    // space), bounded memory.
    rlimit cpu{kChildSeconds, kChildSeconds};
    ::setrlimit(RLIMIT_CPU, &cpu);
#if !defined(HK_ADDRESS_SANITIZER)
    rlimit mem{kChildMemory, kChildMemory};
    ::setrlimit(RLIMIT_AS, &mem);
#endif
    auto wb = readXlsDirect(path, limits);
    std::string out;
    if (!wb) {
        out += 'E';
        put32(out, std::uint32_t(wb.error().code));
        put32(out, std::uint32_t(wb.error().text.size()));
        out += wb.error().text;
    } else {
        out += 'N';
        put32(out, std::uint32_t(wb->sheetName().size()));
        out += wb->sheetName();
        for (const auto& c : wb->cells()) {
            out += 'C';
            put32(out, c.row);
            put32(out, c.col);
            put32(out, std::uint32_t(c.text.size()));
            out += c.text;
            if (out.size() >= (1u << 16)) {
                if (!writeAll(fd, out)) ::_exit(3);
                out.clear();
            }
        }
        out += 'Z';
    }
    // _exit: no atexit handlers, no flushing of stdio buffers inherited from the parent.
    ::_exit(writeAll(fd, out) ? 0 : 3);
}

struct Decoder {
    const std::string& in;
    std::size_t pos = 0;
    bool u32(std::uint32_t& v) {
        if (in.size() - pos < 4) return false;
        std::memcpy(&v, in.data() + pos, 4);
        pos += 4;
        return true;
    }
    bool text(std::string& s) {
        std::uint32_t n = 0;
        if (!u32(n) || in.size() - pos < n) return false;
        s.assign(in, pos, n);
        pos += n;
        return true;
    }
};

} // namespace

core::Result<Workbook> readXls(const std::string& path, const ReadLimits& limits) {
    auto failed = [&](const std::string& why) {
        return Error::of(kSheetDamaged, path + ": cannot read the .xls workbook (" + why + ")");
    };
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return failed(std::strerror(errno));
    pid_t pid = ::fork();
    if (pid < 0) {
        int e = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return failed(std::strerror(e));
    }
    if (pid == 0) {
        ::close(fds[0]);
        childMain(fds[1], path, limits);
    }
    ::close(fds[1]);

    // What the child may send: every cell's text plus its 13 bytes of framing.
    const std::uint64_t maxBytes =
        limits.maxCellTextBytes + std::uint64_t(limits.maxCells) * 13 + 4096;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kChildSeconds + 5);
    std::string data;
    std::string problem;
    char buf[65536];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            problem = "the reader did not finish";
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue; // the deadline check above ends it
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data.append(buf, std::size_t(n));
        if (data.size() > maxBytes) {
            problem = "the worksheet is too large";
            break;
        }
    }
    ::close(fds[0]);
    if (!problem.empty()) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!problem.empty()) return failed(problem);
    if (WIFSIGNALED(status)) return failed("the file is damaged or crafted; the reader stopped");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return failed("the reader failed");

    Decoder d{data};
    std::vector<SheetCell> cells;
    std::string sheetName;
    while (d.pos < data.size()) {
        char kind = data[d.pos++];
        if (kind == 'Z') {
            if (d.pos != data.size()) break;
            return Workbook::fromCells(std::move(cells), std::move(sheetName), limits);
        }
        if (kind == 'E') {
            std::uint32_t code = 0;
            std::string text;
            if (!d.u32(code) || !d.text(text)) break;
            return Error::of(int(code), text, path);
        }
        if (kind == 'N') {
            if (!d.text(sheetName)) break;
        } else if (kind == 'C') {
            SheetCell c;
            if (!d.u32(c.row) || !d.u32(c.col) || !d.text(c.text)) break;
            cells.push_back(std::move(c));
        } else {
            break;
        }
    }
    return failed("incomplete answer from the reader");
}

} // namespace hk::output
