#include "app/trend_export.h"

#include <xlsxwriter.h>

#include <map>
#include <memory>
#include <system_error>

#include "app/trend_model.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const {
        if (book) workbook_close(book);
    }
};

lxw_format* centred(lxw_workbook* book) {
    lxw_format* format = workbook_add_format(book);
    format_set_align(format, LXW_ALIGN_CENTER);
    format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(format, LXW_BORDER_HAIR);
    return format;
}

// A light fill for each zone's drawn cells, so the zones part at a glance as in the window.
uint32_t fillOf(TrendZone zone) {
    static const uint32_t fills[kTrendZoneCount] = {0xF4C7C3, 0xB7E1CD, 0xF6C6DA, 0xF6C6DA,
                                                    0xF6C6DA, 0xC9DAF8, 0xC9DAF8, 0xD9D2E9,
                                                    0xD9D2E9, 0xFCE8B2, 0xE6D3B3, 0xB7E1DC};
    return fills[static_cast<int>(zone)];
}

std::string utf8(const QVariant& value) {
    return value.toString().toStdString();
}

}  // namespace

void writeTrendSheet(const std::filesystem::path& file, const TrendModel& model,
                     const std::vector<int>& columns, const QString& title) {
    std::filesystem::path partial = file;
    partial += ".part";
    {
        std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new(partial.string().c_str()));
        if (!book) throw Error("无法创建 " + file.string());
        lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "走势图");
        lxw_format* titleFormat = workbook_add_format(book.get());
        format_set_bold(titleFormat);
        format_set_font_size(titleFormat, 14);
        lxw_format* header = centred(book.get());
        format_set_bold(header);
        format_set_text_wrap(header);
        format_set_bg_color(header, 0xECECE8);
        lxw_format* plain = centred(book.get());
        lxw_format* omission = centred(book.get());
        format_set_font_color(omission, 0x999999);
        lxw_format* footer = centred(book.get());
        format_set_bg_color(footer, 0xFCF8E4);
        std::map<TrendZone, lxw_format*> drawn;
        for (int z = 0; z < kTrendZoneCount; ++z) {
            lxw_format* format = centred(book.get());
            format_set_bold(format);
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_bg_color(format, fillOf(static_cast<TrendZone>(z)));
            drawn[static_cast<TrendZone>(z)] = format;
        }

        const int last = static_cast<int>(columns.size()) - 1;
        worksheet_merge_range(sheet, 0, 0, 0, last, title.toStdString().c_str(), titleFormat);
        worksheet_set_row(sheet, 1, 30, nullptr);
        for (int k = 0; k <= last; ++k) {
            const TrendColumn& column = model.column(columns[k]);
            const std::string caption =
                utf8(model.headerData(columns[k], Qt::Horizontal, TrendModel::CaptionRole));
            worksheet_set_column(sheet, k, k, column.kind == TrendColumn::Kind::Cell ? 5 : 9,
                                 nullptr);
            if (column.kind != TrendColumn::Kind::Cell) {
                worksheet_merge_range(sheet, 1, k, 2, k, caption.c_str(), header);
                continue;
            }
            // The group's caption once over its columns (those exported); its values below.
            int end = k;
            while (end < last && model.column(columns[end + 1]).headerFirst == column.headerFirst) {
                ++end;
            }
            if (columns[k] == column.headerFirst || k == 0 ||
                model.column(columns[k - 1]).headerFirst != column.headerFirst) {
                if (end > k) {
                    worksheet_merge_range(sheet, 1, k, 1, end, caption.c_str(), header);
                } else {
                    worksheet_write_string(sheet, 1, k, caption.c_str(), header);
                }
            }
            worksheet_write_string(
                sheet, 2, k,
                utf8(model.headerData(columns[k], Qt::Horizontal, Qt::DisplayRole)).c_str(),
                header);
        }
        const int draws = model.drawRows();
        for (int r = 0; r < model.rowCount(); ++r) {
            const lxw_row_t row = static_cast<lxw_row_t>(3 + r);
            for (int k = 0; k <= last; ++k) {
                const QModelIndex index = model.index(r, columns[k]);
                const TrendColumn& column = model.column(columns[k]);
                const QVariant value = index.data();
                lxw_format* format = r >= draws ? footer : plain;
                if (r < draws && column.kind == TrendColumn::Kind::Cell) {
                    format =
                        index.data(TrendModel::DrawnRole).toBool() ? drawn[column.zone] : omission;
                }
                if (r < draws && column.kind == TrendColumn::Kind::Point) {
                    format = drawn[column.zone];
                }
                bool number = false;
                const double n = value.toString().toDouble(&number);
                if (column.kind == TrendColumn::Kind::Draw || !number) {
                    worksheet_write_string(sheet, row, k, utf8(value).c_str(), format);
                } else {
                    worksheet_write_number(sheet, row, k, n, format);
                }
            }
        }
        worksheet_freeze_panes(sheet, 3, 2);
        lxw_workbook* raw = book.release();
        if (workbook_close(raw) != LXW_NO_ERROR) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw Error("无法写入 " + file.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, file, error);
    if (error) {
        std::filesystem::remove(partial, error);
        throw Error("无法写入 " + file.string() + "（" + error.message() + "）");
    }
}

}  // namespace arrange5
