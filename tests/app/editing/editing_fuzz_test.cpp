// Hostile and truncated input for the readers of outside text: nothing may
// crash, read out of bounds or hang (the native build runs under ASan/UBSan).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "editing/calculator.h"
#include "editing/syntax_formatter.h"

namespace {

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (uint32_t)(state >> 32);
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }
};

std::string RandomText(Random *r, const std::string &alphabet, size_t maxLength)
{
    std::string s(r->Below(maxLength + 1), ' ');
    for (char &c : s)
        c = r->Below(8) == 0 ? (char)r->Next() : alphabet[r->Below(alphabet.size())];
    return s;
}

std::string Mutate(Random *r, std::string s)
{
    for (int n = (int)r->Below(6); n >= 0 && !s.empty(); n--) {
        size_t at = r->Below(s.size());
        switch (r->Below(3)) {
        case 0: s[at] = (char)r->Next(); break;
        case 1: s.erase(at, r->Below(20)); break;
        default: s.insert(at, s.substr(r->Below(s.size()), r->Below(40))); break;
        }
    }
    return s;
}

std::string ShippedConfig()
{
    std::ifstream file(SHIPPED_SYNTAX_CFG, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class PlainText : public SyntaxText {
public:
    explicit PlainText(const std::string &s) : text(s) {}
    long TextEnd() override { return (long)text.size(); }
    long ReadText(long start, long count, char *out) override
    {
        if (start < 0 || start > (long)text.size())
            return 0;
        long n = count < (long)text.size() - start ? count : (long)text.size() - start;
        memcpy(out, text.data() + start, (size_t)n);
        return n;
    }
    void ApplyBaseFormat(long, long, uint32_t) override {}
    void ApplyFormat(long start, long end, const SyntaxFormat &) override
    {
        EXPECT_TRUE(0 <= start && start <= end && end <= (long)text.size());
    }
    void ReplaceText(long start, long end, const char *s) override
    {
        ASSERT_EQ(strlen(s), (size_t)(end - start));
        text.replace((size_t)start, (size_t)(end - start), s);
    }
    void ShowSelection(bool) override {}
    std::string text;
};

void ParseAndFormat(const std::string &config, const std::string &source)
{
    SyntaxTable table;
    InitSyntaxTable(&table);
    ReadSyntaxText(&table, config.data(), config.size());
    int languages = CountSyntaxLanguages(&table);
    for (int i = 0; i < languages; i++) {
        PlainText text(source);
        EXPECT_EQ(0, FormatSyntaxRange(&table, &text, i, 0, -1, 0));
        EXPECT_EQ(source.size(), text.text.size());
    }
    FreeSyntaxTable(&table);
}

} // namespace

TEST(EditingFuzz, SyntaxConfigSurvivesTruncationAndNoise)
{
    const std::string shipped = ShippedConfig();
    ASSERT_FALSE(shipped.empty());
    const std::string source = "int main(void) { /* x */ return \"a\\\"\" + 'b'; } // end\r\n"
                               "BEGIN x := 1; (* y *) END; SELECT a FROM b -- c\n'unterminated";
    for (size_t n = 0; n <= shipped.size(); n += 7)
        ParseAndFormat(shipped.substr(0, n), source);

    Random r = {0x9E3779B97F4A7C15ull};
    const std::string alphabet = "{}|,#\n\r\t SCMCSTOPKWCSsckw0123456789-BIULZ/*\"'\\";
    for (int i = 0; i < 1500; i++) {
        std::string config = (i % 2) ? Mutate(&r, shipped) : "{x}\n" + RandomText(&r, alphabet, 400);
        ParseAndFormat(config, RandomText(&r, "/*\"'\\ \r\nabcintreturn+-;(){}", 300));
    }
}

TEST(EditingFuzz, SyntaxConfigHandlesHugeLinesAndLists)
{
    std::string config = "{" + std::string(100000, 'n') + "}\nKW|1|B|1,2,3|";
    for (int i = 0; i < 20000; i++)
        config += std::to_string(i % 977) + "x,";
    config += "\nOP|" + std::string(50000, '9') + "|B|99999999999,-99999999999,1|+\n";
    ParseAndFormat(config, "1x 2x 976x + 977x");
}

TEST(EditingFuzz, CalculatorSurvivesTruncationAndNoise)
{
    CalcEvaluator calc;
    const std::string valid = "x = 0x1F + #ab * %101 - (sqrt(2) ** 2) / mod(7, 3) shl 2 "
                              "y = !x xor 3 and 1.5e-3 or rtod(pi) vars help hex 255 bin 5 dec "
                              "z = sin(cos(tan(atan(asin(acos(ln(exp(1))))))))) // done";
    std::string out;
    for (size_t n = 0; n <= valid.size(); n++) {
        int result = calc.Evaluate(valid.data(), n, &out);
        EXPECT_TRUE(result == 0 || (result == -1 && calc.Error() >= 1 && calc.Error() <= 5));
    }
    Random r = {12345};
    const std::string alphabet = "0123456789.eE+-*/()%#!&^|?<>,=x xyzsinmodpivarshelp\r\n\t";
    for (int i = 0; i < 20000; i++) {
        std::string text = (i % 3) ? RandomText(&r, alphabet, 200) : Mutate(&r, valid);
        int result = calc.Evaluate(text.data(), text.size(), &out);
        EXPECT_TRUE(result == 0 || (result == -1 && calc.Error() >= 1 && calc.Error() <= 5));
    }
}
