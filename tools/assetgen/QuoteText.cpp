#include "QuoteText.h"

#include <sstream>

#include "GlyphTable.h"

namespace assetgen {

std::vector<Quote> ParseQuotes(const std::string& text) {
    std::istringstream in(text);
    std::vector<Quote> quotes;
    std::string tok;
    if (!(in >> tok)) return quotes;
    for (;;) {
        Quote q;
        while (tok[0] != '%') {
            std::string line;
            if (tok[0] != '&') line += " " + tok;
            for (;;) {
                if (!(in >> tok)) return quotes;  // end of file inside a line
                if (tok[0] == '&') break;
                line += " " + tok;
            }
            q.push_back(line);
            if (!(in >> tok)) return quotes;
        }
        quotes.push_back(q);
        if (!(in >> tok)) return quotes;
    }
}

std::string CheckQuotes(const std::vector<Quote>& quotes) {
    for (size_t i = 0; i < quotes.size(); ++i) {
        const Quote& q = quotes[i];
        const std::string where = "quote " + std::to_string(i + 1);
        if (q.size() < 2 || q.size() > 5) return where + ": needs 2 to 5 lines";
        for (const std::string& line : q) {
            if (line.size() > kMaxQuoteLine) return where + ": line too long: '" + line + "'";
            for (char ch : line)
                if (ch != ' ' && !FindGlyph(ch)) return where + ": the font has no '" + std::string(1, ch) + "'";
        }
    }
    return {};
}

}  // namespace assetgen
