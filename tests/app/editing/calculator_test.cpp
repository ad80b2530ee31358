#include "editing/calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// As a note shows it: trailing blanks trimmed, or the error text.
std::string Show(CalcEvaluator *calc, const std::string &line)
{
    std::string text = line + " ", out;
    if (calc->Evaluate(text.data(), text.size(), &out) != 0)
        return CalcErrorText(calc->Error());
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace

TEST(Calculator, ExpressionsAndTheirErrors)
{
    struct Case {
        std::string line, shown;
    } cases[] = {
        {"1+2", "3"},
        {"1 + 2 << 3", "24"},
        {"2 * 3 + 4", "10"},
        {"2 + 3 * 4 - 6 / 3", "12"},
        {"7 / 2", "3.5"},
        {"-2 ** 2", "4"},
        {"2 ** 10", "1024"},
        {"2 ** 3 ** 2", "syntax error in factor"},
        {"2 3", "3"},
        {"mod(7, 3)", "1"},
        {"ln(1) + exp(0) + cos(0) + sin(0) + tan(0)", "2"},
        {"atan(0) + asin(0) + acos(1)", "0"},
        {"sqrt(16)", "4"},
        {"0xff + #FF + %101", "515"},
        {"0x1ffffffff", "4294967295"},
        {"0x", "0"},
        {"%", "0"},
        {"1.5e2 + .5", "150.5"},
        {"25e-2", "0.25"},
        {"", "0"},
        {"// only a comment", "0"},
        {"1 + 1 // and a comment", "2"},
        {"exp(1000) 1.5", "1.5"},  // an overflow before does not spoil the number
        {"sqrt(-1) 1.5", "1.5"},
        {"1;", "unknown identifier"},
        {"1 < 2", "unknown identifier"},
        {"(1 + 2", "unknown identifier"},
        {"mod(1 2)", "unknown identifier"},
        {"never + 1", "syntax error in factor"},
        {"1 + )", "syntax error in factor"},
        {"1e999", "syntax error in a float number"},
        {"1e-999", "syntax error in a float number"},
        {"1.2.3", "syntax error in a float number"},
        {"1e", "syntax error in a float number"},
        {"1e+", "syntax error in a float number"},
        {std::string(127, '9') + " * 0", "0"},
        {std::string(128, '9'), "internal compiler error"},
        {"0x" + std::string(128, 'f'), "internal compiler error"},
        {"%" + std::string(128, '1'), "internal compiler error"},
        {std::string(128, 'v'), "internal compiler error"},
        {std::string(5000, '('), "internal compiler error"},
        {std::string(5000, '-') + "1", "internal compiler error"},
        {std::string(150, '(') + "1" + std::string(150, ')'), "1"},
    };
    CalcEvaluator calc;
    for (const Case &c : cases)
        EXPECT_EQ(c.shown, Show(&calc, c.line)) << c.line.substr(0, 40);
}

TEST(Calculator, BitwiseOperatorsWorkOnSigned32BitValues)
{
    struct Case {
        const char *line, *shown;
    } cases[] = {
        {"1 << 31", "-2147483648"},
        {"1 shl 33", "2"},
        {"-8 >> 1", "-4"},
        {"-1 shr 28", "-1"},
        {"4 & 1 + 6 and 3", "2"},
        {"5 xor 1 ^ 8", "12"},
        {"4 | 1 or 2", "7"},
        {"!4 + 1", "-6"},
        {"not 0", "-1"},
        {"4294967297 | 0", "1"},
        {"-1 & 255", "255"},
        {"2.9 | 0", "2"},
        {"-2.9 | 0", "-2"},
        {"sqrt(-1) | 0", "0"},
        {"1 / 0 | 0", "0"},
    };
    CalcEvaluator calc;
    for (const Case &c : cases)
        EXPECT_EQ(c.shown, Show(&calc, c.line)) << c.line;

    EXPECT_EQ(5u, CalcLow32(4294967296.0 + 5));
    EXPECT_EQ(0xFFFFFFFEu, CalcLow32(-2.7));
    EXPECT_EQ(0u, CalcLow32(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(0u, CalcLow32(-std::numeric_limits<double>::infinity()));
    EXPECT_EQ((unsigned)std::fmod(1e20, 4294967296.0), CalcLow32(1e20));
}

TEST(Calculator, ConstantsAndAngles)
{
    CalcEvaluator calc;
    EXPECT_EQ(0u, Show(&calc, "pi").find("3.141592654"));
    EXPECT_EQ("180", Show(&calc, "rtod(pi)"));
    EXPECT_EQ(0u, Show(&calc, "rtod(1)").find("57.29577950"));
    // Left-aligned in a field of 20 before the note trims it.
    std::string out;
    ASSERT_EQ(0, calc.Evaluate("3 ", 2, &out));
    EXPECT_EQ("3" + std::string(19, ' '), out);
}

TEST(Calculator, VariablesAndOutputModesCarryOver)
{
    CalcEvaluator calc;
    EXPECT_EQ("", Show(&calc, "x = 5"));
    EXPECT_EQ("10", Show(&calc, "x * 2"));
    EXPECT_EQ("5", Show(&calc, "X"));
    EXPECT_EQ("", Show(&calc, "(x = 7) + 1"));
    EXPECT_EQ("", Show(&calc, "a = 1 b = 6 c = 3"));
    EXPECT_EQ("", Show(&calc, "result = a + (b / (a=c))"));
    EXPECT_EQ("3", Show(&calc, "result"));
    EXPECT_EQ("syntax error in factor", Show(&calc, "result + y"));
    EXPECT_EQ("7", Show(&calc, "x"));

    std::string vars = Show(&calc, "vars");
    EXPECT_EQ(0u, vars.find("result = 3" + std::string(19, ' ') + "\r\n")) << vars;
    EXPECT_LT(vars.find("c = 3"), vars.find("x = 7"));

    EXPECT_EQ("", Show(&calc, "hex"));
    EXPECT_EQ(CALC_HEXADECIMAL, calc.OutputMode());
    EXPECT_EQ("0xFF", Show(&calc, "255"));
    EXPECT_EQ("0xFFFFFFFF", Show(&calc, "-1"));
    EXPECT_EQ("", Show(&calc, "bin"));
    EXPECT_EQ("%" + std::string(29, '0') + "101", Show(&calc, "5"));
    EXPECT_EQ("%" + std::string(32, '1'), Show(&calc, "-1"));
    EXPECT_EQ("", Show(&calc, "dec"));
    EXPECT_EQ("5", Show(&calc, "5"));
}

TEST(Calculator, HelpListsEveryKeywordAndTheLiterals)
{
    CalcEvaluator calc;
    std::string help = Show(&calc, "help");
    EXPECT_EQ(help, Show(&calc, "?"));
    EXPECT_EQ(0u, help.find("x = tan  (3.14)          // tan     in radians\r\n"));
    int lines = 0;
    for (size_t p = 0; (p = help.find("\r\n", p)) != std::string::npos; p += 2)
        lines++;
    EXPECT_EQ(CALC_KEYWORD_COUNT + 1 + 6, lines);
    EXPECT_NE(std::string::npos, help.find("// this help\r\n\r\nLiteral Constants\r\n"));
    EXPECT_NE(std::string::npos, help.find("1.23e-1        // Float       value\r\n"));
}

TEST(Calculator, SharedEvaluatorKeepsVariablesAcrossNotes)
{
    CalcInit();
    std::string out;
    EXPECT_EQ(0, CalcEvaluate("shared = 41 ", 12, &out));
    EXPECT_EQ("", out);
    EXPECT_EQ(0, CalcEvaluate("shared + 1 ", 11, &out));
    EXPECT_EQ(0u, out.find("42 "));
    EXPECT_EQ(-1, CalcEvaluate("shared; ", 8, &out));
    EXPECT_EQ("unknown identifier", out);
    CalcFree();
    EXPECT_EQ(-1, CalcEvaluate("shared ", 7, &out));
    EXPECT_EQ("syntax error in factor", out);
    CalcFree();
}
