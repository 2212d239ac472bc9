// How quenlo-fix prints a name: as it stands, or, when it holds a control
// character or bytes that are not UTF-8, in the shell-escape quoting of GNU
// coreutils. Each expected text is what `ls --quoting-style=shell-escape`
// (coreutils 9.1, C.UTF-8) printed for a file of that name.
#include "quotename.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

struct QuoteCase {
    const char *name;
    std::string raw;
    std::string printed;
};

std::ostream &operator<<(std::ostream &out, const QuoteCase &c) { return out << c.name; }

class QuoteNameTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteNameTest, shouldPrintTheNameAsCoreutilsShellEscapeDoes)
{
    const auto &c = GetParam();

    EXPECT_EQ(quenlo::cli::quotename(c.raw), c.printed);
    EXPECT_EQ(quenlo::cli::needsquoting(c.raw), c.printed != c.raw);
}

INSTANTIATE_TEST_SUITE_P(
    Names, QuoteNameTest,
    ::testing::Values(
        // Left as they are: scripts that read today's lines keep working.
        QuoteCase{"plain", "GOOD.PRJ", "GOOD.PRJ"},
        QuoteCase{"empty", "", ""},
        QuoteCase{"spacesQuotesAndBackslashes", "it's a \\ \"b\".PRJ", "it's a \\ \"b\".PRJ"},
        QuoteCase{"validUtf8", "caf\xc3\xa9 \xe6\x97\xa5\xf0\x9f\x98\x80.PRJ", "caf\xc3\xa9 \xe6\x97\xa5\xf0\x9f\x98\x80.PRJ"},
        QuoteCase{"rootedWindowsPath", "/data/b.PRJ", "/data/b.PRJ"},
        // A line break cannot start a second line.
        QuoteCase{"fakeSuccessLine", "evil.PRJ: Project file successfully fixed.\nreal.PRJ",
                  "'evil.PRJ: Project file successfully fixed.'$'\\n''real.PRJ'"},
        QuoteCase{"newlineFirst", "\nb", "''$'\\n''b'"},
        QuoteCase{"newlineLast", "a\n", "'a'$'\\n'"},
        QuoteCase{"escapesInARowShareOneDollarQuote", "a\n\nb", "'a'$'\\n\\n''b'"},
        QuoteCase{"lettersForBellToCarriageReturn", "a\a\b\t\v\f\rb", "'a'$'\\a\\b\\t\\v\\f\\r''b'"},
        QuoteCase{"terminalEscapeSequence", "a\x1b[31mb", "'a'$'\\033''[31mb'"},
        QuoteCase{"delete", "a\x7f" "b", "'a'$'\\177''b'"},
        QuoteCase{"otherControlInOctal", "\x01", "''$'\\001'"},
        QuoteCase{"singleQuoteBeforeControl", "it's\nx", "'it'\\''s'$'\\n''x'"},
        QuoteCase{"singleQuoteRightAfterEscape", "a\n'", "'a'$'\\n'\\'''"},
        QuoteCase{"singleQuoteFirst", "'\n", "''\\'''$'\\n'"},
        // Here coreutils 9.1 prints '''a'\'''$'\n', with a stray '' left over
        // from a first pass over the name; both read back as the same name.
        QuoteCase{"singleQuoteAfterACharacterBeforeAnEscape", "a'\n", "'a'\\'''$'\\n'"},
        QuoteCase{"backslashStaysLiteral", "a\\b\nc", "'a\\b'$'\\n''c'"},
        QuoteCase{"validUtf8InsideQuotedName", "\xc3\xa9\n", "'\xc3\xa9'$'\\n'"},
        // U+0085, a C1 control: each byte in octal.
        QuoteCase{"c1Control", "\xc2\x85x", "''$'\\302\\205''x'"},
        // Not UTF-8: each byte that is not part of a valid sequence in octal.
        QuoteCase{"invalidByte", "\xff.PRJ", "''$'\\377''.PRJ'"},
        QuoteCase{"sequenceCutByTheEnd", "a\xc3", "'a'$'\\303'"},
        QuoteCase{"sequenceCutByAnotherCharacter", "\xe2\x82x", "''$'\\342\\202''x'"},
        QuoteCase{"encodedSurrogate", "\xed\xa0\x80", "''$'\\355\\240\\200'"},
        QuoteCase{"overlongSlash", "\xc0\xaf", "''$'\\300\\257'"},
        QuoteCase{"beyondLastCodePoint", "\xf4\x90\x80\x80", "''$'\\364\\220\\200\\200'"},
        QuoteCase{"strayContinuationBeforeValidCharacter", "\x80\xc3\xa9", "''$'\\200''\xc3\xa9'"},
        // Beyond coreutils: what breaks, reorders or fakes a line of ours.
        QuoteCase{"lineSeparator", "a\xe2\x80\xa8" "b", "'a'$'\\342\\200\\250''b'"},
        QuoteCase{"paragraphSeparator", "\xe2\x80\xa9", "''$'\\342\\200\\251'"},
        QuoteCase{"rightToLeftOverride", "a\xe2\x80\xaeJRP.exe", "'a'$'\\342\\200\\256''JRP.exe'"},
        QuoteCase{"isolateAndMark", "\xe2\x81\xa6\xe2\x80\x8f", "''$'\\342\\201\\246\\342\\200\\217'"},
        QuoteCase{"notABidiControl", "\xe2\x80\xaf\xe2\x81\xaa", "\xe2\x80\xaf\xe2\x81\xaa"},
        QuoteCase{"fakeOutcome", "pay.PRJ: Project file already fixed. x.PRJ", "'pay.PRJ: Project file already fixed. x.PRJ'"},
        QuoteCase{"colonWithoutSpace", "C:a.PRJ", "C:a.PRJ"},
        QuoteCase{"spaceAtEitherEnd", " a.PRJ ", "' a.PRJ '"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
