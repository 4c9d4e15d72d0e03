#include "scene/scene_format.h"

#include <charconv>
#include <version>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// A float literal as TOML wants one: digits alone would read as an integer.
std::string asTomlFloat(std::string text)
{
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

template <typename Value, typename Same>
std::string shortest(double value, Same same)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char text[40];
    // The shortest digits of the value in its own type, as a person would write
    // them ("10", not "1e+01"), if they read back; else as few as read back.
#if __cpp_lib_to_chars >= 201611L
    const auto end = std::to_chars(text, text + sizeof text - 1, Value(value)).ptr;
    *end = '\0';
#else
    // A C++ library without floating-point to_chars (emscripten's): the
    // fewest %g digits that read back, below.
    text[0] = '\0';
#endif
    if (text[0] == '\0' || !same(std::strtod(text, nullptr))) {
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(text, sizeof text, "%.*g", digits, value);
            if (same(std::strtod(text, nullptr)))
                break;
        }
    }
    return asTomlFloat(text);
}

} // namespace

std::string formatReal(double value)
{
    return shortest<double>(value, [value](double back) { return back == value; });
}

std::string formatFloat(float value)
{
    return shortest<float>(double(value), [value](double back) { return float(back) == value; });
}

const std::vector<std::string>& modeNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list{"plain"};
        for (int mode = FIRST_MODE + 1; mode <= LAST_MODE; ++mode)
            list.push_back(MODE_QUANTITIES[mode].name);
        return list;
    }();
    return names;
}

int modeOfName(const std::string& name)
{
    const std::vector<std::string>& names = modeNames();
    for (size_t k = 0; k < names.size(); ++k)
        if (names[k] == name)
            return int(k);
    return -1;
}
