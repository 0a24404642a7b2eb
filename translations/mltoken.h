#pragma once
// Results of reading a translation file, and the tokenizer that finds the one
// token a line of such a file may hold.

namespace kelvo {

enum TMlreadResult : int {
    MlNoToken = 0,              // blank or comment line
    MlEndOfInput = -1,          // no more lines
    MlBadLine = -2,             // no CR LF within the line limit, or an unclosed quote
    MlJunkAfterToken = -3,      // more than blanks and a comment after the token
    MlBadHeader = -100,         // a paragraph must start with [name]
    MlBadCategory = -101,       // an entry must start with a one-character category
    MlNoSource = -102,          // "=" came before any source line
    MlBadSource = -103,         // a source line must be a non-empty quoted text
    MlNoTranslation = -112,     // no quoted line followed the "="
    MlEmptyContinuation = -114, // only the first translation line may be ""
};

// Finds the token of one line (length bytes, no terminator). A token starting
// with a double quote runs to the last double quote of the line; any other
// token runs to the first blank. Returns the token's length with token set to
// its first character, or MlNoToken, MlBadLine or MlJunkAfterToken.
int ScanMltoken(const char* line, int length, const char*& token);

} // namespace kelvo
