#include "tools/host/parameter_lookup.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tavolu::host {
namespace {

constexpr int kSearchSteps = 1000;      // value resolution of the display search
constexpr std::size_t kMaxListed = 12;  // choices named in an error, at most
constexpr int kMaxCount = 100000;       // bound on what a plug-in claims to have

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool parseWholeNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && errno != ERANGE;
}

int boundedCount(int claimed) {
    return std::clamp(claimed, 0, kMaxCount);
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int findProgram(PluginHost& plugin, const std::string& text, std::string& error) {
    const int count = boundedCount(plugin.effect()->numPrograms);
    double number = 0.0;
    if (parseWholeNumber(text, number)) {
        if (number >= 0.0 && number < count && number == std::floor(number))
            return static_cast<int>(number);
        error = "no program " + text + " (the plug-in has programs 0 to " +
                std::to_string(count - 1) + ")";
        return -1;
    }
    const std::string wanted = trimBlanks(text);
    for (int i = 0; i < count; ++i)
        if (sameIgnoringCase(trimBlanks(plugin.programNameIndexed(i)), wanted)) return i;
    error = "unknown program " + quoted(text) + " (see --programs)";
    return -1;
}

int findParameter(PluginHost& plugin, const std::string& name, std::string& error) {
    const int count = boundedCount(plugin.effect()->numParams);
    const std::string wanted = trimBlanks(name);
    for (int i = 0; i < count; ++i)
        if (sameIgnoringCase(trimBlanks(plugin.parameterName(i)), wanted)) return i;
    error = "unknown parameter " + quoted(name) + " (see --list)";
    return -1;
}

int findParameterSetting(PluginHost& plugin, const std::string& text, std::string& value,
                         std::string& error) {
    std::string ignored;
    for (auto eq = text.rfind('='); eq != std::string::npos && eq > 0;
         eq = text.rfind('=', eq - 1)) {
        if (eq + 1 == text.size()) continue;  // no value after this split
        const int index = findParameter(plugin, text.substr(0, eq), ignored);
        if (index >= 0) {
            value = text.substr(eq + 1);
            return index;
        }
    }
    findParameter(plugin, text.substr(0, text.find('=')), error);  // for its message
    return -1;
}

bool resolveValue(PluginHost& scratch, int index, const std::string& text, float& value,
                  std::string& error) {
    const std::string name = trimBlanks(scratch.parameterName(index));
    double number = 0.0;
    if (parseWholeNumber(text, number)) {
        if (!(number >= 0.0 && number <= 1.0)) {  // also refuses NaN
            error = "value " + text + " for " + name + " lies outside 0 to 1";
            return false;
        }
        value = static_cast<float>(number);
        return true;
    }
    const std::string wanted = trimBlanks(text);
    std::vector<std::string> seen;
    for (int k = 0; k <= kSearchSteps; ++k) {
        const float candidate = static_cast<float>(static_cast<double>(k) / kSearchSteps);
        scratch.setParameter(index, candidate);
        const std::string shown = trimBlanks(scratch.parameterDisplay(index));
        if (sameIgnoringCase(shown, wanted)) {
            value = candidate;
            return true;
        }
        if (std::find(seen.begin(), seen.end(), shown) == seen.end()) seen.push_back(shown);
    }
    error = "value " + quoted(text) + " for " + name + " is neither a number from 0 to 1 nor";
    if (seen.size() <= kMaxListed) {
        error += " one of:";
        for (std::size_t i = 0; i < seen.size(); ++i) error += (i ? ", " : " ") + quoted(seen[i]);
    } else {
        error += " a text the parameter displays";
    }
    return false;
}

}  // namespace tavolu::host
