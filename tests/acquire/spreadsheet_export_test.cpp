#include "acquire/spreadsheet_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "store/errors.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using Kind = SheetValue::Kind;

// A workbook is a zip file; the sheet is one XML member of it.
std::string sheetXml(const std::filesystem::path& workbook,
                     const std::string& member = "xl/worksheets/sheet1.xml") {
    const std::string command = "unzip -p '" + workbook.string() + "' " + member;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
    return out;
}

TEST(SpreadsheetExport, NumbersStayNumbersAndDigitStringsStayText) {
    EXPECT_EQ(classifyCellText("2013001").kind, Kind::Number);
    EXPECT_EQ(classifyCellText("0").kind, Kind::Number);
    EXPECT_EQ(classifyCellText("-3").kind, Kind::Number);
    EXPECT_DOUBLE_EQ(classifyCellText("12.5").number, 12.5);
    EXPECT_EQ(classifyCellText("01234").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("00000").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("1e5").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("1.").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("-").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("大").kind, Kind::Text);
    EXPECT_EQ(classifyCellText("1234567890123456").kind, Kind::Text);  // beyond a double
    const SheetValue percent = classifyCellText("25.000%");
    EXPECT_EQ(percent.kind, Kind::Percent);
    EXPECT_DOUBLE_EQ(percent.number, 0.25);
    EXPECT_EQ(classifyCellText("%").kind, Kind::Text);
}

TEST(SpreadsheetExport, CellsLandOneRowAndColumnFurther) {
    test::TempDir dir;
    const auto file = dir / "Jieguo.xlsx";
    writeSpreadsheet(file, {{"序号", "结果", "出现次数", "百分比"},
                            {"1", "大", "5", "62.500%"},
                            {"2", "小", "3", "37.500%"},
                            {"3", "01234", "", "x"}});
    const std::string xml = sheetXml(file);
    EXPECT_NE(xml.find(R"(<c r="A2"><v>1</v></c>)"), std::string::npos) << xml;
    EXPECT_NE(xml.find(R"(<c r="C3"><v>3</v></c>)"), std::string::npos);
    EXPECT_NE(xml.find(R"(<c r="D2" s="1"><v>0.625</v></c>)"), std::string::npos);
    EXPECT_NE(xml.find(R"(<c r="B4" t="s">)"), std::string::npos);
    EXPECT_EQ(xml.find(R"(r="C4")"), std::string::npos);  // empty cells stay empty
    EXPECT_EQ(xml.find(R"(r="A5")"), std::string::npos);
    EXPECT_NE(xml.find(R"(<dimension ref="A1:D4"/>)"), std::string::npos);

    // A further sheet follows Sheet1 under its own name, its cells classified the same way.
    writeSpreadsheet(file, {{"序号"}, {"1"}},
                     {{"与随机比较", {{"结果", "出现次数", "随机概率"}, {"2", "129", "10.000%"}}}});
    EXPECT_NE(sheetXml(file, "xl/workbook.xml").find(R"(<sheet name="与随机比较" sheetId="2")"),
              std::string::npos)
        << sheetXml(file, "xl/workbook.xml");
    const std::string second = sheetXml(file, "xl/worksheets/sheet2.xml");
    EXPECT_NE(second.find(R"(<c r="B2"><v>129</v></c>)"), std::string::npos) << second;
    EXPECT_NE(second.find(R"(<c r="C2" s="1"><v>0.1</v></c>)"), std::string::npos);
    EXPECT_EQ(sheetXml(file).find(R"(r="B2")"), std::string::npos);
}

TEST(SpreadsheetExport, ReplacesAnEarlierFileAndKeepsItWhenSavingFails) {
    test::TempDir dir;
    const auto file = dir / "lishi.xlsx";
    writeSpreadsheet(file, {{"期号"}, {"2013001"}, {"2013002"}});
    writeSpreadsheet(file, {{"期号"}});  // only the header row
    EXPECT_EQ(sheetXml(file).find(R"(r="A2")"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "lishi.xlsx.partial.xlsx"));

    EXPECT_THROW(writeSpreadsheet(dir / "no-such-folder" / "x.xlsx", {{"a"}}), Error);
    const std::string before = test::readFile(file);
    std::filesystem::create_directory(dir / "busy.xlsx");
    test::writeFile(dir / "busy.xlsx" / "inside", "x");
    EXPECT_THROW(writeSpreadsheet(dir / "busy.xlsx", {{"a"}}), Error);
    EXPECT_FALSE(std::filesystem::exists(dir / "busy.xlsx.partial.xlsx"));
    EXPECT_EQ(test::readFile(file), before);
}

}  // namespace
}  // namespace arrange5
