#include "acquire/results_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace arrange5 {
namespace {

using ::testing::ElementsAre;

std::vector<TableRow> rowsOf(const std::string& html) {
    auto rows = readTableRows(html, "draw_list");
    if (!rows) throw std::runtime_error("no table");
    return *rows;
}

TEST(ResultsPageTable, RowsComeInTheOrderOfTheDomRowsCollection) {
    // tfoot written before tbody still comes last, as browsers list it.
    const auto rows = rowsOf(
        "<table id=draw_list>"
        "<tfoot><tr><td>foot</td></tr></tfoot>"
        "<thead><tr><th>head</th></tr></thead>"
        "<tbody><tr><td>b1</td></tr></tbody>"
        "<tbody><tr><td>b2</td></tr></tbody>"
        "</table>");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_THAT(rows[0], ElementsAre("head"));
    EXPECT_THAT(rows[1], ElementsAre("b1"));
    EXPECT_THAT(rows[2], ElementsAre("b2"));
    EXPECT_THAT(rows[3], ElementsAre("foot"));
}

TEST(ResultsPageTable, RowsWithoutTbodyAndThCellsCount) {
    const auto rows = rowsOf(
        "<table id='draw_list'><tr><th>a</th><th>期号</th></tr>"
        "<tr><th>x</th><td>16001</td><td>12345</td></tr></table>");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[0], ElementsAre("a", "期号"));
    EXPECT_THAT(rows[1], ElementsAre("x", "16001", "12345"));
}

TEST(ResultsPageTable, NestedTableRowsAreNotRowsOfTheOuterTable) {
    const auto rows = rowsOf(
        "<table id=draw_list><tr><td>h</td></tr>"
        "<tr><td>1</td><td><table><tr><td>9</td></tr><tr><td>8</td></tr></table></td></tr>"
        "</table>");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[1].size(), 2u);
    // The nested table's text is part of the outer cell's text.
    EXPECT_NE(rows[1][1].find('9'), std::string::npos);
    EXPECT_NE(rows[1][1].find('8'), std::string::npos);
}

TEST(ResultsPageTable, CellTextIsInnerTextWithMarkupRemovedAndBlanksTrimmed) {
    const auto rows = rowsOf(
        "<table id=draw_list><tr><td>h</td></tr><tr>"
        "<td>\n   <b>16</b><i>123</i>  \n</td>"
        "<td><span>1</span><span>2</span><span>3</span><span>4</span><span>5</span></td>"
        "<td>\n  <span>1</span>\n  <span>2</span>  <span>3</span>\t<em>4</em> 5 </td>"
        "<td>a<script>var x = 1;</script><style>td{}</style>b</td>"
        "<td><!-- note -->&#49;&amp;2</td>"
        "<td>   </td>"
        "</tr></table>");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[1], ElementsAre("16123", "12345", "1 2 3 4 5", "ab", "1&2", ""));
}

TEST(ResultsPageTable, FindsTheElementByIdAndNeedsATable) {
    EXPECT_FALSE(readTableRows("<table><tr><td>1</td></tr></table>", "draw_list"));
    EXPECT_FALSE(readTableRows("<div id=draw_list><tr><td>1</td></tr></div>", "draw_list"));
    EXPECT_FALSE(readTableRows("", "draw_list"));
    EXPECT_FALSE(readTableRows("not html at all \x01\x02", "draw_list"));
    // Ids are case-sensitive, and the first element with the id wins.
    EXPECT_FALSE(readTableRows("<table id=Draw_List><tr><td>1</td></tr></table>", "draw_list"));
    const auto first = readTableRows(
        "<table id=draw_list><tr><td>first</td></tr></table>"
        "<table id=draw_list><tr><td>second</td></tr></table>",
        "draw_list");
    ASSERT_TRUE(first);
    EXPECT_THAT((*first)[0], ElementsAre("first"));

    const auto empty = readTableRows("<table id=draw_list></table>", "draw_list");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

TEST(ResultsPageTable, SloppyMarkupIsReadAsABrowserWould) {
    // Unclosed cells and rows, upper-case tags, a table inside other elements.
    const auto rows = rowsOf(
        "<html><body><div><form><TABLE ID=draw_list><TR><TD>h<TR><TD>x<TD>16001<TD>0 1 2 3 4"
        "</TABLE></form></div>");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[1], ElementsAre("x", "16001", "0 1 2 3 4"));
}

TEST(ResultsPageCells, IssueCellReadsAsTheFiveDigitIssue) {
    EXPECT_EQ(readIssueCell("16123"), 16123);
    EXPECT_EQ(readIssueCell(" \t16123\n"), 16123);
    EXPECT_EQ(readIssueCell("05001"), 5001);
    EXPECT_EQ(readIssueCell("2016123"), 16123);
    EXPECT_FALSE(readIssueCell(""));
    EXPECT_FALSE(readIssueCell("期号"));
    EXPECT_FALSE(readIssueCell("16 123"));
    EXPECT_FALSE(readIssueCell("-16123"));
    EXPECT_FALSE(readIssueCell("1612312345678"));
}

TEST(ResultsPageCells, DigitsWithOrWithoutBlanksGiveTheSameDraw) {
    const Digits expected{0, 1, 9, 8, 2};
    EXPECT_EQ(readDigitsCell("01982"), expected);
    EXPECT_EQ(readDigitsCell("0 1 9 8 2"), expected);
    EXPECT_EQ(readDigitsCell("  0\t1\n9  8 2 "), expected);
    EXPECT_EQ(readDigitsCell("0\xC2\xA0"
                             "1\xC2\xA0"
                             "9\xC2\xA0"
                             "8\xC2\xA0"
                             "2"),
              expected);
    EXPECT_EQ(readDigitsCell("0\xE3\x80\x80"
                             "1982"),
              expected);
}

TEST(ResultsPageCells, DigitsCellThatDoesNotGiveFiveDigitsIsRejected) {
    EXPECT_FALSE(readDigitsCell(""));
    EXPECT_FALSE(readDigitsCell("1234"));
    EXPECT_FALSE(readDigitsCell("1 2 3 4"));
    EXPECT_FALSE(readDigitsCell("12a45"));
    EXPECT_FALSE(readDigitsCell("待开奖"));
    EXPECT_FALSE(readDigitsCell("1,2,3,4,5"));
    EXPECT_FALSE(readDigitsCell("１２３４５"));  // full-width digits
    // A sixth digit or a note after the fifth is not dropped: the cell is refused.
    EXPECT_FALSE(readDigitsCell("019827"));
    EXPECT_FALSE(readDigitsCell("1 2 3 4 5 6"));
    EXPECT_FALSE(readDigitsCell("0 1 9 8 2 (试机号 123)"));
}

}  // namespace
}  // namespace arrange5
