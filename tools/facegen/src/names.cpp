// File names and truth lines of a face set.

#include <cstdio>

#include "facegen.h"

namespace facegen {

std::string frameFileName(int person, int image) {
    char name[16];
    std::snprintf(name, sizeof name, "0000%02d%02d.TIF", person % 100, image % 100);
    return name;
}

std::string truthLine(const std::string& name, int person, const EyeCentres& e) {
    char line[128];
    std::snprintf(line, sizeof line, " %02d %.1f %.1f %.1f %.1f", person % 100, e.xl, e.yl, e.xr,
                  e.yr);
    return name + line;
}

}  // namespace facegen
