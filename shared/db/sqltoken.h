#pragma once
// Tokens of the system's SQL (Jet SQL and T-SQL). The translator works on these, never on the
// raw text, so that quotes, brackets and comments can not be mistaken for structure.
#include <QList>
#include <QString>

namespace wage::sql {

enum class Tok {
    Word,      // bare name or keyword
    Name,      // [bracketed], `backticked` or (T-SQL) "quoted" name; text without the quotes
    String,    // '...' (and Jet "..."); text is the value, quotes undoubled
    Number,
    Date,      // Jet #...#; text between the signs
    Param,     // :name; text is the name without the colon
    Variable,  // T-SQL @name / @@name; text as written
    Op,        // punctuation and operators: ( ) , . ; + - * / % = <> != < > <= >= || & ...
    End
};

struct Token {
    Tok type = Tok::End;
    QString text;
    int pos = 0;            // offset in the statement
    bool spaceBefore = false;
    bool nationalString = false; // N'...'
    bool is(const char *word) const;  // a Word equal to `word` without regard to case
    bool isOp(const char *op) const;
};

// Splits the text into tokens; the list ends with one End token. `jetStrings` reads "..." as a
// text literal (Jet) instead of a quoted name (T-SQL). Raises DbError on an unterminated
// literal, name or comment.
QList<Token> tokenize(const QString &sql, bool jetStrings);

// "GO" alone on its line ends a batch, as in the server's scripts.
bool isBatchSeparator(const QString &sql, const Token &t);

} // namespace wage::sql
