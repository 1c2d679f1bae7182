#include "common/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tovrel {

namespace {

std::string formatGeneral(double value, int significant) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Inf" : "-Inf";
    }
    if (value == 0) {
        return "0";
    }
    // Scientific text with the wanted number of digits, correctly rounded,
    // independent of the process's locale.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                             significant - 1);
    std::string sci(buf, res.ptr);
    const size_t ePos = sci.find('e');
    std::string digits = sci.substr(0, 1) + (ePos > 2 ? sci.substr(2, ePos - 2) : "");
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    std::string out = value < 0 ? "-" : "";
    if (exponent >= significant || exponent < -4) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) {
            out += "." + digits.substr(1);
        }
        const int magnitude = std::abs(exponent);
        out += exponent < 0 ? "E-" : "E+";
        if (magnitude < 10) {
            out += "0";
        }
        out += std::to_string(magnitude);
        return out;
    }
    if (exponent < 0) {
        out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        return out;
    }
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) {
        out += digits + std::string(whole - digits.size(), '0');
    } else {
        out += digits.substr(0, whole) + "." + digits.substr(whole);
    }
    return out;
}

} // namespace

std::string formatSingle(float value) {
    return formatGeneral(static_cast<double>(value), 7);
}
std::string formatDouble(double value) {
    return formatGeneral(value, 15);
}

} // namespace tovrel
