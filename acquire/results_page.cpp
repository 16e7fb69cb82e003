#include "acquire/results_page.h"

#include <gumbo.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "store/errors.h"

namespace arrange5 {

namespace {

using GumboPtr = std::unique_ptr<GumboOutput, void (*)(GumboOutput*)>;

GumboPtr parseHtml(std::string_view html) {
    GumboOutput* out = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    return GumboPtr(out, [](GumboOutput* o) { gumbo_destroy_output(&kGumboDefaultOptions, o); });
}

bool isElement(const GumboNode* node, GumboTag tag) {
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

// Template contents are not part of the document, so getElementById never finds them.
const GumboNode* findById(const GumboNode* node, std::string_view id) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT) return nullptr;
    const GumboVector* children = nullptr;
    if (node->type == GUMBO_NODE_ELEMENT) {
        const GumboAttribute* attr = gumbo_get_attribute(&node->v.element.attributes, "id");
        if (attr && id == attr->value) return node;
        children = &node->v.element.children;
    } else {
        children = &node->v.document.children;
    }
    for (unsigned i = 0; i < children->length; ++i) {
        if (const GumboNode* hit = findById(static_cast<const GumboNode*>(children->data[i]), id)) {
            return hit;
        }
    }
    return nullptr;
}

template <typename Fn>
void forEachChildElement(const GumboNode* node, GumboTag tag, Fn&& fn) {
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (isElement(child, tag)) fn(child);
    }
}

bool isBlockTag(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_LI:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_OL:
        case GUMBO_TAG_P:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_UL:
            return true;
        default:
            return false;
    }
}

bool isUnrenderedTag(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_TITLE:
            return true;
        default:
            return false;
    }
}

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Collects rendered text: '\n' marks a hard break (br, block boundary), any other run of
// white space becomes one blank, as a browser lays out normal text.
class TextCollector {
  public:
    void text(std::string_view s) {
        for (char c : s) {
            if (isAsciiSpace(c)) {
                pendingBlank_ = true;
            } else {
                flushBlank();
                out_ += c;
            }
        }
    }
    void blank() { pendingBlank_ = true; }
    void hardBreak() {
        pendingBlank_ = false;
        if (!out_.empty() && out_.back() != '\n') out_ += '\n';
    }
    void tab() {
        pendingBlank_ = false;
        out_ += '\t';
    }

    std::string finish() {
        std::size_t begin = 0, end = out_.size();
        while (begin < end && isAsciiSpace(out_[begin])) ++begin;
        while (end > begin && isAsciiSpace(out_[end - 1])) --end;
        return out_.substr(begin, end - begin);
    }

  private:
    void flushBlank() {
        if (pendingBlank_ && !out_.empty() && out_.back() != '\n' && out_.back() != '\t') {
            out_ += ' ';
        }
        pendingBlank_ = false;
    }

    std::string out_;
    bool pendingBlank_ = false;
};

void collectText(const GumboNode* node, TextCollector& text) {
    switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
            text.text(node->v.text.text);
            return;
        case GUMBO_NODE_WHITESPACE:
            text.blank();
            return;
        case GUMBO_NODE_ELEMENT: {
            const GumboTag tag = node->v.element.tag;
            if (isUnrenderedTag(tag)) return;
            if (tag == GUMBO_TAG_BR) {
                text.hardBreak();
                return;
            }
            const bool block = isBlockTag(tag);
            if (block) text.hardBreak();
            const GumboVector& children = node->v.element.children;
            for (unsigned i = 0; i < children.length; ++i) {
                collectText(static_cast<const GumboNode*>(children.data[i]), text);
            }
            if (block) text.hardBreak();
            if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) text.tab();
            return;
        }
        default:
            return;
    }
}

std::string innerText(const GumboNode* cell) {
    TextCollector text;
    const GumboVector& children = cell->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        collectText(static_cast<const GumboNode*>(children.data[i]), text);
    }
    return text.finish();
}

TableRow readRow(const GumboNode* tr) {
    TableRow row;
    const GumboVector& children = tr->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (isElement(child, GUMBO_TAG_TD) || isElement(child, GUMBO_TAG_TH)) {
            row.push_back(innerText(child));
        }
    }
    return row;
}

// Blanks between the digits of a draw: ASCII white space, no-break space, ideographic space.
std::size_t blankLength(std::string_view s, std::size_t at) {
    if (isAsciiSpace(s[at])) return 1;
    if (s.substr(at, 2) == "\xC2\xA0") return 2;
    if (s.substr(at, 3) == "\xE3\x80\x80") return 3;
    return 0;
}

// Tree building takes time that grows with the square of the nesting depth (each start tag
// looks through the open elements); a page nested a hundred thousand levels deep keeps the
// parser busy for minutes and then overflows the stack. Results pages nest a few dozen levels.
constexpr int kMaxNesting = 512;

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ':';
}

std::string lowerName(std::string_view html, std::size_t& i) {
    std::string name;
    while (i < html.size() && isNameChar(html[i])) {
        char c = html[i++];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        name += c;
    }
    return name;
}

// Elements that never hold others, or whose end tag may be left out (so that a page written
// without them still counts flat).
bool neverNests(const std::string& name) {
    static const std::set<std::string> names{
        "area",     "base",   "br",       "col",     "embed", "hr",    "img",      "input",
        "link",     "meta",   "param",    "source",  "track", "wbr",   "basefont", "bgsound",
        "frame",    "keygen", "li",       "dt",      "dd",    "p",     "rt",       "rp",
        "optgroup", "option", "colgroup", "caption", "thead", "tbody", "tfoot",    "tr",
        "td",       "th",     "html",     "head",    "body"};
    return names.count(name) > 0;
}

bool holdsRawText(const std::string& name) {
    return name == "script" || name == "style" || name == "textarea" || name == "title" ||
           name == "xmp" || name == "iframe" || name == "noembed" || name == "noframes";
}

// Whether the markup opens more than kMaxNesting elements inside each other, counted from
// the tags alone: an upper estimate, since a browser closes some elements by itself.
bool nestedTooDeeply(std::string_view html) {
    int depth = 0;
    int foreignAt = 0;  // depth of an open svg or math element, where "/>" closes a tag
    std::size_t i = 0;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        ++i;
        if (html.substr(i, 3) == "!--") {
            const std::size_t end = html.find("-->", i + 3);
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        const bool closing = i < html.size() && html[i] == '/';
        if (closing) ++i;
        const std::string name = lowerName(html, i);
        if (name.empty()) continue;
        const std::size_t tagEnd = html.find('>', i);
        if (tagEnd == std::string_view::npos) break;
        const bool selfClosed = tagEnd > i && html[tagEnd - 1] == '/';
        i = tagEnd + 1;
        if (neverNests(name)) continue;
        if (closing) {
            depth = std::max(0, depth - 1);
            if (depth < foreignAt) foreignAt = 0;
            continue;
        }
        if (holdsRawText(name)) {
            // Its text is not markup; skip to its end tag.
            std::size_t j = i;
            while ((j = html.find("</", j)) != std::string_view::npos) {
                std::size_t k = j + 2;
                if (lowerName(html, k) == name) break;
                j += 2;
            }
            if (j == std::string_view::npos) break;
            i = j + 2;  // its end tag closes nothing that was counted
            continue;
        }
        if (selfClosed && foreignAt > 0) continue;  // elsewhere a browser ignores the "/"
        if (++depth > kMaxNesting) return true;
        if (foreignAt == 0 && (name == "svg" || name == "math")) foreignAt = depth;
    }
    return false;
}

// The parser's tree costs a few hundred bytes a node: a 5 MiB page of "<p>a" or "<br>" made
// half a gigabyte of them. A year's results page has a few thousand elements.
constexpr std::size_t kMostElements = 100'000;

std::size_t startTagsIn(std::string_view html) {
    std::size_t count = 0;
    for (std::size_t i = html.find('<'); i != std::string_view::npos && i + 1 < html.size();
         i = html.find('<', i + 1)) {
        const char c = html[i + 1];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) ++count;
    }
    return count;
}

}  // namespace

std::optional<std::vector<TableRow>> readTableRows(std::string_view html, std::string_view id) {
    if (nestedTooDeeply(html)) return std::nullopt;
    if (const std::size_t tags = startTagsIn(html); tags > kMostElements) {
        throw FetchError("页面有 " + std::to_string(tags) + " 个元素，超过 " +
                         std::to_string(kMostElements) +
                         " 个，不是开奖结果页面（一年的开奖结果只有几千个元素）；没有读取它");
    }
    const GumboPtr doc = parseHtml(html);
    const GumboNode* table = findById(doc->document, id);
    if (!table || !isElement(table, GUMBO_TAG_TABLE)) return std::nullopt;

    std::vector<TableRow> head, body, foot;
    const GumboVector& children = table->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (isElement(child, GUMBO_TAG_TR)) {
            body.push_back(readRow(child));
        } else if (isElement(child, GUMBO_TAG_THEAD)) {
            forEachChildElement(child, GUMBO_TAG_TR,
                                [&](const GumboNode* tr) { head.push_back(readRow(tr)); });
        } else if (isElement(child, GUMBO_TAG_TBODY)) {
            forEachChildElement(child, GUMBO_TAG_TR,
                                [&](const GumboNode* tr) { body.push_back(readRow(tr)); });
        } else if (isElement(child, GUMBO_TAG_TFOOT)) {
            forEachChildElement(child, GUMBO_TAG_TR,
                                [&](const GumboNode* tr) { foot.push_back(readRow(tr)); });
        }
    }
    head.insert(head.end(), std::make_move_iterator(body.begin()),
                std::make_move_iterator(body.end()));
    head.insert(head.end(), std::make_move_iterator(foot.begin()),
                std::make_move_iterator(foot.end()));
    return head;
}

std::optional<int32_t> readIssueCell(std::string_view text) {
    while (!text.empty() && isAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back())) text.remove_suffix(1);
    if (text.empty() || text.size() > 9) return std::nullopt;
    int32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n % 100000;
}

std::optional<Digits> readDigitsCell(std::string_view text) {
    Digits digits{};
    std::size_t found = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (const std::size_t blank = blankLength(text, at)) {
            at += blank;
            continue;
        }
        const char c = text[at];
        if (c < '0' || c > '9' || found == digits.size()) return std::nullopt;
        digits[found++] = static_cast<int16_t>(c - '0');
        ++at;
    }
    if (found < digits.size()) return std::nullopt;
    return digits;
}

}  // namespace arrange5
