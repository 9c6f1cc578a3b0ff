#pragma once
// The quotation text: tokens, "&" closes a line, "%" closes a quote. The
// generator checks it the way the saver reads it, so a quote that the font or
// the text block cannot show fails the build.
#include <string>
#include <vector>

namespace assetgen {

using Quote = std::vector<std::string>;  // stored lines, each starting with a blank

std::vector<Quote> ParseQuotes(const std::string& text);

constexpr size_t kMaxQuoteLine = 47;  // stored characters, the leading blank included

// Empty when every quote has 2 to 5 lines of at most kMaxQuoteLine characters
// that the font can draw; otherwise the first problem found.
std::string CheckQuotes(const std::vector<Quote>& quotes);

}  // namespace assetgen
