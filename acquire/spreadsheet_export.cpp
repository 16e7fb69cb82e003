#include "acquire/spreadsheet_export.h"

#include <xlsxwriter.h>

#include <charconv>
#include <system_error>

#include "store/errors.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

// Digits with at most one decimal point, an optional leading minus, no exponent, and no
// leading zero before another digit: what a spreadsheet would turn into the same number
// without changing how it reads.
bool isPlainNumber(std::string_view s) {
    if (!s.empty() && s.front() == '-') s.remove_prefix(1);
    if (s.empty()) return false;
    std::size_t digits = 0;
    bool point = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point && i > 0 && i + 1 < s.size()) {
            point = true;
        } else {
            return false;
        }
    }
    if (s.size() > 1 && s[0] == '0' && s[1] != '.') return false;
    // Beyond 15 significant digits a double no longer holds every digit.
    return digits <= 15;
}

double toDouble(std::string_view s) {
    double value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
}

class Workbook {
  public:
    explicit Workbook(const fs::path& file) : wb_(workbook_new(file.c_str())) {
        if (!wb_) throw Error("无法建立表格文件 " + file.string());
    }
    ~Workbook() {
        if (wb_) workbook_close(wb_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* get() { return wb_; }
    lxw_error close() {
        lxw_error err = workbook_close(wb_);
        wb_ = nullptr;
        return err;
    }

  private:
    lxw_workbook* wb_;
};

}  // namespace

SheetValue classifyCellText(const std::string& text) {
    if (isPlainNumber(text)) return {SheetValue::Kind::Number, toDouble(text)};
    if (text.size() > 1 && text.back() == '%') {
        const std::string_view body(text.data(), text.size() - 1);
        if (isPlainNumber(body)) return {SheetValue::Kind::Percent, toDouble(body) / 100.0};
    }
    return {};
}

namespace {

void writeCells(lxw_workbook* wb, lxw_format* percent, const fs::path& file,
                const std::string& name, const TextTable& cells) {
    lxw_worksheet* sheet = workbook_add_worksheet(wb, name.c_str());
    if (!sheet) throw Error("无法在 " + file.string() + " 中建立工作表“" + name + "”");
    for (std::size_t r = 0; r < cells.size(); ++r) {
        for (std::size_t k = 0; k < cells[r].size(); ++k) {
            const std::string& text = cells[r][k];
            if (text.empty()) continue;
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(k);
            const SheetValue value = classifyCellText(text);
            lxw_error err = LXW_NO_ERROR;
            switch (value.kind) {
                case SheetValue::Kind::Number:
                    err = worksheet_write_number(sheet, row, col, value.number, nullptr);
                    break;
                case SheetValue::Kind::Percent:
                    err = worksheet_write_number(sheet, row, col, value.number, percent);
                    break;
                case SheetValue::Kind::Text:
                    err = worksheet_write_string(sheet, row, col, text.c_str(), nullptr);
                    break;
            }
            if (err != LXW_NO_ERROR) {
                throw Error("无法写入 " + file.string() + " 工作表“" + name + "”第 " +
                            std::to_string(r + 1) + " 行第 " + std::to_string(k + 1) +
                            " 列的单元格：" + lxw_strerror(err));
            }
        }
    }
}

}  // namespace

void writeSpreadsheet(const fs::path& file, const TextTable& cells,
                      const std::vector<NamedSheet>& moreSheets) {
    // The workbook is written beside the target and renamed over it at the end, so a failed
    // export leaves an earlier file as it was.
    const fs::path partial = file.string() + ".partial.xlsx";
    std::error_code ec;
    fs::remove(partial, ec);
    try {
        Workbook wb(partial);
        lxw_format* percent = workbook_add_format(wb.get());
        if (!percent) throw Error("无法在 " + file.string() + " 中建立工作表");
        format_set_num_format(percent, "0.000%");
        writeCells(wb.get(), percent, file, "Sheet1", cells);
        for (const auto& sheet : moreSheets) {
            writeCells(wb.get(), percent, file, sheet.name, sheet.cells);
        }
        const lxw_error err = wb.close();
        if (err != LXW_NO_ERROR) {
            throw Error("无法保存 " + file.string() + "：" + lxw_strerror(err));
        }
    } catch (...) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw;
    }
    fs::rename(partial, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw Error("无法替换 " + file.string() + "：" + ec.message() +
                    "（这个文件是否还在别的程序中打开着？）");
    }
}

}  // namespace arrange5
