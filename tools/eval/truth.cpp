#include "truth.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace ovfc_eval {

namespace {

bool parseCoordinate(const std::string& text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && errno == 0 && std::isfinite(value) && value > -100000 &&
           value < 100000;
}

}  // namespace

bool parseTruthLine(const std::string& line, TruthEntry& entry, std::string& error) {
    error.clear();
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty() || words[0][0] == '#') return false;
    if (words.size() != 6) {
        error =
            "expected NAME PERSON XL YL XR YR, found " + std::to_string(words.size()) + " fields";
        return false;
    }
    TruthEntry e;
    e.name = words[0];
    e.person = words[1];
    double* const fields[] = {&e.xl, &e.yl, &e.xr, &e.yr};
    for (int k = 0; k < 4; ++k) {
        if (!parseCoordinate(words[2 + k], *fields[k])) {
            error = "'" + words[2 + k] + "' is not a coordinate";
            return false;
        }
    }
    if (e.xl >= e.xr) {
        error = "XL must be smaller than XR";
        return false;
    }
    entry = std::move(e);
    return true;
}

bool readTruthFile(const std::string& path, std::vector<TruthEntry>& entries, std::string& error) {
    entries.clear();
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::set<std::string> names;
    std::string line, why;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        TruthEntry e;
        if (!parseTruthLine(line, e, why)) {
            if (why.empty()) continue;
            error = path + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        if (!names.insert(e.name).second) {
            error = path + ":" + std::to_string(number) + ": " + e.name + " is listed twice";
            return false;
        }
        entries.push_back(std::move(e));
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (entries.empty()) {
        error = path + ": no entries";
        return false;
    }
    return true;
}

}  // namespace ovfc_eval
