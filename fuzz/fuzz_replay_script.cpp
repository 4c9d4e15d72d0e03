// Arbitrary bytes as a replay script: the reader must split them into lines and
// words, or refuse a line, without a stray access; and what it hands on must be
// exactly what the bytes hold.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "replay/script.h"

namespace {

struct Refused {
    long line;
};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// An optional sign and decimal digits, worked out digit by digit; false when the
// text is not of that form or its value lies outside long long.
bool decimal(const std::string& text, long long& value)
{
    size_t k = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (k == text.size())
        return false;
    const bool negative = text[0] == '-';
    __int128 sum = 0;
    for (; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9')
            return false;
        sum = sum * 10 + (text[k] - '0');
        if (sum > (__int128(1) << 64))
            return false;
    }
    if (negative)
        sum = -sum;
    if (sum < INT64_MIN || sum > INT64_MAX)
        return false;
    value = (long long)sum;
    return true;
}

void checkWords(long lineNumber, const std::string& line)
{
    const std::vector<std::string> words = splitWords(line);
    // The words are the line less its separators, in order.
    std::string joined, squeezed;
    for (const std::string& word : words) {
        check(!word.empty());
        for (char c : word)
            check(!isSeparator(c));
        joined += word;
    }
    for (char c : line)
        if (!isSeparator(c))
            squeezed += c;
    check(joined == squeezed);
    if (words.empty())
        return;

    const Command command(lineNumber, words);
    const size_t arguments = words.size() - 1;
    command.expectArguments(arguments);
    try {
        command.expectArguments(arguments + 1);
        check(false);
    } catch (const Refused& refused) {
        check(refused.line == lineNumber);
    }
    // No command takes more than four arguments; refusals throw, which is slow.
    for (size_t k = 1; k < words.size() && k <= 4; ++k) {
        long long expected = 0;
        const bool valid = decimal(words[k], expected);
        try {
            check(command.integer(k, INT64_MIN, INT64_MAX, "integer") == expected && valid);
        } catch (const Refused&) {
            check(!valid);
        }
        try {
            command.real(k, "real");
        } catch (const Refused&) {
        }
    }
}

} // namespace

void scriptError(long line, const std::string&) { throw Refused{line}; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t length)
{
    // fmemopen refuses an empty buffer.
    if (length == 0)
        return 0;
    const std::string input(reinterpret_cast<const char*>(bytes), length);
    Script script;
    script.in = fmemopen(const_cast<uint8_t*>(bytes), length, "rb");
    check(script.in != nullptr);

    // The lines read, newlines put back, give the input again up to where the
    // reader stopped; it stops early only at a NUL byte, on the line that holds it.
    std::string read;
    std::string line;
    try {
        while (readLine(script, line)) {
            check(line.find('\n') == std::string::npos);
            read += line;
            if (read.size() < input.size())
                read += '\n';
            checkWords(script.lineNumber, line);
        }
        check(read == input);
        check(input.find('\0') == std::string::npos);
    } catch (const Refused& refused) {
        check(refused.line == script.lineNumber);
        const size_t nul = input.find('\0', read.size());
        check(nul != std::string::npos && input.find('\n', read.size()) >= nul);
        check(input.compare(0, read.size(), read) == 0);
    }
    std::fclose(script.in);
    return 0;
}
