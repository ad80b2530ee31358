// The calculator of the notes: a small recursive-descent interpreter over
// doubles with 32-bit bitwise operators, functions and named variables.
// No window system; one evaluator serves every note.
#pragma once
#include <cstddef>
#include <string>

#define CALC_TOKEN_MAX 127     // characters of one number or identifier
#define CALC_MAX_NESTING 200   // parentheses, signs and "not" in a row
#define CALC_KEYWORD_COUNT 24  // entries before the table's terminator

enum CalcError {
    CALC_SUCCESS = 0,
    CALC_BAD_FLOAT = 1,
    CALC_INCOMPLETE = 2,
    CALC_UNKNOWN_IDENTIFIER = 3,
    CALC_INTERNAL = 4,
    CALC_BAD_FACTOR = 5,
};

enum CalcOutputMode { CALC_DECIMAL = 1, CALC_BINARY = 2, CALC_HEXADECIMAL = 3 };

enum CalcToken {
    CALC_NUMBER = 256,
    CALC_TAN = 260, CALC_SIN, CALC_COS, CALC_ATAN, CALC_ASIN, CALC_ACOS, CALC_LN,
    CALC_EXP = 267, CALC_SQRT = 268, CALC_POWER = 269, CALC_RTOD = 270, CALC_MOD, CALC_PI,
    CALC_BIN, CALC_HEX, CALC_DEC, CALC_AND, CALC_XOR, CALC_NOT, CALC_OR, CALC_SHL, CALC_SHR,
    CALC_VARS = 300, CALC_VARIABLE = 301, CALC_HELP = 302,
    CALC_END = 901,
};

struct CalcKeyword {
    const char *name;
    int token;
    int reserved;
    const char *help;
};

// The keyword table, terminator included (CALC_KEYWORD_COUNT + 1 entries).
extern const CalcKeyword CalcKeywords[];

struct CalcVariable;

class CalcEvaluator {
public:
    CalcEvaluator();
    ~CalcEvaluator();
    CalcEvaluator(const CalcEvaluator &) = delete;
    CalcEvaluator &operator=(const CalcEvaluator &) = delete;

    // Evaluates the text and replaces output with what it shows: the listing
    // of "vars" or "help", then the result unless the text assigned or
    // switched the output mode. Returns 0, or -1 with Error() set.
    int Evaluate(const char *text, size_t length, std::string *output);
    int Error() const { return error; }
    double Result() const { return result; }
    int OutputMode() const { return outputMode; }

private:
    bool NextToken();
    bool ScanHexadecimal(size_t digitsStart);
    bool ScanDecimal();
    bool ScanBinary();
    bool ScanIdentifier();
    bool Fail(int code);
    bool Expression(double *value);
    bool Term(double *value);
    bool Power(double *value);
    bool Factor(double *value);
    bool FunctionCall(int function, double *value);
    bool Assignment(double *value);
    bool Expect(int token);
    void ListVariables();
    void ListHelp();
    void AppendResult();
    CalcVariable *FindVariable(const char *name);

    int error = 0;
    double result = 0;
    int outputMode = CALC_DECIMAL;
    bool printResult = true;
    std::string *output = nullptr;
    int token = CALC_END;
    double number = 0;
    char identifier[CALC_TOKEN_MAX + 1] = {};
    CalcVariable *variables = nullptr;
    std::string input;
    size_t position = 0;
    int depth = 0;
};

// Bitwise operands: truncated toward zero and reduced modulo 2^32; NaN and
// the infinities count as 0.
unsigned int CalcLow32(double value);

const char *CalcErrorText(int code);

// The evaluator every note shares, created on first use and freed at exit.
void CalcInit(void);
void CalcFree(void);
// Evaluates with the shared evaluator; output as CalcEvaluator::Evaluate, or
// the error text on failure. Returns 0 or -1.
int CalcEvaluate(const char *text, size_t length, std::string *output);
