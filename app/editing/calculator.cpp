#include "calculator.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#define CALC_PI_VALUE 3.141592654
#define CALC_DEGREES_PER_RADIAN 57.29577950560105
#define CALC_TWO_TO_32 4294967296.0

struct CalcVariable {
    char name[CALC_TOKEN_MAX + 1];
    double value;
    CalcVariable *next;
};

const CalcKeyword CalcKeywords[CALC_KEYWORD_COUNT + 1] = {
    {"tan", CALC_TAN, 0, "x = tan  (3.14)          // tan     in radians"},
    {"sin", CALC_SIN, 0, "x = sin  (3.14)          // sin     in radians"},
    {"cos", CALC_COS, 0, "x = cos  (3.14)          // cos     in radians"},
    {"atan", CALC_ATAN, 0, "x = atan (3.14)          // arc-tan in radians"},
    {"asin", CALC_ASIN, 0, "x = asin (3.14)          // arc-sin in radians"},
    {"acos", CALC_ACOS, 0, "x = acos (3.14)          // arc-cos in radians"},
    {"ln", CALC_LN, 0, "x = ln   (3.14)          // log"},
    {"sqrt", CALC_SQRT, 0, "x = sqrt (3.14)          // square root"},
    {"exp", CALC_EXP, 0, "x = exp  (3.14)          // exponential"},
    {"rtod", CALC_RTOD, 0, "x = sin(rtod (180))      // radians to degrees"},
    {"mod", CALC_MOD, 0, "x = mod (4,3)            // remainder"},
    {"pi", CALC_PI, 0, "x = pi                   // pi"},
    {"bin", CALC_BIN, 0, "bin                      // set output in binary"},
    {"hex", CALC_HEX, 0, "hex                      // set output in hexidecimal"},
    {"dec", CALC_DEC, 0, "dec                      // set output in decimal"},
    {"and", CALC_AND, 0, "x = 4 &  1; x = 4 and 1; // binary and        operation"},
    {"xor", CALC_XOR, 0, "x = 4 ^  1; x = 4 xor 1; // binary xor        operation"},
    {"not", CALC_NOT, 0, "x = !    1; x =   not 1; // binary not        operation"},
    {"or", CALC_OR, 0, "x = 4 |  1; x = 4 or  1; // binary or         operation"},
    {"shl", CALC_SHL, 0, "x = 1 << 2; x = 1 shl 2; // binary shift left operation"},
    {"shr", CALC_SHR, 0, "x = 2 >> 1; x = 1 shr 2; // binary shift right operation"},
    {"vars", CALC_VARS, 0, "vars                     // displays created variables and values"},
    {"", CALC_VARIABLE, 0, "result = a + (b / (a=c)) // create and assign new variables"},
    {"help", CALC_HELP, 0, "help; ?;                 // this help"},
    {"", 0, 0, ""},
};

static const char *const LiteralHelp[] = {
    "Literal Constants",
    "-----------------",
    "0xff           // Hexidecimal value",
    "#ff            // Hexidecimal value",
    "%0001          // Binary      value",
    "1.23e-1        // Float       value",
};

static const char *const ErrorTexts[] = {
    "success",
    "syntax error in a float number",
    "imcomplete expression",
    "unknown identifier",
    "internal compiler error",
    "syntax error in factor",
};

const char *CalcErrorText(int code)
{
    if (code < 0 || code > CALC_BAD_FACTOR)
        code = CALC_INTERNAL;
    return ErrorTexts[code];
}

unsigned int CalcLow32(double value)
{
    if (!std::isfinite(value))
        return 0;
    double reduced = std::fmod(std::trunc(value), CALC_TWO_TO_32);
    if (reduced < 0)
        reduced += CALC_TWO_TO_32;
    return (unsigned int)reduced;
}

static double AsSigned32(uint32_t bits)
{
    return bits <= 0x7FFFFFFFu ? (double)bits : (double)bits - CALC_TWO_TO_32;
}

static bool IsLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

static bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

static int HexDigit(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

CalcEvaluator::CalcEvaluator() {}

CalcEvaluator::~CalcEvaluator()
{
    while (variables) {
        CalcVariable *next = variables->next;
        delete variables;
        variables = next;
    }
}

bool CalcEvaluator::Fail(int code)
{
    if (error == 0)
        error = code;
    token = CALC_END;
    return false;
}

bool CalcEvaluator::ScanHexadecimal(size_t digitsStart)
{
    uint32_t value = 0;
    size_t p = digitsStart;
    while (p < input.size() && HexDigit(input[p]) >= 0) {
        if (p - digitsStart >= CALC_TOKEN_MAX)
            return Fail(CALC_INTERNAL);
        value = (value << 4) | (uint32_t)HexDigit(input[p]);
        p++;
    }
    position = p;
    number = value;
    token = CALC_NUMBER;
    return true;
}

bool CalcEvaluator::ScanDecimal()
{
    char digits[CALC_TOKEN_MAX + 1];
    size_t n = 0;
    size_t p = position;
    while (p < input.size()) {
        char c = input[p];
        bool sign = (c == '+' || c == '-') && n > 0 && digits[n - 1] == 'e';
        if (!IsDigit(c) && c != '.' && c != 'e' && !sign)
            break;
        if (c == 'e') {
            if (p + 1 >= input.size())
                return Fail(CALC_INCOMPLETE);
            char after = input[p + 1];
            if (!IsDigit(after) && after != '+' && after != '-')
                return Fail(CALC_BAD_FLOAT);
        }
        if (n >= CALC_TOKEN_MAX)
            return Fail(CALC_INTERNAL);
        digits[n++] = c;
        p++;
    }
    digits[n] = '\0';
    // A failed function earlier may have left errno set; only this conversion counts.
    errno = 0;
    char *end = nullptr;
    double value = strtod(digits, &end);
    if (errno == ERANGE || end != digits + n)
        return Fail(CALC_BAD_FLOAT);
    position = p;
    number = value;
    token = CALC_NUMBER;
    return true;
}

bool CalcEvaluator::ScanBinary()
{
    uint32_t value = 0;
    size_t p = position + 1;
    size_t start = p;
    while (p < input.size() && (input[p] == '0' || input[p] == '1')) {
        if (p - start >= CALC_TOKEN_MAX)
            return Fail(CALC_INTERNAL);
        value = (value << 1) | (uint32_t)(input[p] - '0');
        p++;
    }
    position = p;
    number = value;
    token = CALC_NUMBER;
    return true;
}

bool CalcEvaluator::ScanIdentifier()
{
    size_t n = 0;
    size_t p = position;
    while (p < input.size() && (IsLetter(input[p]) || IsDigit(input[p]))) {
        if (n >= CALC_TOKEN_MAX)
            return Fail(CALC_INTERNAL);
        identifier[n++] = input[p++];
    }
    identifier[n] = '\0';
    position = p;
    token = CALC_VARIABLE;
    for (int i = CALC_KEYWORD_COUNT - 1; i >= 0; i--)
        if (CalcKeywords[i].name[0] && strcmp(CalcKeywords[i].name, identifier) == 0) {
            token = CalcKeywords[i].token;
            break;
        }
    return true;
}

bool CalcEvaluator::NextToken()
{
    if (error)
        return false;
    while (position < input.size() && (input[position] == ' ' || input[position] == '\t' ||
                                       input[position] == '\r' || input[position] == '\n'))
        position++;
    if (position >= input.size() || input[position] == '\0') {
        token = CALC_END;
        return true;
    }
    char c = input[position];
    char next = position + 1 < input.size() ? input[position + 1] : '\0';
    if (c == '/' && next == '/') {
        position = input.size();
        token = CALC_END;
        return true;
    }
    if ((c == '<' || c == '>') && next == c) {
        position += 2;
        token = c == '<' ? CALC_SHL : CALC_SHR;
        return true;
    }
    if (c == '0' && next == 'x')
        return ScanHexadecimal(position + 2);
    if (c == '#')
        return ScanHexadecimal(position + 1);
    if (IsDigit(c) || c == '.')
        return ScanDecimal();
    if (c == '%')
        return ScanBinary();
    if (IsLetter(c))
        return ScanIdentifier();
    position++;
    switch (c) {
    case '*':
        if (next == '*') {
            position++;
            token = CALC_POWER;
        } else {
            token = '*';
        }
        return true;
    case '!': token = CALC_NOT; return true;
    case '&': token = CALC_AND; return true;
    case '^': token = CALC_XOR; return true;
    case '|': token = CALC_OR; return true;
    case '?': token = CALC_HELP; return true;
    case '(': case ')': case '+': case ',': case '-': case '/': case '=':
        token = c;
        return true;
    default:
        return Fail(CALC_UNKNOWN_IDENTIFIER);
    }
}

bool CalcEvaluator::Expect(int expected)
{
    if (token != expected)
        return false;
    return NextToken();
}

static bool IsExpressionOperator(int token)
{
    switch (token) {
    case '+': case '-': case CALC_OR: case CALC_AND: case CALC_XOR: case CALC_SHL: case CALC_SHR:
        return true;
    default:
        return false;
    }
}

static double ApplyExpressionOperator(int op, double a, double b)
{
    uint32_t x = CalcLow32(a), y = CalcLow32(b);
    switch (op) {
    case '+': return a + b;
    case '-': return a - b;
    case CALC_OR: return AsSigned32(x | y);
    case CALC_AND: return AsSigned32(x & y);
    case CALC_XOR: return AsSigned32(x ^ y);
    case CALC_SHL: return AsSigned32(x << (y & 31));
    default: {
        // Arithmetic shift, written out so it does not rest on the compiler.
        unsigned n = y & 31;
        uint32_t shifted = x >> n;
        if ((x & 0x80000000u) && n > 0)
            shifted |= ~(0xFFFFFFFFu >> n);
        return AsSigned32(shifted);
    }
    }
}

bool CalcEvaluator::Expression(double *value)
{
    if (!Term(value))
        return false;
    while (IsExpressionOperator(token)) {
        int op = token;
        double right;
        if (!NextToken() || !Term(&right))
            return false;
        *value = ApplyExpressionOperator(op, *value, right);
    }
    return true;
}

bool CalcEvaluator::Term(double *value)
{
    if (!Power(value))
        return false;
    while (token == '*' || token == '/') {
        int op = token;
        double right;
        if (!NextToken() || !Power(&right))
            return false;
        *value = op == '*' ? *value * right : *value / right;
    }
    return true;
}

bool CalcEvaluator::Power(double *value)
{
    if (!Factor(value))
        return false;
    if (token == CALC_POWER) {
        double exponent;
        if (!NextToken() || !Factor(&exponent))
            return false;
        *value = std::pow(*value, exponent);
    }
    return true;
}

bool CalcEvaluator::FunctionCall(int function, double *value)
{
    double x;
    if (!NextToken() || !Expect('(') || !Expression(&x) || !Expect(')'))
        return false;
    switch (function) {
    case CALC_TAN: *value = std::tan(x); break;
    case CALC_SIN: *value = std::sin(x); break;
    case CALC_COS: *value = std::cos(x); break;
    case CALC_ATAN: *value = std::atan(x); break;
    case CALC_ASIN: *value = std::asin(x); break;
    case CALC_ACOS: *value = std::acos(x); break;
    case CALC_LN: *value = std::log(x); break;
    case CALC_EXP: *value = std::exp(x); break;
    case CALC_SQRT: *value = std::sqrt(x); break;
    default: *value = x * CALC_DEGREES_PER_RADIAN; break; // rtod
    }
    return true;
}

CalcVariable *CalcEvaluator::FindVariable(const char *name)
{
    for (CalcVariable *v = variables; v; v = v->next)
        if (strcmp(v->name, name) == 0)
            return v;
    return nullptr;
}

bool CalcEvaluator::Assignment(double *value)
{
    char name[CALC_TOKEN_MAX + 1];
    memcpy(name, identifier, sizeof name);
    if (!NextToken())
        return false;
    if (token != '=') {
        CalcVariable *v = FindVariable(name);
        if (!v)
            return Fail(CALC_BAD_FACTOR);
        *value = v->value;
        return true;
    }
    if (!NextToken() || !Expression(value))
        return false;
    CalcVariable *v = FindVariable(name);
    if (!v) {
        v = new (std::nothrow) CalcVariable;
        if (!v)
            return Fail(CALC_BAD_FACTOR);
        memcpy(v->name, name, sizeof v->name);
        v->next = variables;
        variables = v;
    }
    v->value = *value;
    printResult = false;
    return true;
}

void CalcEvaluator::ListVariables()
{
    char line[CALC_TOKEN_MAX + 64];
    for (CalcVariable *v = variables; v; v = v->next) {
        snprintf(line, sizeof line, "%s = %-20.20g\r\n", v->name, v->value);
        output->append(line);
    }
}

void CalcEvaluator::ListHelp()
{
    for (int i = 0; i <= CALC_KEYWORD_COUNT; i++) {
        output->append(CalcKeywords[i].help);
        output->append("\r\n");
    }
    for (const char *line : LiteralHelp) {
        output->append(line);
        output->append("\r\n");
    }
}

bool CalcEvaluator::Factor(double *value)
{
    struct DepthGuard {
        int &depth;
        explicit DepthGuard(int &d) : depth(d) { depth++; }
        ~DepthGuard() { depth--; }
    } guard(depth);
    if (depth > CALC_MAX_NESTING)
        return Fail(CALC_INTERNAL);

    switch (token) {
    case '(':
        return NextToken() && Expression(value) && Expect(')');
    case '-':
        if (!NextToken() || !Factor(value))
            return false;
        *value = -*value;
        return true;
    case CALC_NUMBER:
        *value = number;
        return NextToken();
    case CALC_TAN: case CALC_SIN: case CALC_COS: case CALC_ATAN: case CALC_ASIN: case CALC_ACOS:
    case CALC_LN: case CALC_EXP: case CALC_SQRT: case CALC_RTOD:
        return FunctionCall(token, value);
    case CALC_MOD: {
        double a, b;
        if (!NextToken() || !Expect('(') || !Expression(&a) || !Expect(',') || !Expression(&b) ||
            !Expect(')'))
            return false;
        *value = std::fmod(a, b);
        return true;
    }
    case CALC_PI:
        *value = CALC_PI_VALUE;
        return NextToken();
    case CALC_BIN: case CALC_HEX: case CALC_DEC:
        outputMode = token == CALC_BIN ? CALC_BINARY : token == CALC_HEX ? CALC_HEXADECIMAL
                                                                          : CALC_DECIMAL;
        printResult = false;
        *value = 0;
        return NextToken();
    case CALC_NOT:
        if (!NextToken() || !Expression(value))
            return false;
        *value = AsSigned32(~CalcLow32(*value));
        return true;
    case CALC_VARS:
        ListVariables();
        printResult = false;
        *value = 0;
        return NextToken();
    case CALC_HELP:
        ListHelp();
        printResult = false;
        *value = 0;
        return NextToken();
    case CALC_VARIABLE:
        return Assignment(value);
    default:
        return Fail(CALC_BAD_FACTOR);
    }
}

void CalcEvaluator::AppendResult()
{
    char text[80];
    if (outputMode == CALC_HEXADECIMAL) {
        snprintf(text, sizeof text, "0x%X", CalcLow32(result));
    } else if (outputMode == CALC_BINARY) {
        uint32_t bits = CalcLow32(result);
        text[0] = '%';
        for (int i = 0; i < 32; i++)
            text[1 + i] = (bits & (0x80000000u >> i)) ? '1' : '0';
        text[33] = '\0';
    } else {
        snprintf(text, sizeof text, "%-20.20g", result);
    }
    output->append(text);
}

int CalcEvaluator::Evaluate(const char *text, size_t length, std::string *out)
{
    error = CALC_SUCCESS;
    printResult = true;
    output = out;
    output->clear();
    input.assign(text, length);
    for (char &c : input)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    position = 0;
    depth = 0;

    double value = 0;
    bool ok = NextToken();
    while (ok && token != CALC_END)
        ok = Expression(&value);
    if (!ok || error) {
        if (error == CALC_SUCCESS)
            error = CALC_UNKNOWN_IDENTIFIER;
        output = nullptr;
        return -1;
    }
    result = value;
    if (printResult)
        AppendResult();
    output = nullptr;
    return 0;
}

static CalcEvaluator *SharedEvaluator;

void CalcInit(void)
{
    static bool registered;
    if (SharedEvaluator)
        return;
    SharedEvaluator = new (std::nothrow) CalcEvaluator;
    if (!registered && atexit(CalcFree) == 0)
        registered = true;
}

void CalcFree(void)
{
    delete SharedEvaluator;
    SharedEvaluator = nullptr;
}

int CalcEvaluate(const char *text, size_t length, std::string *output)
{
    CalcInit();
    if (!SharedEvaluator) {
        output->assign(CalcErrorText(CALC_INTERNAL));
        return -1;
    }
    if (SharedEvaluator->Evaluate(text, length, output) == 0)
        return 0;
    output->assign(CalcErrorText(SharedEvaluator->Error()));
    return -1;
}
