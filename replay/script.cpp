#include "replay/script.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

bool readLine(Script& script, std::string& line)
{
    line.clear();
    int c = 0;
    bool any = false;
    ++script.lineNumber;
    while ((c = std::fgetc(script.in)) != EOF) {
        any = true;
        if (c == '\n')
            return true;
        if (c == '\0')
            scriptError(script.lineNumber, "unexpected NUL byte");
        line.push_back(char(c));
    }
    if (std::ferror(script.in))
        scriptError(script.lineNumber, std::string("cannot read the script: ") + std::strerror(errno));
    return any;
}

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

} // namespace

std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    size_t k = 0;
    while (k < line.size()) {
        while (k < line.size() && isSeparator(line[k]))
            ++k;
        const size_t start = k;
        while (k < line.size() && !isSeparator(line[k]))
            ++k;
        if (k > start)
            words.push_back(line.substr(start, k - start));
    }
    return words;
}

void Command::expectArguments(size_t count) const
{
    const size_t given = words_.size() - 1;
    if (given < count)
        scriptError(line_, "'" + name() + "' needs " + std::to_string(count) + " argument(s), got " +
                               std::to_string(given));
    if (given > count)
        scriptError(line_, "unexpected word '" + words_[count + 1] + "' after '" + name() + "'");
}

long long Command::integer(size_t k, long long lo, long long hi, const char* what) const
{
    const std::string& text = words_[k];
    // strtoll would skip leading white space such as a form feed.
    const bool startsRight = !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) ||
                                               text[0] == '-' || text[0] == '+');
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (!startsRight || end == text.c_str() || *end != '\0')
        scriptError(line_, std::string("malformed ") + what + " '" + text + "'");
    if (errno == ERANGE || value < lo || value > hi)
        scriptError(line_, std::string(what) + " '" + text + "' out of range " + std::to_string(lo) + " to " +
                               std::to_string(hi));
    return value;
}

// Word k as parse (strtof or strtod) reads it, whole and with nothing before it.
template <typename Real>
Real Command::number(size_t k, const char* what, Real (*parse)(const char*, char**)) const
{
    const std::string& text = words_[k];
    const bool startsRight = !text.empty() && !std::isspace(static_cast<unsigned char>(text[0]));
    char* end = nullptr;
    const Real value = parse(text.c_str(), &end);
    if (!startsRight || end == text.c_str() || *end != '\0')
        scriptError(line_, std::string("malformed ") + what + " '" + text + "'");
    return value;
}

double Command::realDouble(size_t k, const char* what) const { return number<double>(k, what, std::strtod); }

float Command::real(size_t k, const char* what) const { return number<float>(k, what, std::strtof); }
